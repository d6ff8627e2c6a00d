#include "ui/views/host_limits.h"

#include "report/verdict.h"

#include <algorithm>

bool onlyHostLimitsWarn(const InspectionResult &result)
{
    const QList<InspectionCheck> checks = allChecks(result);
    const auto warns = [](const InspectionCheck &check) { return check.status == CheckStatus::warning; };
    return failCount(result) == 0 && std::any_of(checks.begin(), checks.end(), warns)
        && std::all_of(checks.begin(), checks.end(),
                       [&](const InspectionCheck &check) { return !warns(check) || isHostLimit(check); });
}

QString hostLimitBadge()
{
    return QStringLiteral("ON A MAC");
}

QString hostLimitSymbol()
{
    return QStringLiteral("clock.fill");
}

QString hostLimitSpoken()
{
    return QStringLiteral("to be decided on a Mac");
}

QString hostLimitSummary()
{
    return QStringLiteral("No defects were found; the only warnings are checks this host cannot decide. "
                          "Check the package on a Mac before shipping.");
}
