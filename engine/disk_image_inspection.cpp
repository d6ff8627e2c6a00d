#include "engine/disk_image_inspection.h"

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "engine/disk_image_volume.h"
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

LiveStageStatus stageStatus(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return LiveStageStatus::pass;
    case CheckStatus::warning: return LiveStageStatus::warning;
    default: return LiveStageStatus::fail;
    }
}

// A check whose tool speaks for itself in both outcomes; only its status decides pass or fail.
// The tool results are taken over, not copied: their output can be large.
InspectionCheck toolCheck(const QString &title, Shell::TextResult result, const QString &passFallback,
                          const QString &failFallback)
{
    const bool passed = result.exitCode == 0;
    return makeCheck(title, passed ? CheckStatus::pass : CheckStatus::fail,
                     condensedDetail(combinedOutput(std::move(result)), passed ? passFallback : failFallback));
}

InspectionCheck integrityCheck(Shell::TextResult verification)
{
    const QString title = QStringLiteral("Disk image integrity");
    if (verification.exitCode == 0)
        return makeCheck(title, CheckStatus::pass, QStringLiteral("The DMG passed hdiutil verification."));
    return makeCheck(title, CheckStatus::fail,
                     condensedDetail(combinedOutput(std::move(verification)),
                                     QStringLiteral("The DMG failed hdiutil verification.")));
}

// Unlike an app's, the image's Developer ID mark is looked for in the whole
// display output, so it counts even where no line begins with "Authority=".
InspectionCheck signatureCheck(const QString &displayOutput)
{
    const QString title = QStringLiteral("DMG signature");
    if (!displayOutput.contains(QLatin1String("Developer ID Application:")))
        return makeCheck(title, CheckStatus::warning,
                         QStringLiteral("Veristamp did not find a Developer ID Application signature on the DMG."));
    const QStringList authorities = signingAuthorities(displayOutput);
    return makeCheck(title, CheckStatus::pass,
                     authorities.isEmpty() ? QStringLiteral("Developer ID signature detected.") : authorities.first());
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

EmbeddedAppResult embeddedAppOf(const InspectionResult::AppInspection &app)
{
    return EmbeddedAppResult{app.displayName, app.bundleIdentifier, app.shortVersion,
                             app.buildVersion, app.checks,           app.entitlements};
}

// The image's own checks, stages 0 to 3.
QList<InspectionCheck> inspectImage(const QString &path, const ReleaseTools &tools, const StageProgress &progress)
{
    QList<InspectionCheck> checks;

    checks << integrityCheck(runTool(tools, imageVerificationCall(path)));
    report(progress, verifying, stageStatus(checks.last().status));

    checks << signatureCheck(combinedOutput(runTool(tools, signatureDisplayCall(path))));
    report(progress, signature, stageStatus(checks.last().status));

    checks << toolCheck(QStringLiteral("Stapled notarization ticket"), runTool(tools, ticketValidationCall(path)),
                        QStringLiteral("A valid stapled notarization ticket was found."),
                        QStringLiteral("Veristamp could not validate a stapled notarization ticket."));
    report(progress, ticket, stageStatus(checks.last().status));

    checks << toolCheck(QStringLiteral("Gatekeeper assessment"), runTool(tools, diskImageAssessmentCall(path)),
                        QStringLiteral("Gatekeeper accepted the disk image."),
                        QStringLiteral("Gatekeeper did not accept the disk image."));
    report(progress, assessment, stageStatus(checks.last().status));

    return checks;
}

// Stage 5 on a mounted volume: find the apps and inspect the first, silently.
// Reported here, before the caller detaches the volume.
std::optional<EmbeddedAppResult> inspectVolume(const QUrl &mountPoint, const ReleaseTools &tools,
                                               const StageProgress &progress, QList<InspectionCheck> &checks)
{
    const QList<QUrl> apps = findApplicationBundles(mountPoint);
    checks << packagedApplicationCheck(apps);
    if (apps.isEmpty()) {
        report(progress, packagedApp, LiveStageStatus::fail);
        return std::nullopt;
    }
    const InspectionResult::AppInspection app = inspectApplication(apps.first(), tools);
    report(progress, packagedApp, packagedAppStage(app.checks, apps.size()));
    return embeddedAppOf(app);
}

} // namespace

InspectionResult inspectDiskImage(const QUrl &image, const ReleaseTools &tools, const StageProgress &progress)
{
    InspectionResult result;
    result.url = image;
    result.kind = PackageKind::diskImage;
    result.displayName = displayNameOf(image);
    result.checks = inspectImage(image.toLocalFile(), tools, progress);

    const InspectionResult::MountResult mount = mountDiskImage(image, tools);
    if (!mount.mountPoint) {
        // Nothing known to be mounted, so nothing to search and nothing to detach.
        report(progress, mounting, LiveStageStatus::fail);
        report(progress, packagedApp, LiveStageStatus::fail);
        result.checks << makeCheck(QStringLiteral("Mount disk image"), CheckStatus::fail, mount.message);
    } else {
        report(progress, mounting, LiveStageStatus::pass);
        result.embeddedApp = inspectVolume(*mount.mountPoint, tools, progress, result.checks);

        // One attempt, never forced: a busy volume stays mounted and is reported.
        const Shell::TextResult detach = detachDiskImage(*mount.mountPoint, tools);
        if (detach.exitCode != 0)
            result.checks << cleanupCheck(detach);
    }

    result.byteSize = measureByteSize(image);
    return result;
}
