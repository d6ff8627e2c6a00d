#include "codesig/timestamp_token.h"

#include "codesig/apple_anchors.h"
#include "codesig/certificate_chain.h"

#include <openssl/ts.h>

namespace codesig {
namespace {

constexpr const char *timestampTokenAttribute = "1.2.840.113549.1.9.16.2.14";

struct TstInfoFree { void operator()(TS_TST_INFO *info) const { TS_TST_INFO_free(info); } };
struct ObjectFree { void operator()(ASN1_OBJECT *object) const { ASN1_OBJECT_free(object); } };

// The token's DER bytes, from the first value of the unsigned attribute.
QByteArray tokenBytes(CMS_SignerInfo *signer)
{
    std::unique_ptr<ASN1_OBJECT, ObjectFree> oid(OBJ_txt2obj(timestampTokenAttribute, 1));
    const int index = oid ? CMS_unsigned_get_attr_by_OBJ(signer, oid.get(), -1) : -1;
    X509_ATTRIBUTE *attribute = index >= 0 ? CMS_unsigned_get_attr(signer, index) : nullptr;
    ASN1_TYPE *value = attribute ? X509_ATTRIBUTE_get0_type(attribute, 0) : nullptr;
    if (!value || value->type != V_ASN1_SEQUENCE)
        return {};
    return QByteArray(reinterpret_cast<const char *>(value->value.sequence->data), value->value.sequence->length);
}

bool imprintCovers(TS_TST_INFO *info, CMS_SignerInfo *signer)
{
    TS_MSG_IMPRINT *imprint = TS_TST_INFO_get_msg_imprint(info);
    X509_ALGOR *algorithm = imprint ? TS_MSG_IMPRINT_get_algo(imprint) : nullptr;
    const EVP_MD *digest = algorithm ? EVP_get_digestbyobj(algorithm->algorithm) : nullptr;
    ASN1_OCTET_STRING *signature = CMS_SignerInfo_get0_signature(signer);
    ASN1_OCTET_STRING *expected = imprint ? TS_MSG_IMPRINT_get_msg(imprint) : nullptr;
    unsigned char computed[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    return digest && signature && expected
        && EVP_Digest(signature->data, size_t(signature->length), computed, &length, digest, nullptr) == 1
        && int(length) == expected->length && CRYPTO_memcmp(computed, expected->data, length) == 0;
}

bool passesThroughTimestampCa(const std::vector<X509Ptr> &chain)
{
    const X509Ptr &authority = appleAnchors().timestampAuthority;
    for (const X509Ptr &certificate : chain)
        if (authority && X509_cmp(certificate.get(), authority.get()) == 0)
            return true;
    return false;
}

} // namespace

std::optional<QDateTime> asn1Time(const ASN1_TIME *time)
{
    struct tm parts {};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return std::nullopt;
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                     QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

TimestampCheck checkTimestamp(CMS_SignerInfo *signer)
{
    TimestampCheck check;
    const QByteArray der = tokenBytes(signer);
    if (der.isEmpty())
        return check;
    check.present = true;
    check.failure = QStringLiteral("the signature's secure timestamp is not valid");
    const auto *cursor = reinterpret_cast<const unsigned char *>(der.constData());
    CmsPtr token(d2i_CMS_ContentInfo(nullptr, &cursor, der.size()));
    std::unique_ptr<BIO, BioFree> content(BIO_new(BIO_s_mem()));
    if (!token || !content
        || CMS_verify(token.get(), nullptr, nullptr, nullptr, content.get(), CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1)
        return check;
    std::unique_ptr<TS_TST_INFO, TstInfoFree> info(d2i_TS_TST_INFO_bio(content.get(), nullptr));
    const auto time = info ? asn1Time(TS_TST_INFO_get_time(info.get())) : std::nullopt;
    if (!time || !imprintCovers(info.get(), signer))
        return check;
    // get0: the signers belong to the token; only the stack itself is freed.
    STACK_OF(X509) *signers = CMS_get0_signers(token.get());
    X509 *authority = signers && sk_X509_num(signers) == 1 ? sk_X509_value(signers, 0) : nullptr;
    sk_X509_free(signers);
    CertificateStack supplied(CMS_get1_certs(token.get()));
    const ChainCheck chain = checkChain(authority, supplied.get(), time->toSecsSinceEpoch(), QStringLiteral("secure timestamp"),
                                        ChainPurpose::timestamp);
    if (!chain.failure.isEmpty() || !passesThroughTimestampCa(chain.chain)) {
        check.failure = QStringLiteral("the signature's secure timestamp does not chain to the Apple Timestamp CA");
        return check;
    }
    check.time = time;
    check.failure.clear();
    return check;
}

} // namespace codesig
