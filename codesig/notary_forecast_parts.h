#pragma once
// The two halves of a forecast: the notary's own checks of each piece of code,
// and the launch-time checks across the package.

#include "codesig/code_inventory.h"

#include "contract/notary_forecast_records.h"

namespace codesig {

ForecastIssue forecastIssue(const QString &severity, const QString &path, const QString &message,
                            const QString &architecture, const QString &fix);

void addNotaryIssues(QList<ForecastIssue> &issues, const CodeItem &item);

void addLaunchIssues(QList<ForecastIssue> &issues, const CodeInventory &inventory, const QDateTime &now);

} // namespace codesig
