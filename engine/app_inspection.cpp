#include "engine/app_inspection.h"

#include "engine/bundle_info.h"
#include "engine/entitlements.h"
#include "engine/tool_checks.h"
#include "engine/tool_output.h"
#include "contract/release_tool_contract.h"

#include <algorithm>

namespace {

// The facts read from the signature display (C2). Its exit status is never
// looked at: an unsigned app or a tool that did not start simply shows none
// of the patterns.
struct SignatureDisplay {
    QStringList authorities;
    bool hasDeveloperId = false;
    bool isAdHoc = false;
    bool hasHardenedRuntime = false;
    // The signer as the display names it: an ad-hoc signature has none,
    // whatever "Authority=" lines its display may carry.
    std::optional<QString> signingAuthority;
};

SignatureDisplay readSignatureDisplay(const QString &output)
{
    SignatureDisplay display;
    display.authorities = signingAuthorities(output);
    display.hasDeveloperId = isDeveloperIdLeaf(display.authorities);
    display.isAdHoc = output.contains(QLatin1String(kAdHocLine));
    if (!display.isAdHoc && !display.authorities.isEmpty())
        display.signingAuthority = display.authorities.first();
    // Only the first CodeDirectory line's flags count; "runtime" is matched in
    // any letter case there, and nowhere else (the "Runtime Version=" line does
    // not count). Lines before it carry the package's own names: an executable
    // or identifier named "x flags=0x10000(runtime)" must not stand in for it.
    for (QStringView line : lineViews(output)) {
        if (line.trimmed().startsWith(QLatin1String("CodeDirectory")) && line.contains(QLatin1String("flags="))) {
            display.hasHardenedRuntime = line.contains(QLatin1String("runtime"), Qt::CaseInsensitive);
            break;
        }
    }
    return display;
}

InspectionCheck developerIdCheck(const SignatureDisplay &display)
{
    const CheckDefinition &check = Checks::developerId;
    if (display.isAdHoc)
        return makeCheck(check, CheckStatus::fail,
                         QStringLiteral("The application is ad-hoc signed rather than signed for "
                                        "outside-the-App-Store distribution."));
    if (display.hasDeveloperId)
        return makeCheck(check, CheckStatus::pass, display.authorities.first());
    if (!display.authorities.isEmpty())
        return makeCheck(check, CheckStatus::warning,
                         QStringLiteral("Signing authority: ") + display.authorities.first());
    return makeCheck(check, CheckStatus::warning,
                     QStringLiteral("Veristamp could not find a Developer ID Application signing authority."));
}

InspectionCheck hardenedRuntimeCheck(const SignatureDisplay &display)
{
    const CheckDefinition &check = Checks::hardenedRuntime;
    if (display.hasHardenedRuntime)
        return makeCheck(check, CheckStatus::pass,
                         QStringLiteral("The code signature includes the Hardened Runtime flag."));
    return makeCheck(check, CheckStatus::warning,
                     QStringLiteral("Veristamp did not find the Hardened Runtime flag in the code signature."));
}

InspectionCheck releaseEntitlementsCheck(const SignedEntitlements &entitlements)
{
    const CheckDefinition &check = Checks::releaseEntitlements;
    const QStringList &risky = entitlements.enabledRiskyKeys;
    if (!risky.isEmpty())
        return makeCheck(check, CheckStatus::warning,
                         QStringLiteral("Review before shipping: ") + risky.join(QLatin1String(", "))
                             + QLatin1Char('.'));
    switch (entitlements.reading) {
    case SignedEntitlements::Reading::unreadable:
        return makeCheck(check, CheckStatus::warning,
                         QStringLiteral("Signed entitlements were reported but could not be read."));
    case SignedEntitlements::Reading::readable:
        return makeCheck(check, CheckStatus::pass,
                         QStringLiteral("No common development or weakened-runtime entitlements were detected."));
    case SignedEntitlements::Reading::none: break;
    }
    return makeCheck(check, CheckStatus::pass, QStringLiteral("No signed entitlements were reported."));
}

// Each stage reads exactly as its check, so the live list and the results agree.
void report(const StageProgress &progress, const InspectionCheck &check)
{
    if (progress)
        progress(stageIndex(applicationStages(), check.id), liveStageStatus(check));
}

} // namespace

const QList<CheckDefinition> &applicationStages()
{
    static const QList<CheckDefinition> stages{Checks::codeSignature, Checks::developerId, Checks::hardenedRuntime,
                                               Checks::releaseEntitlements, Checks::gatekeeperAssessment};
    return stages;
}

AppInspection inspectApplication(const QUrl &app, const ReleaseTools &tools, const StageProgress &progress)
{
    const std::optional<QVariantMap> info = bundleInfoDictionary(app);
    const QString path = app.toLocalFile();

    QList<InspectionCheck> checks;
    checks << exitStatusCheck(Checks::codeSignature, runTool(tools, signatureVerificationCall(path)),
                              QStringLiteral("The application passed codesign verification."),
                              QStringLiteral("The application failed codesign verification."));
    report(progress, checks.last());

    const SignatureDisplay display =
        readSignatureDisplay(withoutPackagePath(combinedOutput(runTool(tools, signatureDisplayCall(path))), path));
    checks << developerIdCheck(display);
    report(progress, checks.last());
    checks << hardenedRuntimeCheck(display);
    report(progress, checks.last());

    const SignedEntitlements entitlements = readSignedEntitlements(runToolData(tools, entitlementsCall(path)));
    checks << releaseEntitlementsCheck(entitlements);
    report(progress, checks.last());

    checks << hostToolCheck(tools.limits, HostQuestion::gatekeeperAssessment, Checks::gatekeeperAssessment,
                            runTool(tools, appAssessmentCall(path)),
                            QStringLiteral("Gatekeeper accepted the application."),
                            QStringLiteral("Gatekeeper did not accept the application."));
    report(progress, checks.last());

    return AppInspection{
        displayNameOf(app),
        infoText(info, QStringLiteral("CFBundleIdentifier")),
        infoText(info, QStringLiteral("CFBundleShortVersionString")),
        infoText(info, QStringLiteral("CFBundleVersion")),
        infoText(info, QStringLiteral("LSMinimumSystemVersion")),
        infoText(info, QStringLiteral("CFBundleExecutable")),
        checks,
        entitlements.text,
        display.signingAuthority,
    };
}
