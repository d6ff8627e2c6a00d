#include "codesig/certificate_chain.h"

#include "codesig/apple_anchors.h"

#include <openssl/x509v3.h>

namespace codesig {
namespace {

// Developer ID leaves mark themselves with this critical extension; OpenSSL
// does not know it, and it says nothing a verifier must act on.
constexpr const char *developerIdLeafExtension = "1.2.840.113635.100.6.1.13";

struct ContextFree {
    void operator()(X509_STORE_CTX *context) const { X509_STORE_CTX_free(context); }
};

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
    OBJ_obj2txt(text, sizeof text, object, 1);
    return QString::fromLatin1(text);
}

QString unknownCriticalExtension(const std::vector<X509Ptr> &chain)
{
    for (const X509Ptr &certificate : chain) {
        for (int i = 0; i < X509_get_ext_count(certificate.get()); ++i) {
            X509_EXTENSION *extension = X509_get_ext(certificate.get(), i);
            if (!X509_EXTENSION_get_critical(extension) || X509_supported_extension(extension))
                continue;
            const QString oid = objectText(X509_EXTENSION_get_object(extension));
            if (oid != QLatin1String(developerIdLeafExtension))
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

} // namespace

ChainCheck checkChain(X509 *leaf, STACK_OF(X509) *supplied, std::time_t at, const QString &moment)
{
    ChainCheck check;
    std::unique_ptr<X509_STORE, StoreFree> store(X509_STORE_new());
    CertificateStack untrusted(sk_X509_new_null());
    std::unique_ptr<X509_STORE_CTX, ContextFree> context(X509_STORE_CTX_new());
    if (!store || !untrusted || !context || !leaf) {
        check.failure = QStringLiteral("the signature's certificate chain could not be checked");
        return check;
    }
    for (const X509Ptr &root : appleAnchors().roots)
        X509_STORE_add_cert(store.get(), root.get());
    for (int i = 0; supplied && i < sk_X509_num(supplied); ++i)
        X509_up_ref(sk_X509_value(supplied, i)), sk_X509_push(untrusted.get(), sk_X509_value(supplied, i));
    for (const X509Ptr &intermediate : appleAnchors().intermediates)
        X509_up_ref(intermediate.get()), sk_X509_push(untrusted.get(), intermediate.get());
    X509_STORE_set_verify_cb(store.get(), allowCriticalExtensions);
    X509_STORE_CTX_init(context.get(), store.get(), leaf, untrusted.get());
    X509_STORE_CTX_set_time(context.get(), 0, at);
    const bool verified = X509_verify_cert(context.get()) == 1;
    STACK_OF(X509) *built = X509_STORE_CTX_get0_chain(context.get());
    for (int i = 0; built && i < sk_X509_num(built); ++i)
        check.chain.push_back(shareCertificate(sk_X509_value(built, i)));
    if (check.chain.empty())
        check.chain.push_back(shareCertificate(leaf));
    check.reachesAppleRoot = verified && isAppleRoot(check.chain.back().get());
    if (!verified) {
        check.failure = failureFor(X509_STORE_CTX_get_error(context.get()),
                                   X509_STORE_CTX_get_error_depth(context.get()), moment);
        if (check.failure.isEmpty())
            check.failure = failureFor(X509_V_ERR_UNSPECIFIED, 0, moment);
    } else if (!check.reachesAppleRoot) {
        check.failure = failureFor(X509_V_ERR_UNSPECIFIED, 0, moment);
    }
    if (const QString extension = unknownCriticalExtension(check.chain); !extension.isEmpty())
        check.failure = extension;
    return check;
}

QStringList commonNames(const std::vector<X509Ptr> &chain)
{
    QStringList names;
    for (const X509Ptr &certificate : chain)
        names << subjectEntry(certificate.get(), NID_commonName);
    return names;
}

} // namespace codesig
