#include "report/forecast_json.h"

#include <QJsonArray>

QJsonObject forecastJson(const NotaryForecast &forecast)
{
    QJsonArray issues;
    for (const ForecastIssue &issue : forecast.issues) {
        issues.append(QJsonObject{
            {QStringLiteral("severity"), issue.severity},
            {QStringLiteral("path"), issue.path},
            {QStringLiteral("message"), issue.message},
            {QStringLiteral("architecture"), issue.architecture.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(issue.architecture)},
            {QStringLiteral("fix"), issue.fix}});
    }
    return {{QStringLiteral("status"), forecast.status()}, {QStringLiteral("issues"), issues}};
}
