#include "ui/views/forecast_sections.h"

#include <algorithm>

namespace {

QString counted(qsizetype count, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

CheckRowView statusRow(const QString &title, CheckStatus status, const QString &detail)
{
    const QColor color = checkStatusColor(status);
    return {title, detail, checkStatusSymbol(status), color, fadedBy(color, 0.14), label(status)};
}

} // namespace

CheckRowView forecastStatusRow(const ForecastAttempt &attempt)
{
    if (!attempt.forecast)
        return statusRow(QStringLiteral("No forecast"), CheckStatus::warning,
                         QStringLiteral("No forecast could be made: the disk image could not be attached, so its code "
                                        "could not be read."));
    const NotaryForecast &forecast = *attempt.forecast;
    const auto errors = std::count_if(forecast.issues.cbegin(), forecast.issues.cend(),
                                      [](const ForecastIssue &issue) { return issue.severity == QLatin1String("error"); });
    const qsizetype warnings = forecast.issues.size() - errors;
    const QString warningCount = counted(warnings, QStringLiteral("warning"), QStringLiteral("warnings"));
    if (errors > 0) {
        const QString stands = counted(errors, QStringLiteral("error"), QStringLiteral("errors"))
            + (warnings > 0 ? QStringLiteral(" and ") + warningCount : QString());
        return statusRow(forecast.status(), CheckStatus::fail,
                         QStringLiteral("The notary service is expected to reject the upload: %1, each with its fix "
                                        "below.").arg(stands));
    }
    if (warnings > 0)
        return statusRow(forecast.status(), CheckStatus::warning,
                         QStringLiteral("The notary service is expected to accept the upload, but %1 below would "
                                        "break the app at launch or at the next release.").arg(warningCount));
    if (forecast.code.isEmpty())
        return statusRow(forecast.status(), CheckStatus::pass,
                         QStringLiteral("No code was found in the package: nothing for the notary service to reject."));
    return statusRow(forecast.status(), CheckStatus::pass,
                     QStringLiteral("The notary service is expected to accept the upload: no issues in %1.")
                         .arg(counted(forecast.code.size(), QStringLiteral("piece of code"),
                                      QStringLiteral("pieces of code"))));
}

QList<ResultSectionView> forecastSections(const ForecastAttempt &attempt)
{
    ResultSectionView forecastSection{QStringLiteral("Notary Forecast"), SectionContent::forecast, {},
                                      {forecastStatusRow(attempt)}, {}, {}, {}};
    if (!attempt.forecast)
        return {forecastSection};
    for (const ForecastIssue &issue : attempt.forecast->issues)
        forecastSection.issues << forecastIssueRow(issue);
    QList<ResultSectionView> sections{forecastSection};
    if (attempt.forecast->code.isEmpty())
        return sections;
    ResultSectionView code{QStringLiteral("Nested Code"), SectionContent::nestedCode, {}, {}, {}, {}, {}};
    for (const ForecastCode &item : attempt.forecast->code)
        code.code << nestedCodeRow(item);
    return sections << code;
}
