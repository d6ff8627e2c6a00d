#pragma once
// A package's notary forecast as the JSON document's notaryForecast object.

#include "engine/notary_forecast_records.h"

#include <QJsonObject>

// {status, issues: [{severity, path, message, architecture, fix}]}; an issue
// of the file as a whole has architecture null.
QJsonObject forecastJson(const NotaryForecast &forecast);
