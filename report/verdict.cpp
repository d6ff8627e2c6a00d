#include "report/verdict.h"

#include <algorithm>

namespace {

std::int64_t countOf(const InspectionResult &result, CheckStatus status)
{
    const QList<InspectionCheck> checks = allChecks(result);
    return std::count_if(checks.cbegin(), checks.cend(),
                         [status](const InspectionCheck &check) { return check.status == status; });
}

} // namespace

QList<InspectionCheck> allChecks(const InspectionResult &result)
{
    QList<InspectionCheck> checks = result.checks();
    if (const AppInspection *app = result.embeddedApp())
        checks += app->checks;
    return checks;
}

std::int64_t passCount(const InspectionResult &result)
{
    return countOf(result, CheckStatus::pass);
}

std::int64_t warningCount(const InspectionResult &result)
{
    return countOf(result, CheckStatus::warning);
}

std::int64_t failCount(const InspectionResult &result)
{
    return countOf(result, CheckStatus::fail);
}

ReleaseVerdict releaseVerdict(const InspectionResult &result)
{
    if (failCount(result) > 0)
        return ReleaseVerdict::doNotShip;
    // Nothing decided, or something still undecided, is no pass: shipping
    // needs at least one finished check and none left open.
    const bool finished = passCount(result) + warningCount(result) > 0;
    if (warningCount(result) > 0 || !finished || countOf(result, CheckStatus::pending) > 0)
        return ReleaseVerdict::reviewBeforeShipping;
    return ReleaseVerdict::readyToShip;
}

QString verdictTitle(ReleaseVerdict verdict)
{
    switch (verdict) {
    case ReleaseVerdict::readyToShip: return QStringLiteral("READY TO SHIP");
    case ReleaseVerdict::reviewBeforeShipping: return QStringLiteral("REVIEW BEFORE SHIPPING");
    case ReleaseVerdict::doNotShip: return QStringLiteral("DO NOT SHIP");
    }
    return {};
}

QString verdictSummary(ReleaseVerdict verdict)
{
    switch (verdict) {
    case ReleaseVerdict::readyToShip:
        return QStringLiteral("All release checks passed.");
    case ReleaseVerdict::reviewBeforeShipping:
        return QStringLiteral("No blocking failures were found, but one or more items should be reviewed.");
    case ReleaseVerdict::doNotShip:
        return QStringLiteral("One or more release-blocking checks failed.");
    }
    return {};
}

StatusHue verdictColor(ReleaseVerdict verdict)
{
    switch (verdict) {
    case ReleaseVerdict::readyToShip: return StatusHue::green;
    case ReleaseVerdict::reviewBeforeShipping: return StatusHue::orange;
    case ReleaseVerdict::doNotShip: return StatusHue::red;
    }
    return StatusHue::red;
}
