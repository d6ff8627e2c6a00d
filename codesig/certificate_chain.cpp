#include "codesig/certificate_chain.h"
#include "contract/release_tool_contract.h"

#include <openssl/x509v3.h>

#include <algorithm>

namespace codesig {
namespace {

// Apple's Developer ID Certification Authorities carry this one.
constexpr const char *developerIdAuthorityExtension = "1.2.840.113635.100.6.2.6";

struct ContextFree {
    void operator()(X509_STORE_CTX *context) const { X509_STORE_CTX_free(context); }
};
struct ObjectFree { void operator()(ASN1_OBJECT *object) const { ASN1_OBJECT_free(object); } };

// Unknown critical extensions are judged after the chain is built, below,
// where the one Apple-defined extension can be told from the rest.
int allowCriticalExtensions(int ok, X509_STORE_CTX *context)
{
    if (!ok && X509_STORE_CTX_get_error(context) == X509_V_ERR_UNHANDLED_CRITICAL_EXTENSION)
        return 1;
    return ok;
}

QString objectText(const ASN1_OBJECT *object)
{
    char text[128] = {};
    const int length = OBJ_obj2txt(text, sizeof text, object, 1);
    return length > 0 && length < int(sizeof text) ? QString::fromLatin1(text) : QStringLiteral("(unreadable)");
}

bool holds(const std::vector<X509Ptr> &certificates, X509 *certificate)
{
    for (const X509Ptr &held : certificates)
        if (held && X509_cmp(held.get(), certificate) == 0)
            return true;
    return false;
}

QString unknownCriticalExtension(const std::vector<X509Ptr> &chain)
{
    for (const X509Ptr &certificate : chain) {
        for (int i = 0; i < X509_get_ext_count(certificate.get()); ++i) {
            X509_EXTENSION *extension = X509_get_ext(certificate.get(), i);
            if (!extension || !X509_EXTENSION_get_critical(extension) || X509_supported_extension(extension))
                continue;
            const QString oid = objectText(X509_EXTENSION_get_object(extension));
            if (oid != QLatin1String(kDeveloperIdLeafExtension))
                return QStringLiteral("a critical certificate extension is not understood: %1").arg(oid);
        }
    }
    return {};
}

QString failureFor(int error, int depth, const QString &moment)
{
    const QString which = depth == 0 ? QStringLiteral("the signing certificate")
                                     : QStringLiteral("a certificate in the signature's chain");
    switch (error) {
    case X509_V_OK: return {};
    case X509_V_ERR_CERT_HAS_EXPIRED: return QStringLiteral("%1 had expired at the %2").arg(which, moment);
    case X509_V_ERR_CERT_NOT_YET_VALID: return QStringLiteral("%1 was not yet valid at the %2").arg(which, moment);
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
        return QStringLiteral("a certificate's signature in the signature's chain is not valid");
    default: return QStringLiteral("the signature's certificate chain does not reach an Apple root certificate");
    }
}

// What a chain may be built through (see ChainPurpose); null when it cannot be made.
CertificateStack untrustedPool(STACK_OF(X509) *supplied, ChainPurpose purpose, const AppleAnchors &anchors)
{
    CertificateStack pool(sk_X509_new_null());
    bool made = bool(pool);
    const auto add = [&](X509 *certificate) {
        made = made && X509_add_cert(pool.get(), certificate, X509_ADD_FLAG_UP_REF) == 1;
    };
    const std::vector<X509Ptr> timestampAuthority{anchors.timestampAuthority};
    for (int i = 0; supplied && i < sk_X509_num(supplied); ++i)
        if (purpose == ChainPurpose::timestamp || !holds(timestampAuthority, sk_X509_value(supplied, i)))
            add(sk_X509_value(supplied, i));
    if (purpose == ChainPurpose::code)
        for (const X509Ptr &intermediate : anchors.intermediates)
            add(intermediate.get());
    else if (anchors.timestampAuthority)
        add(anchors.timestampAuthority.get());
    return made ? std::move(pool) : CertificateStack();
}

// The chain built and judged; failure set when it does not hold or reach a root.
ChainCheck builtChain(X509 *leaf, STACK_OF(X509) *supplied, std::time_t at, const QString &moment,
                      ChainPurpose purpose, const AppleAnchors &anchors)
{
    ChainCheck check;
    std::unique_ptr<X509_STORE, StoreFree> store(X509_STORE_new());
    CertificateStack untrusted = untrustedPool(supplied, purpose, anchors);
    std::unique_ptr<X509_STORE_CTX, ContextFree> context(X509_STORE_CTX_new());
    bool ready = store && untrusted && context && leaf;
    for (const X509Ptr &root : anchors.roots)
        ready = ready && X509_STORE_add_cert(store.get(), root.get()) == 1;
    if (!ready || X509_STORE_CTX_init(context.get(), store.get(), leaf, untrusted.get()) != 1) {
        check.failure = QStringLiteral("the signature's certificate chain could not be checked");
        return check;
    }
    X509_STORE_CTX_set_verify_cb(context.get(), allowCriticalExtensions);
    X509_STORE_CTX_set_time(context.get(), 0, at);
    const bool verified = X509_verify_cert(context.get()) == 1;
    STACK_OF(X509) *built = X509_STORE_CTX_get0_chain(context.get());
    for (int i = 0; built && i < sk_X509_num(built); ++i)
        check.chain.push_back(shareCertificate(sk_X509_value(built, i)));
    if (check.chain.empty())
        check.chain.push_back(shareCertificate(leaf));
    if (std::find(check.chain.begin(), check.chain.end(), nullptr) != check.chain.end()) {
        check.chain.clear();
        check.failure = QStringLiteral("the signature's certificate chain could not be checked");
        return check;
    }
    check.reachesAppleRoot = verified && holds(anchors.roots, check.chain.back().get());
    if (!verified)
        check.failure = failureFor(X509_STORE_CTX_get_error(context.get()),
                                   X509_STORE_CTX_get_error_depth(context.get()), moment);
    if ((!verified && check.failure.isEmpty()) || (verified && !check.reachesAppleRoot))
        check.failure = failureFor(X509_V_ERR_UNSPECIFIED, 0, moment);
    return check;
}

// What the leaf is for, and whether it is Developer ID, on a chain that holds.
QString purposeFailure(ChainCheck &check, ChainPurpose purpose)
{
    X509 *leaf = check.chain.front().get();
    const bool usageListed = X509_get_extension_flags(leaf) & EXFLAG_XKUSAGE;
    if (purpose == ChainPurpose::timestamp)
        return usageListed && (X509_get_extended_key_usage(leaf) & XKU_TIMESTAMP)
            ? QString() : QStringLiteral("the timestamp's certificate is not meant for timestamps");
    if (!usageListed || !(X509_get_extended_key_usage(leaf) & XKU_CODE_SIGN))
        return QStringLiteral("the signing certificate is not meant for signing code");
    const bool leafMarked = hasExtension(leaf, kDeveloperIdLeafExtension);
    const bool issuerMarked = check.chain.size() > 1 && hasExtension(check.chain[1].get(), developerIdAuthorityExtension);
    check.developerId = leafMarked && issuerMarked;
    if (check.developerId || !namesDeveloperIdApplication(subjectEntry(leaf, NID_commonName)))
        return {};
    return leafMarked ? QStringLiteral("the signing certificate is named Developer ID but not issued by a Developer ID Certification Authority")
                      : QStringLiteral("the signing certificate is named Developer ID but is not a Developer ID Application certificate");
}

} // namespace

ChainCheck checkChain(X509 *leaf, STACK_OF(X509) *supplied, std::time_t at, const QString &moment,
                      ChainPurpose purpose, const AppleAnchors &anchors)
{
    ChainCheck check = builtChain(leaf, supplied, at, moment, purpose, anchors);
    if (check.failure.isEmpty())
        check.failure = purposeFailure(check, purpose);
    if (check.chain.empty())
        return check;
    if (const QString extension = unknownCriticalExtension(check.chain); !extension.isEmpty())
        check.failure = extension;
    if (!check.failure.isEmpty())
        check.developerId = false;
    return check;
}

bool hasExtension(X509 *certificate, const char *oid)
{
    std::unique_ptr<ASN1_OBJECT, ObjectFree> object(OBJ_txt2obj(oid, 1));
    return object && X509_get_ext_by_OBJ(certificate, object.get(), -1) >= 0;
}

QStringList commonNames(const std::vector<X509Ptr> &chain)
{
    QStringList names;
    for (const X509Ptr &certificate : chain)
        names << subjectEntry(certificate.get(), NID_commonName);
    return names;
}

} // namespace codesig
