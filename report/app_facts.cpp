#include "report/app_facts.h"

std::optional<AppFacts> namedApp(const InspectionResult &result)
{
    if (const AppInspection *app = result.application())
        return *app;
    return std::nullopt;
}

std::optional<AppFacts> packagedApp(const InspectionResult &result)
{
    const EmbeddedAppResult *app = result.embeddedApp();
    if (!app)
        return std::nullopt;
    AppFacts facts = *app;
    facts.minimumSystemVersion.reset();
    facts.executableName.reset();
    return facts;
}

std::optional<AppFacts> anyApp(const InspectionResult &result)
{
    const std::optional<AppFacts> named = namedApp(result);
    return named ? named : packagedApp(result);
}

// The app inspector keeps no list of authorities in the result; its Developer
// ID check carries the first one: the whole detail when it passes, after
// "Signing authority: " when another authority signed. An ad-hoc signature
// and a display without authorities name none.
std::optional<QString> firstSigningAuthority(const AppFacts &app)
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
