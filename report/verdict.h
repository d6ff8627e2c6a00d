#pragma once
// Judging one inspection result: the checks counted by status and the release
// verdict they decide. Pure functions of their argument; the results screen
// and the report call them on the same result, so their figures always agree.

#include "engine/inspection_records.h"
#include "report/status_hue.h"

#include <cstdint>

enum class ReleaseVerdict { readyToShip, reviewBeforeShipping, doNotShip };

// The result's own checks, then those of its embedded app, each in order.
QList<InspectionCheck> allChecks(const InspectionResult &result);

// Pending checks are counted by none of the three tallies.
std::int64_t passCount(const InspectionResult &result);
std::int64_t warningCount(const InspectionResult &result);
std::int64_t failCount(const InspectionResult &result);

// Any failure blocks; otherwise a warning, a pending check or no check at all
// asks for review; READY TO SHIP needs passes alone.
ReleaseVerdict releaseVerdict(const InspectionResult &result);

// The verdict as the evidence documents name it, fixed whatever the title reads.
QString verdictId(ReleaseVerdict verdict);
QString verdictTitle(ReleaseVerdict verdict);
QString verdictSummary(ReleaseVerdict verdict);
StatusHue verdictColor(ReleaseVerdict verdict);
