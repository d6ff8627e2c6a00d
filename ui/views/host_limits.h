#pragma once
// Checks this host cannot decide (off a Mac: Gatekeeper's assessment, a
// stapled ticket's authenticity). They stay warnings in the tallies and the
// text report, but the window marks them apart from real defects, so a
// flawless package checked on Linux does not look broken.

#include "engine/inspection_records.h"

#include <QString>

// The result has warnings, and every one of them is a host limit (and nothing failed).
bool onlyHostLimitsWarn(const InspectionResult &result);
// The badge, symbol and spoken status of a host-limit row.
QString hostLimitBadge();
QString hostLimitSymbol();
QString hostLimitSpoken();
// The banner's summary when only host limits warn.
QString hostLimitSummary();
