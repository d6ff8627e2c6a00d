#include "report/app_facts.h"

std::optional<AppFacts> namedApp(const InspectionResult &result)
{
    if (result.kind != PackageKind::application)
        return std::nullopt;
    return AppFacts{result.displayName,  result.bundleIdentifier, result.shortVersion,
                    result.buildVersion, result.minimumSystemVersion, result.executableName,
                    result.checks,       result.entitlements};
}

std::optional<AppFacts> packagedApp(const InspectionResult &result)
{
    if (result.kind != PackageKind::diskImage || !result.embeddedApp)
        return std::nullopt;
    const EmbeddedAppResult &app = *result.embeddedApp;
    return AppFacts{app.displayName, app.bundleIdentifier, app.shortVersion, app.buildVersion,
                    std::nullopt,    std::nullopt,         app.checks,       app.entitlements};
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
