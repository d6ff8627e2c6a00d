#pragma once
// The paced inspection run behind the live inspection screen. One run takes
// one accepted package: it carries out the inspection on a worker of the
// global thread pool and turns the inspection's stage reports into changes of
// the window's live stage list, each held on screen for at least
// minimumStageTime; the final stage's report waits until the inspection has
// returned. After resultHoldTime the result goes to the window. Stage changes
// are handed to the main thread synchronously (the worker waits until the
// change is applied), the result asynchronously.

#include "engine/inspection_records.h"
#include "engine/stage_progress.h"

#include <QList>

#include <chrono>
#include <functional>
#include <memory>

// The clock a run paces itself by. Tests drive a run on virtual time.
struct PacingClock {
    std::function<std::chrono::nanoseconds()> now;
    std::function<void(std::chrono::nanoseconds)> sleep;
};

// The application's clock: std::chrono::steady_clock and a real sleep of the calling thread.
PacingClock steadyPacingClock();

// The main-thread side of one run: where its stage changes and its result go.
// Read and written on the main thread only; the worker merely carries it.
// The owner detaches it when it goes away or stops wanting this run (a
// reset): from then on the run writes nothing and no longer paces itself,
// though the inspection still runs to its end, so a mounted image is still
// detached.
struct LiveRunLink {
    std::function<void(int stageIndex, LiveStageStatus status)> updateLiveStage;
    std::function<void(const InspectionResult &result)> publishResult;
    bool attached = true;
};

// The inspection a run carries out, given the run's progress callback.
using PackageInspectionCall = std::function<InspectionResult(const StageProgress &progress)>;

// The rule of a stage change: an index outside the list changes nothing; a
// final status makes the next stage active if it is still pending.
QList<LiveInspectionStage> updateLiveStage(QList<LiveInspectionStage> stages, int stageIndex,
                                           LiveStageStatus status);

// Starts a run and returns at once. stageCount is the length of the live
// stage list the intake has just stored. Call on the main thread.
void runInspection(PackageInspectionCall inspection, int stageCount, PacingClock clock,
                   std::shared_ptr<LiveRunLink> link);
