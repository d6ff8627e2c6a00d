#include "engine/disk_image_inspection.h"

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "engine/disk_image_volume.h"
#include "engine/tool_checks.h"
#include "engine/tool_output.h"

#include <algorithm>

namespace {

void report(const StageProgress &progress, const CheckDefinition &stage, LiveStageStatus status)
{
    if (progress)
        progress(stageIndex(diskImageStages(), stage.id), status);
}

// The image's own checks read as their stages, so the live list and the results agree.
void report(const StageProgress &progress, const InspectionCheck &check)
{
    if (progress)
        progress(stageIndex(diskImageStages(), check.id), liveStageStatus(check));
}

// The image's Developer ID is read from its leaf authority, as an app's: the
// rest of the display carries names the package chose (an identifier reading
// "Developer ID Application: ..." on an ad-hoc image vouches for nothing).
InspectionCheck signatureCheck(const QString &displayOutput)
{
    const QStringList authorities = signingAuthorities(displayOutput);
    if (!isDeveloperIdLeaf(authorities))
        return makeCheck(Checks::diskImageSignature, CheckStatus::warning,
                         QStringLiteral("Veristamp did not find a Developer ID Application signature on the DMG."));
    return makeCheck(Checks::diskImageSignature, CheckStatus::pass, authorities.first());
}

InspectionCheck packagedApplicationCheck(const QList<QUrl> &apps)
{
    const CheckDefinition &check = Checks::packagedApplication;
    if (apps.isEmpty())
        return makeCheck(check, CheckStatus::fail,
                         QStringLiteral("No .app bundle was found at the top level of the mounted DMG."));
    const QString first = lastPathComponent(apps.first());
    if (apps.size() == 1)
        return makeCheck(check, CheckStatus::pass, first + QStringLiteral(" was found inside the DMG."));
    return makeCheck(check, CheckStatus::warning,
                     QStringLiteral("Multiple app bundles were found. Veristamp inspected ") + first
                         + QLatin1Char('.'));
}

InspectionCheck cleanupCheck(const Program::TextResult &failedDetach)
{
    return makeCheck(Checks::diskImageCleanup, CheckStatus::warning,
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
    if (appCount > 1)
        return LiveStageStatus::warning;
    if (anyCheckIs(embeddedChecks, CheckStatus::warning)) {
        const bool onlyHostLimits = std::all_of(embeddedChecks.begin(), embeddedChecks.end(), [](const auto &c) {
            return c.status != CheckStatus::warning || isHostLimit(c);
        });
        return onlyHostLimits ? LiveStageStatus::hostLimit : LiveStageStatus::warning;
    }
    return LiveStageStatus::pass;
}

// The image's own checks, stages 0 to 3.
QList<InspectionCheck> inspectImage(const QString &path, const ReleaseTools &tools, const StageProgress &progress)
{
    QList<InspectionCheck> checks;

    checks << exitStatusCheck(Checks::diskImageIntegrity, runTool(tools, imageVerificationCall(path)),
                              QStringLiteral("The DMG passed hdiutil verification."),
                              QStringLiteral("The DMG failed hdiutil verification."));
    report(progress, checks.last());

    checks << signatureCheck(withoutPackagePath(combinedOutput(runTool(tools, signatureDisplayCall(path))), path));
    report(progress, checks.last());

    checks << hostToolCheck(tools.limits, HostQuestion::ticketAuthenticity, Checks::notarizationTicket,
                            runTool(tools, ticketValidationCall(path)),
                            QStringLiteral("A valid stapled notarization ticket was found."),
                            QStringLiteral("Veristamp could not validate a stapled notarization ticket."));
    report(progress, checks.last());

    checks << hostToolCheck(tools.limits, HostQuestion::gatekeeperAssessment, Checks::gatekeeperAssessment,
                            runTool(tools, diskImageAssessmentCall(path)),
                            QStringLiteral("Gatekeeper accepted the disk image."),
                            QStringLiteral("Gatekeeper did not accept the disk image."));
    report(progress, checks.last());

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
        report(progress, Checks::packagedApplication, LiveStageStatus::fail);
        return std::nullopt;
    }
    AppInspection app = inspectApplication(apps.first(), tools);
    report(progress, Checks::packagedApplication, packagedAppStage(app.checks, apps.size()));
    return app;
}

} // namespace

const QList<CheckDefinition> &diskImageStages()
{
    static const QList<CheckDefinition> stages{Checks::diskImageIntegrity, Checks::diskImageSignature,
                                               Checks::notarizationTicket,  Checks::gatekeeperAssessment,
                                               Checks::diskImageMount,      Checks::packagedApplication};
    return stages;
}

InspectionResult inspectDiskImage(const QUrl &image, const ReleaseTools &tools, const StageProgress &progress)
{
    DiskImageInspection inspection{displayNameOf(image), inspectImage(image.toLocalFile(), tools, progress), {}};

    const DiskImageMount mount = mountDiskImage(image, tools);
    if (!mount.mountPoint) {
        // Nothing known to be mounted, so nothing to search and nothing to detach.
        report(progress, Checks::diskImageMount, LiveStageStatus::fail);
        report(progress, Checks::packagedApplication, LiveStageStatus::fail);
        inspection.checks << makeCheck(Checks::diskImageMount, CheckStatus::fail, mount.message);
    } else {
        report(progress, Checks::diskImageMount, LiveStageStatus::pass);
        inspection.embeddedApp = inspectVolume(*mount.mountPoint, tools, progress, inspection.checks);

        // One attempt, never forced: a busy volume stays mounted and is reported.
        const Program::TextResult detach = detachDiskImage(*mount.mountPoint, tools);
        if (!detach.outcome.succeeded())
            inspection.checks << cleanupCheck(detach);
    }

    return InspectionResult{image, measureByteSize(image), std::move(inspection)};
}
