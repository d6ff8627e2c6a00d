#include "report/forecast_junit.h"

#include "engine/inspection_records.h"

namespace {

const QString kClassName = QStringLiteral("NOTARY FORECAST");

QString caseName(const ForecastIssue &issue)
{
    const QString where = issue.architecture.isEmpty() ? issue.path : QStringLiteral("%1 (%2)").arg(issue.path, issue.architecture);
    return QStringLiteral("%1: %2").arg(where, issue.message);
}

} // namespace

QString forecastSuiteName(const QString &packageName)
{
    return QStringLiteral("Notary forecast: %1").arg(packageName);
}

QList<ForecastCase> forecastCases(const NotaryForecast &forecast)
{
    QList<ForecastCase> cases;
    for (const ForecastIssue &issue : forecast.issues) {
        const CheckStatus status = issue.severity == QLatin1String("error") ? CheckStatus::fail : CheckStatus::warning;
        cases << ForecastCase{kClassName, caseName(issue), label(status),
                              QStringLiteral("%1 Fix: %2").arg(issue.message, issue.fix)};
    }
    if (cases.isEmpty())
        cases << ForecastCase{kClassName, QStringLiteral("Notary forecast"), label(CheckStatus::pass),
                              QStringLiteral("No issue found: the notary is expected to accept this package's code.")};
    return cases;
}
