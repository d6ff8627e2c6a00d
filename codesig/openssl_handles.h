#pragma once
// Owning handles for the OpenSSL objects this library passes around, so every
// path out of a function frees what it made.

#include <openssl/cms.h>
#include <openssl/x509.h>

#include <QByteArray>
#include <QString>

#include <memory>

namespace codesig {

struct X509Free { void operator()(X509 *certificate) const { X509_free(certificate); } };
struct CmsFree { void operator()(CMS_ContentInfo *cms) const { CMS_ContentInfo_free(cms); } };
struct StackFree { void operator()(STACK_OF(X509) *stack) const { sk_X509_pop_free(stack, X509_free); } };
struct StoreFree { void operator()(X509_STORE *store) const { X509_STORE_free(store); } };
struct BioFree { void operator()(BIO *bio) const { BIO_free(bio); } };
struct BioChainFree { void operator()(BIO *bio) const { BIO_free_all(bio); } };

using X509Ptr = std::shared_ptr<X509>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, CmsFree>;
using CertificateStack = std::unique_ptr<STACK_OF(X509), StackFree>;

// A shared handle on a certificate someone else owns (takes a reference);
// null when there is none or no reference can be taken.
inline X509Ptr shareCertificate(X509 *certificate)
{
    if (!certificate || X509_up_ref(certificate) != 1)
        return {};
    return X509Ptr(certificate, X509Free{});
}

inline QByteArray sha256Fingerprint(X509 *certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}

// The subject's first value for a name entry (NID_commonName, ...); empty when absent.
inline QString subjectEntry(X509 *certificate, int nid)
{
    X509_NAME *name = X509_get_subject_name(certificate);
    const int index = name ? X509_NAME_get_index_by_NID(name, nid, -1) : -1;
    if (index < 0)
        return {};
    ASN1_STRING *value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
    unsigned char *utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, value);
    if (length < 0)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(utf8), length);
    OPENSSL_free(utf8);
    return text;
}

} // namespace codesig
