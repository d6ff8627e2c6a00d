#pragma once
// A package's notary forecast as the JSON document's notaryForecast object.

#include "contract/notary_forecast_records.h"
#include "report/json_stream.h"

// {status, issues: [{severity, path, message, architecture, fix}]}; an issue
// of the file as a whole has architecture null.
void writeForecast(JsonStream &json, const NotaryForecast &forecast);
