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

namespace {

// Each verdict's words and colour; the id is the name the evidence documents
// give it, kept apart from the title so a new wording on the screen leaves
// their consumers alone.
struct VerdictWords {
    QLatin1String id;
    QLatin1String title;
    QLatin1String summary;
    StatusHue hue;
};

const VerdictWords &wordsOf(ReleaseVerdict verdict)
{
    static const VerdictWords ready{QLatin1String("READY TO SHIP"), QLatin1String("READY TO SHIP"),
                                    QLatin1String("All release checks passed."), StatusHue::green};
    static const VerdictWords review{
        QLatin1String("REVIEW BEFORE SHIPPING"), QLatin1String("REVIEW BEFORE SHIPPING"),
        QLatin1String("No blocking failures were found, but one or more items should be reviewed."),
        StatusHue::orange};
    static const VerdictWords doNotShip{QLatin1String("DO NOT SHIP"), QLatin1String("DO NOT SHIP"),
                                        QLatin1String("One or more release-blocking checks failed."), StatusHue::red};
    switch (verdict) {
    case ReleaseVerdict::readyToShip: return ready;
    case ReleaseVerdict::reviewBeforeShipping: return review;
    case ReleaseVerdict::doNotShip: break;
    }
    return doNotShip;
}

} // namespace

QString verdictId(ReleaseVerdict verdict)
{
    return wordsOf(verdict).id;
}

QString verdictTitle(ReleaseVerdict verdict)
{
    return wordsOf(verdict).title;
}

QString verdictSummary(ReleaseVerdict verdict)
{
    return wordsOf(verdict).summary;
}

StatusHue verdictColor(ReleaseVerdict verdict)
{
    return wordsOf(verdict).hue;
}
