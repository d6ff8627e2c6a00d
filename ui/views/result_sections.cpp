#include "ui/views/result_sections.h"

#include "report/fact_rows.h"
#include "ui/style/status_palette.h"
#include "ui/views/entitlements_display.h"
#include "ui/views/host_limits.h"

namespace {

ResultSectionView factSection(const QString &title, const QList<FactRow> &facts)
{
    return {title, SectionContent::facts, facts, {}, {}, {}, {}};
}

ResultSectionView checkSection(const QString &title, const QList<InspectionCheck> &checks)
{
    QList<CheckRowView> rows;
    rows.reserve(checks.size());
    for (const InspectionCheck &check : checks)
        rows.append(checkRowView(check));
    return {title, SectionContent::checks, {}, rows, {}, {}, {}};
}

ResultSectionView entitlementsSection(const QString &title, const QString &entitlements)
{
    return {title, SectionContent::entitlements, {}, {}, entitlements, {}, {}};
}

} // namespace

QList<ResultSectionView> resultSections(const InspectionResult &result)
{
    QList<ResultSectionView> sections{factSection(QStringLiteral("Package"), packageFacts(result, false))};
    if (const AppInspection *app = result.application()) {
        sections.append(factSection(QStringLiteral("Application Metadata"), applicationMetadata(*app)));
        sections.append(checkSection(QStringLiteral("Release Preflight"), app->checks));
        if (!app->entitlements.isEmpty())
            sections.append(entitlementsSection(QStringLiteral("Entitlements"), app->entitlements));
        return sections;
    }
    sections.append(checkSection(QStringLiteral("DMG Preflight"), result.checks()));
    const AppInspection *embedded = result.embeddedApp();
    if (!embedded)
        return sections;
    const AppInspection &app = *embedded;
    sections.append(factSection(QStringLiteral("Packaged App"), packagedApplicationFacts(app)));
    sections.append(checkSection(QStringLiteral("Packaged App Preflight"), app.checks));
    if (!app.entitlements.isEmpty())
        sections.append(entitlementsSection(QStringLiteral("Packaged App Entitlements"), app.entitlements));
    return sections;
}

QColor statusHueColor(StatusHue hue)
{
    switch (hue) {
    case StatusHue::green: return systemGreen();
    case StatusHue::orange: return systemOrange();
    case StatusHue::red: return systemRed();
    }
    return {};
}

QColor fadedBy(const QColor &colour, double opacity)
{
    QColor faded = colour;
    faded.setAlphaF(float(colour.alphaF() * opacity));
    return faded;
}

QString checkStatusSymbol(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return QStringLiteral("checkmark.circle.fill");
    case CheckStatus::warning: return QStringLiteral("exclamationmark.triangle.fill");
    case CheckStatus::fail: return QStringLiteral("xmark.circle.fill");
    case CheckStatus::pending: return QStringLiteral("clock.fill");
    }
    return {};
}

QColor checkStatusColor(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return statusHueColor(StatusHue::green);
    case CheckStatus::warning: return statusHueColor(StatusHue::orange);
    case CheckStatus::fail: return statusHueColor(StatusHue::red);
    case CheckStatus::pending: return whiteAt(0.7);
    }
    return {};
}

CheckRowView checkRowView(const InspectionCheck &check)
{
    const QColor color = checkStatusColor(check.status);
    const bool hostLimit = isHostLimit(check);
    return {check.title, check.detail, hostLimit ? hostLimitSymbol() : checkStatusSymbol(check.status), color,
            fadedBy(color, 0.14), hostLimit ? hostLimitBadge() : label(check.status)};
}

QString entitlementsMarkup(const QString &entitlements)
{
    // One paragraph; explicit breaks rather than pre-wrap's own line ends,
    // which drop a final empty line. The extra distance applies to each line.
    QString body = entitlementsDisplayText(entitlements).toHtmlEscaped();
    body.replace(QLatin1Char('\n'), QLatin1String("<br/>"));
    return QStringLiteral("<p style=\"margin-top:0; margin-bottom:0; white-space:pre-wrap; "
                          "line-height:3px; -qt-line-height-type:line-distance\">%1</p>")
        .arg(body);
}
