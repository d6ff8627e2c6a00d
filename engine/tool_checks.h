#pragma once
// The two shapes of a check that a tool's exit status decides, shared by the
// app and disk image inspectors: status 0 passes, anything else fails.

#include "engine/check_catalog.h"
#include "engine/program_run.h"
#include "engine/tool_root.h"

// Both take the tool's result over rather than copy it: its output can be
// large, and is folded into the detail in place.

// A fixed sentence on success; on failure the tool's own words (condensed),
// or failFallback when it said nothing.
InspectionCheck exitStatusCheck(const CheckDefinition &check, Program::TextResult result, const QString &passDetail,
                                const QString &failFallback);

// The tool speaks for itself in both outcomes; each fallback stands in for silence.
InspectionCheck toolCheck(const CheckDefinition &check, Program::TextResult result, const QString &passFallback,
                          const QString &failFallback);

// A toolCheck on a question the host may leave undecided: when its tools say
// they did, a WARN that sends the owner to a Mac, never a PASS.
InspectionCheck hostToolCheck(const HostLimits &limits, HostQuestion question, const CheckDefinition &check,
                              Program::TextResult result, const QString &passFallback, const QString &failFallback);
