#include "codesig/notary_forecast.h"

#include "codesig/binary_facts.h"
#include "codesig/notary_forecast_parts.h"

namespace codesig {
namespace {

const QString kError = QStringLiteral("error");

const QString kSignFix = QStringLiteral(
    "Sign it, nested code first, with codesign --sign \"Developer ID Application: …\" --options runtime --timestamp.");

// The oldest SDK the service accepts.
constexpr std::uint32_t oldestSdk = 0x000a0900;

bool onlyWeakHashes(const SliceInventory &slice)
{
    return !slice.hashTypes.isEmpty() && slice.hashTypes.count(QStringLiteral("sha1")) == slice.hashTypes.size();
}

// A signature whose certificate was never reached (the code was found changed
// first) says nothing about who signed it.
bool wrongCertificate(const SliceInventory &slice)
{
    return slice.kind != SignatureKind::developerId && (slice.kind != SignatureKind::other || slice.leafExpiry);
}

void addSignatureIssues(QList<ForecastIssue> &issues, const CodeItem &item, const SliceInventory &slice)
{
    const auto add = [&](const QString &message, const QString &fix) {
        issues << forecastIssue(kError, item.path, message, slice.architecture, fix);
    };
    // Unsigned code lacks a timestamp and the runtime flag as well, and the
    // service lists those too.
    const bool isSigned = slice.kind != SignatureKind::none;
    if (!isSigned) {
        add(QStringLiteral("The binary is not signed."), kSignFix);
    } else if (!slice.failures.isEmpty() || !item.sealFailures.isEmpty()) {
        add(QStringLiteral("The signature of the binary is invalid."),
            QStringLiteral("Sign it again after its last change (nested code first), then check it with codesign --verify --deep --strict."));
        return;
    } else if (wrongCertificate(slice)) {
        add(QStringLiteral("The binary is not signed with a valid Developer ID certificate."),
            QStringLiteral("Sign it with a Developer ID Application certificate: codesign --sign \"Developer ID Application: …\"."));
    }
    if (!slice.secureTimestamp)
        add(QStringLiteral("The signature does not include a secure timestamp."),
            QStringLiteral("Sign it again with --timestamp (not --timestamp=none), with the network reaching Apple's timestamp service."));
    if (slice.fileType == machOType::executable && !slice.hardenedRuntime)
        add(QStringLiteral("The executable does not have the hardened runtime enabled."),
            QStringLiteral("Sign it again with --options runtime (Xcode: Enable Hardened Runtime)."));
    if (!isSigned)
        return;
    if (slice.getTaskAllow)
        add(QStringLiteral("The executable requests the com.apple.security.get-task-allow entitlement."),
            QStringLiteral("Remove com.apple.security.get-task-allow from the release entitlements and sign again."));
    if (onlyWeakHashes(slice))
        add(QStringLiteral("The signature algorithm used is too weak."),
            QStringLiteral("Sign it again with a SHA-256 CodeDirectory (a current codesign, or --digest-algorithm=sha1,sha256)."));
}

ForecastCode forecastCode(const CodeItem &item)
{
    ForecastCode code{item.path, {}, {}};
    for (const SliceInventory &slice : item.slices) {
        code.architectures << slice.architecture;
        code.signatures << signatureKindName(slice.kind);
    }
    return code;
}

} // namespace

ForecastIssue forecastIssue(const QString &severity, const QString &path, const QString &message,
                            const QString &architecture, const QString &fix)
{
    return ForecastIssue{severity, path, message, architecture, fix};
}

void addNotaryIssues(QList<ForecastIssue> &issues, const CodeItem &item)
{
    if (!item.damage.isEmpty()) {
        issues << forecastIssue(kError, item.path, QStringLiteral("The signature of the binary is invalid."), QString(),
                                QStringLiteral("Rebuild the file: its Mach-O structure is damaged (%1).").arg(item.damage));
        return;
    }
    for (const SliceInventory &slice : item.slices) {
        addSignatureIssues(issues, item, slice);
        if (slice.sdk && *slice.sdk < oldestSdk)
            issues << forecastIssue(kError, item.path, QStringLiteral("The binary uses an SDK older than the 10.9 SDK."),
                                    slice.architecture, QStringLiteral("Rebuild it against the macOS 10.9 SDK or later."));
    }
}

NotaryForecast forecastOf(const CodeInventory &inventory, const QDateTime &now)
{
    NotaryForecast forecast;
    for (const CodeItem &item : inventory.items) {
        addNotaryIssues(forecast.issues, item);
        forecast.code << forecastCode(item);
    }
    addLaunchIssues(forecast.issues, inventory, now);
    return forecast;
}

NotaryForecast forecastPackage(const QString &root, const QString &displayName, const QDateTime &now)
{
    return forecastOf(inventoryOf(root, displayName), now);
}

} // namespace codesig
