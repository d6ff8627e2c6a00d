#pragma once
// A package's notary forecast as a JUnit suite of its own: an error the notary
// would reject the upload for is a failure, a warning passes with status WARN,
// and a forecast without issues is one passing case.

#include "contract/notary_forecast_records.h"

#include <QList>
#include <QString>

struct ForecastCase {
    QString className;
    QString name;   // "<path> (<architecture>): <message>"
    QString status; // "FAIL", "WARN" or "PASS", as the report labels statuses
    QString detail; // the message and its fix
};

// "Notary forecast: <package file name>".
QString forecastSuiteName(const QString &packageName);

QList<ForecastCase> forecastCases(const NotaryForecast &forecast);
