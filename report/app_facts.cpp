#include "report/app_facts.h"

std::optional<AppInspection> namedApp(const InspectionResult &result)
{
    if (const AppInspection *app = result.application())
        return *app;
    return std::nullopt;
}

std::optional<AppInspection> packagedApp(const InspectionResult &result)
{
    const AppInspection *app = result.embeddedApp();
    if (!app)
        return std::nullopt;
    AppInspection facts = *app;
    facts.minimumSystemVersion.reset();
    facts.executableName.reset();
    return facts;
}

std::optional<AppInspection> anyApp(const InspectionResult &result)
{
    const std::optional<AppInspection> named = namedApp(result);
    return named ? named : packagedApp(result);
}

// The app inspector keeps no list of authorities in the result; its Developer
// ID check carries the first one: the whole detail when it passes, after
// "Signing authority: " when another authority signed. An ad-hoc signature
// and a display without authorities name none.
std::optional<QString> firstSigningAuthority(const AppInspection &app)
{
    static const QString prefix = QStringLiteral("Signing authority: ");
    for (const InspectionCheck &check : app.checks) {
        if (check.title != QLatin1String("Developer ID"))
            continue;
        if (check.status == CheckStatus::pass)
            return check.detail;
        if (check.status == CheckStatus::warning && check.detail.startsWith(prefix))
            return check.detail.mid(prefix.size());
        return std::nullopt;
    }
    return std::nullopt;
}
