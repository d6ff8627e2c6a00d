#include "report/forecast_json.h"

void writeForecast(JsonStream &json, const NotaryForecast &forecast)
{
    const auto issues = [&](JsonStream &j) {
        j.beginArray();
        for (const ForecastIssue &issue : forecast.issues) {
            const auto text = [](const QString &value) { return [&value](JsonStream &k) { k.string(value); }; };
            writeObject(j, {{QStringLiteral("severity"), text(issue.severity)},
                            {QStringLiteral("path"), text(issue.path)},
                            {QStringLiteral("message"), text(issue.message)},
                            {QStringLiteral("architecture"),
                             [&](JsonStream &k) { issue.architecture.isEmpty() ? k.null() : k.string(issue.architecture); }},
                            {QStringLiteral("fix"), text(issue.fix)}});
        }
        j.endArray();
    };
    writeObject(json, {{QStringLiteral("status"), [&](JsonStream &j) { j.string(forecast.status()); }},
                       {QStringLiteral("issues"), issues}});
}
