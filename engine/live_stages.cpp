#include "engine/live_stages.h"

#include <QStringList>

namespace {
QStringList stageTitles(PackageKind kind)
{
    if (kind == PackageKind::diskImage) {
        return {
            QStringLiteral("Verifying disk image"),
            QStringLiteral("Checking Developer ID signature"),
            QStringLiteral("Validating notarization ticket"),
            QStringLiteral("Running Gatekeeper assessment"),
            QStringLiteral("Mounting disk image"),
            QStringLiteral("Inspecting packaged application"),
        };
    }
    return {
        QStringLiteral("Verifying code signature"),
        QStringLiteral("Checking Developer ID"),
        QStringLiteral("Checking Hardened Runtime"),
        QStringLiteral("Reviewing release entitlements"),
        QStringLiteral("Running Gatekeeper assessment"),
    };
}
} // namespace

QList<LiveInspectionStage> makeLiveStages(PackageKind kind)
{
    QList<LiveInspectionStage> stages;
    for (const QString &title : stageTitles(kind))
        stages.append(LiveInspectionStage{QUuid::createUuid(), title, LiveStageStatus::pending});
    return stages;
}
