#pragma once
// One run as a window shows it: the package inspected on a worker thread
// under the run's stop, stage outcomes and the result handed to a pacer on
// the main thread. The pacer carries the run's signals; deleting it lets the
// run go, which still ends on its own (a mounted image is still detached).

#include "engine/package_intake.h"
#include "engine/release_tools.h"
#include "live/stage_pacer.h"

#include <functional>

// Work done on the worker thread after the checks, with the run's stoppable
// tools, unless the run was stopped. What it files is whole by the time the
// pacer has the result: the result is handed over through the worker's lock.
using AfterChecks = std::function<void(const ReleaseTools &stoppable)>;

void startLiveRun(StagePacer *pacer, const AcceptedPackage &package, const ReleaseTools &tools,
                  AfterChecks afterChecks = {});
