#include "engine/live_stages.h"

#include "engine/app_inspection.h"
#include "engine/disk_image_inspection.h"

QList<LiveInspectionStage> makeLiveStages(PackageKind kind)
{
    const QList<CheckDefinition> &checks = kind == PackageKind::diskImage ? diskImageStages() : applicationStages();
    QList<LiveInspectionStage> stages;
    for (const CheckDefinition &check : checks)
        stages.append(LiveInspectionStage{QUuid::createUuid(), check.stageTitle, LiveStageStatus::pending});
    return stages;
}
