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
