#include "codesig/cms_signature.h"

#include "codesig/certificate_chain.h"
#include "codesig/timestamp_token.h"
#include "proplist/property_list.h"

#include <climits>

namespace codesig {
namespace {

constexpr const char *cdHashesAttribute = "1.2.840.113635.100.9.1";
const QString modified = QStringLiteral("invalid signature (code or signature have been modified)");

struct ObjectFree { void operator()(ASN1_OBJECT *object) const { ASN1_OBJECT_free(object); } };

std::optional<QDateTime> signingTimeOf(CMS_SignerInfo *signer)
{
    const int index = CMS_signed_get_attr_by_NID(signer, NID_pkcs9_signingTime, -1);
    X509_ATTRIBUTE *attribute = index >= 0 ? CMS_signed_get_attr(signer, index) : nullptr;
    ASN1_TYPE *value = attribute ? X509_ATTRIBUTE_get0_type(attribute, 0) : nullptr;
    if (!value || (value->type != V_ASN1_UTCTIME && value->type != V_ASN1_GENERALIZEDTIME))
        return std::nullopt;
    return asn1Time(reinterpret_cast<const ASN1_TIME *>(value->value.asn1_string));
}

// The hashes the CDHashes attribute lists; nullopt when it is absent, an
// empty list with ok=false when it cannot be read.
std::optional<QList<QByteArray>> listedCdHashes(CMS_SignerInfo *signer, bool &ok)
{
    ok = true;
    std::unique_ptr<ASN1_OBJECT, ObjectFree> oid(OBJ_txt2obj(cdHashesAttribute, 1));
    const int index = oid ? CMS_signed_get_attr_by_OBJ(signer, oid.get(), -1) : -2;
    if (index == -1)
        return std::nullopt;
    X509_ATTRIBUTE *attribute = index >= 0 ? CMS_signed_get_attr(signer, index) : nullptr;
    ASN1_TYPE *value = attribute ? X509_ATTRIBUTE_get0_type(attribute, 0) : nullptr;
    ok = value && value->type == V_ASN1_OCTET_STRING && value->value.octet_string->length > 0;
    if (!ok)
        return QList<QByteArray>{};
    const std::optional<QVariant> root = parsePropertyList(QByteArray(
        reinterpret_cast<const char *>(value->value.octet_string->data), value->value.octet_string->length));
    const QVariant array = root.value_or(QVariant()).toMap().value(QStringLiteral("cdhashes"));
    ok = array.typeId() == QMetaType::QVariantList;
    QList<QByteArray> hashes;
    for (const QVariant &item : array.toList()) {
        ok = ok && item.typeId() == QMetaType::QByteArray;
        if (ok)
            hashes << item.toByteArray();
    }
    return hashes;
}

void judgeChain(CmsCheck &check, CMS_ContentInfo *cms, X509 *leaf, CMS_SignerInfo *signer)
{
    const TimestampCheck timestamp = checkTimestamp(signer);
    check.signingTime = signingTimeOf(signer);
    check.secureTimestamp = timestamp.time;
    if (!timestamp.failure.isEmpty())
        check.failures << timestamp.failure;
    QDateTime at = QDateTime::currentDateTimeUtc();
    QString moment = QStringLiteral("time of checking");
    if (timestamp.time) {
        at = *timestamp.time;
        moment = QStringLiteral("secure timestamp");
        check.validityRule = ValidityRule::secureTimestamp;
    } else if (check.signingTime) {
        at = *check.signingTime;
        moment = QStringLiteral("signing time");
        check.validityRule = ValidityRule::signingTime;
    }
    CertificateStack supplied(CMS_get1_certs(cms));
    const ChainCheck chain = checkChain(leaf, supplied.get(), at.toSecsSinceEpoch(), moment, ChainPurpose::code);
    check.chain = chain.chain;
    check.reachesAppleRoot = chain.reachesAppleRoot;
    check.developerId = chain.developerId;
    // Names are shown only for a chain that holds: a certificate that does not
    // lead to Apple's root names nobody.
    if (chain.failure.isEmpty())
        check.authorities = commonNames(chain.chain);
    else
        check.failures.prepend(chain.failure);
}

} // namespace

CmsCheck checkCmsSignature(ByteView cms, ByteView primaryDirectory, const QList<QByteArray> &cdHashes)
{
    CmsCheck check;
    const unsigned char *cursor = cms.data();
    // The wrapper's length is 32 bits wide; OpenSSL counts in int and long.
    const bool sized = cms.size() > 0 && primaryDirectory.size() <= std::size_t(INT_MAX) && cms.size() <= std::size_t(INT_MAX);
    CmsPtr parsed(sized ? d2i_CMS_ContentInfo(nullptr, &cursor, long(cms.size())) : nullptr);
    STACK_OF(CMS_SignerInfo) *signers = parsed ? CMS_get0_SignerInfos(parsed.get()) : nullptr;
    if (!signers || sk_CMS_SignerInfo_num(signers) != 1) {
        check.failures << modified << QStringLiteral("the CMS signature is damaged");
        return check;
    }
    // A memory BIO passed straight in is copied by CMS_verify, and OpenSSL 3.0
    // leaks that copy on some failures; behind a null filter it is read in place.
    std::unique_ptr<BIO, BioChainFree> content(BIO_new(BIO_f_null()));
    BIO *memory = content ? BIO_new_mem_buf(primaryDirectory.data(), int(primaryDirectory.size())) : nullptr;
    if (memory && !BIO_push(content.get(), memory)) {
        BIO_free(memory);
        memory = nullptr;
    }
    if (!memory || CMS_verify(parsed.get(), nullptr, nullptr, content.get(), nullptr,
                               CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY | CMS_DETACHED) != 1) {
        check.failures << modified << QStringLiteral("the CMS signature does not match the CodeDirectory");
        return check;
    }
    CMS_SignerInfo *signer = sk_CMS_SignerInfo_value(signers, 0);
    X509 *leaf = nullptr;
    if (signer)
        CMS_SignerInfo_get0_algs(signer, nullptr, &leaf, nullptr, nullptr);
    bool readable = true;
    const auto listed = signer ? listedCdHashes(signer, readable) : std::nullopt;
    if (!signer || !readable || (listed && (listed->size() != cdHashes.size()
                                 || !std::all_of(cdHashes.begin(), cdHashes.end(),
                                                 [&](const QByteArray &hash) { return listed->contains(hash); })))) {
        check.failures << modified << QStringLiteral("the signed CDHashes do not match the CodeDirectories");
        return check;
    }
    // The CMS signs the primary CodeDirectory alone; an alternate is bound only through that list.
    if (!listed && cdHashes.size() > 1) {
        check.failures << modified << QStringLiteral("the signature does not bind its alternate CodeDirectories");
        return check;
    }
    check.everyDirectoryBound = true;
    judgeChain(check, parsed.get(), leaf, signer);
    return check;
}

} // namespace codesig
