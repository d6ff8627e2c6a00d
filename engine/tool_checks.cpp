#include "engine/tool_checks.h"

#include "engine/tool_output.h"

InspectionCheck exitStatusCheck(const QString &title, Shell::TextResult result, const QString &passDetail,
                                const QString &failFallback)
{
    if (result.exitCode == 0)
        return makeCheck(title, CheckStatus::pass, passDetail);
    return makeCheck(title, CheckStatus::fail, condensedDetail(combinedOutput(std::move(result)), failFallback));
}

InspectionCheck toolCheck(const QString &title, Shell::TextResult result, const QString &passFallback,
                          const QString &failFallback)
{
    const bool passed = result.exitCode == 0;
    return makeCheck(title, passed ? CheckStatus::pass : CheckStatus::fail,
                     condensedDetail(combinedOutput(std::move(result)), passed ? passFallback : failFallback));
}
