#include "live/live_run.h"

#include "engine/package_inspection.h"
#include "live/inspection_worker.h"

void startLiveRun(StagePacer *pacer, const AcceptedPackage &package, const ReleaseTools &tools,
                  AfterChecks afterChecks)
{
    const InspectionWorker *worker = InspectionWorker::start(
        [package, tools, afterChecks = std::move(afterChecks)](const StageProgress &progress,
                                                               const std::atomic<bool> &stop) {
            const ReleaseTools stoppable = stoppedBy(tools, &stop);
            InspectionResult result = inspectPackage(package.location, package.kind, stoppable, progress);
            if (afterChecks && !stop.load())
                afterChecks(stoppable);
            return result;
        });
    QObject::connect(worker, &InspectionWorker::stageFinished, pacer, &StagePacer::stageFinished);
    QObject::connect(worker, &InspectionWorker::finished, pacer, &StagePacer::inspectionFinished);
}
