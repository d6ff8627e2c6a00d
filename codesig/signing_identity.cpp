#include "codesig/signing_identity.h"

#include "codesig/certificate_chain.h"
#include "codesig/code_directory.h"
#include "codesig/openssl_handles.h"
#include "codesig/timestamp_token.h"

namespace codesig {
namespace {

// The extensions Apple's intermediates mark a leaf's purpose with.
constexpr const char *macDevelopment = "1.2.840.113635.100.6.1.12";
constexpr const char *macAppDistribution = "1.2.840.113635.100.6.1.7";

X509Ptr parsed(const QByteArray &der)
{
    const unsigned char *cursor = reinterpret_cast<const unsigned char *>(der.constData());
    X509 *certificate = der.isEmpty() ? nullptr : d2i_X509(nullptr, &cursor, long(der.size()));
    return X509Ptr(certificate, X509Free{});
}

} // namespace

QString signatureKindName(SignatureKind kind)
{
    switch (kind) {
    case SignatureKind::none: return QStringLiteral("none");
    case SignatureKind::adHoc: return QStringLiteral("ad hoc");
    case SignatureKind::linkerSigned: return QStringLiteral("linker-signed");
    case SignatureKind::developerId: return QStringLiteral("Developer ID");
    case SignatureKind::appleDevelopment: return QStringLiteral("Apple Development");
    case SignatureKind::macAppDistribution: return QStringLiteral("Mac App Distribution");
    case SignatureKind::other: break;
    }
    return QStringLiteral("other");
}

SignatureKind signatureKindOf(const SliceSignature &slice)
{
    // The linker marks its signatures ad hoc as well; its own flag says more.
    if (slice.flags & cdFlag::linkerSigned)
        return SignatureKind::linkerSigned;
    if (slice.flags & cdFlag::adhoc)
        return SignatureKind::adHoc;
    const X509Ptr leaf = parsed(slice.leafCertificate);
    if (!leaf || !slice.leafReachesAppleRoot)
        return SignatureKind::other;
    if (hasExtension(leaf.get(), kDeveloperIdLeafExtension))
        return SignatureKind::developerId;
    if (hasExtension(leaf.get(), macDevelopment))
        return SignatureKind::appleDevelopment;
    if (hasExtension(leaf.get(), macAppDistribution))
        return SignatureKind::macAppDistribution;
    return SignatureKind::other;
}

std::optional<QDateTime> leafExpiry(const SliceSignature &slice)
{
    const X509Ptr leaf = parsed(slice.leafCertificate);
    return leaf ? asn1Time(X509_get0_notAfter(leaf.get())) : std::nullopt;
}

} // namespace codesig
