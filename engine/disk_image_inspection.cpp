#include "engine/disk_image_inspection.h"

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "engine/disk_image_volume.h"
#include "engine/tool_checks.h"
#include "engine/tool_output.h"

#include <algorithm>

namespace {

// Stage indices of a disk-image inspection.
enum Stage { verifying, signature, ticket, assessment, mounting, packagedApp };

void report(const StageProgress &progress, Stage stage, LiveStageStatus status)
{
    if (progress)
        progress(stage, status);
}

// The image's Developer ID is read from its leaf authority, as an app's: the
// rest of the display carries names the package chose (an identifier reading
// "Developer ID Application: ..." on an ad-hoc image vouches for nothing).
InspectionCheck signatureCheck(const QString &displayOutput)
{
    const QString title = QStringLiteral("DMG signature");
    const QStringList authorities = signingAuthorities(displayOutput);
    if (!isDeveloperIdLeaf(authorities))
        return makeCheck(title, CheckStatus::warning,
                         QStringLiteral("Veristamp did not find a Developer ID Application signature on the DMG."));
    return makeCheck(title, CheckStatus::pass, authorities.first());
}

InspectionCheck packagedApplicationCheck(const QList<QUrl> &apps)
{
    const QString title = QStringLiteral("Packaged application");
    if (apps.isEmpty())
        return makeCheck(title, CheckStatus::fail,
                         QStringLiteral("No .app bundle was found at the top level of the mounted DMG."));
    const QString first = lastPathComponent(apps.first());
    if (apps.size() == 1)
        return makeCheck(title, CheckStatus::pass, first + QStringLiteral(" was found inside the DMG."));
    return makeCheck(title, CheckStatus::warning,
                     QStringLiteral("Multiple app bundles were found. Veristamp inspected ") + first
                         + QLatin1Char('.'));
}

InspectionCheck cleanupCheck(const Shell::TextResult &failedDetach)
{
    return makeCheck(QStringLiteral("Disk image cleanup"), CheckStatus::warning,
                     condensedDetail(combinedOutput(failedDetach),
                                     QStringLiteral("The mounted DMG could not be detached automatically.")));
}

bool anyCheckIs(const QList<InspectionCheck> &checks, CheckStatus status)
{
    return std::any_of(checks.begin(), checks.end(), [status](const InspectionCheck &c) { return c.status == status; });
}

LiveStageStatus packagedAppStage(const QList<InspectionCheck> &embeddedChecks, qsizetype appCount)
{
    if (anyCheckIs(embeddedChecks, CheckStatus::fail))
        return LiveStageStatus::fail;
    if (anyCheckIs(embeddedChecks, CheckStatus::warning) || appCount > 1)
        return LiveStageStatus::warning;
    return LiveStageStatus::pass;
}

// The image's own checks, stages 0 to 3.
QList<InspectionCheck> inspectImage(const QString &path, const ReleaseTools &tools, const StageProgress &progress)
{
    QList<InspectionCheck> checks;

    checks << exitStatusCheck(QStringLiteral("Disk image integrity"), runTool(tools, imageVerificationCall(path)),
                              QStringLiteral("The DMG passed hdiutil verification."),
                              QStringLiteral("The DMG failed hdiutil verification."));
    report(progress, verifying, liveStageStatus(checks.last().status));

    checks << signatureCheck(withoutPackagePath(combinedOutput(runTool(tools, signatureDisplayCall(path))), path));
    report(progress, signature, liveStageStatus(checks.last().status));

    checks << hostToolCheck(tools.limits, HostQuestion::ticketAuthenticity, QStringLiteral("Stapled notarization ticket"),
                            runTool(tools, ticketValidationCall(path)),
                            QStringLiteral("A valid stapled notarization ticket was found."),
                            QStringLiteral("Veristamp could not validate a stapled notarization ticket."));
    report(progress, ticket, liveStageStatus(checks.last().status));

    checks << hostToolCheck(tools.limits, HostQuestion::gatekeeperAssessment, QStringLiteral("Gatekeeper assessment"),
                            runTool(tools, diskImageAssessmentCall(path)),
                            QStringLiteral("Gatekeeper accepted the disk image."),
                            QStringLiteral("Gatekeeper did not accept the disk image."));
    report(progress, assessment, liveStageStatus(checks.last().status));

    return checks;
}

// Stage 5 on a mounted volume: find the apps and inspect the first, silently.
// Reported here, before the caller detaches the volume.
std::optional<AppInspection> inspectVolume(const QUrl &mountPoint, const ReleaseTools &tools,
                                               const StageProgress &progress, QList<InspectionCheck> &checks)
{
    const QList<QUrl> apps = findApplicationBundles(mountPoint);
    checks << packagedApplicationCheck(apps);
    if (apps.isEmpty()) {
        report(progress, packagedApp, LiveStageStatus::fail);
        return std::nullopt;
    }
    AppInspection app = inspectApplication(apps.first(), tools);
    report(progress, packagedApp, packagedAppStage(app.checks, apps.size()));
    return app;
}

} // namespace

InspectionResult inspectDiskImage(const QUrl &image, const ReleaseTools &tools, const StageProgress &progress)
{
    DiskImageInspection inspection{displayNameOf(image), inspectImage(image.toLocalFile(), tools, progress), {}};

    const DiskImageMount mount = mountDiskImage(image, tools);
    if (!mount.mountPoint) {
        // Nothing known to be mounted, so nothing to search and nothing to detach.
        report(progress, mounting, LiveStageStatus::fail);
        report(progress, packagedApp, LiveStageStatus::fail);
        inspection.checks << makeCheck(QStringLiteral("Mount disk image"), CheckStatus::fail, mount.message);
    } else {
        report(progress, mounting, LiveStageStatus::pass);
        inspection.embeddedApp = inspectVolume(*mount.mountPoint, tools, progress, inspection.checks);

        // One attempt, never forced: a busy volume stays mounted and is reported.
        const Shell::TextResult detach = detachDiskImage(*mount.mountPoint, tools);
        if (!detach.outcome.succeeded())
            inspection.checks << cleanupCheck(detach);
    }

    return InspectionResult{image, measureByteSize(image), std::move(inspection)};
}
