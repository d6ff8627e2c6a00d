#include "engine/tool_checks.h"

#include "engine/tool_output.h"

InspectionCheck exitStatusCheck(const CheckDefinition &check, Program::TextResult result, const QString &passDetail,
                                const QString &failFallback)
{
    if (result.outcome.succeeded())
        return makeCheck(check, CheckStatus::pass, passDetail);
    return makeCheck(check, CheckStatus::fail, condensedDetail(combinedOutput(std::move(result)), failFallback));
}

InspectionCheck toolCheck(const CheckDefinition &check, Program::TextResult result, const QString &passFallback,
                          const QString &failFallback)
{
    const bool passed = result.outcome.succeeded();
    return makeCheck(check, passed ? CheckStatus::pass : CheckStatus::fail,
                     condensedDetail(combinedOutput(std::move(result)), passed ? passFallback : failFallback));
}

namespace {
QString undecidedDetail(const HostLimits &limits, HostQuestion question)
{
    switch (question) {
    case HostQuestion::gatekeeperAssessment:
        if (limits.undecidable.contains(HostQuestion::certificateRevocation))
            return QStringLiteral("Gatekeeper cannot assess this package on this host, nor can the revocation of its "
                                  "certificates be checked; assess it on a Mac before shipping.");
        return QStringLiteral("Gatekeeper cannot assess this package on this host; assess it on a Mac before shipping.");
    case HostQuestion::ticketAuthenticity:
        return QStringLiteral("A notarization ticket is stapled; its signature can only be confirmed on a Mac.");
    case HostQuestion::certificateRevocation:
        break; // asked as part of Gatekeeper's assessment
    }
    return QString();
}
} // namespace

InspectionCheck hostToolCheck(const HostLimits &limits, HostQuestion question, const CheckDefinition &check,
                              Program::TextResult result, const QString &passFallback, const QString &failFallback)
{
    // Only an exit can be the tools' own "undecided": a signal's 128 + N is no answer.
    if (result.outcome.kind() != Program::Outcome::Kind::exited
        || !leftUndecided(limits, question, result.outcome.number()))
        return toolCheck(check, std::move(result), passFallback, failFallback);
    InspectionCheck undecided = makeCheck(check, CheckStatus::warning, undecidedDetail(limits, question));
    undecided.decidedOnHost = false;
    return undecided;
}
