#pragma once
// Signed code made by the tests themselves: a small ad hoc signer for thin
// Mach-O files and UDIF-like images, a SuperBlob taken apart and put back
// together, universal files around given slices, and certificates with the
// extensions a chain policy looks at. Layouts are written out here by hand
// (never with the reader under test), as a signing tool lays them out.

#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QtEndian>

#include <memory>
#include <optional>

namespace signedcode {

inline quint32 be32(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.mid(at, 4).leftJustified(4, '\0').constData());
}
inline quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.mid(at, 4).leftJustified(4, '\0').constData());
}
inline void putBe32(QByteArray &bytes, qsizetype at, quint32 value) { qToBigEndian(value, bytes.data() + at); }
inline void putLe32(QByteArray &bytes, qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }
inline QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    putBe32(bytes, 0, value);
    return bytes;
}

// hashType as a CodeDirectory names it: 1 SHA-1, 2 SHA-256, 4 SHA-384.
inline QByteArray digest(int hashType, const QByteArray &bytes)
{
    const EVP_MD *md = hashType == 1 ? EVP_sha1() : hashType == 4 ? EVP_sha384() : EVP_sha256();
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.constData(), size_t(bytes.size()), out, &length, md, nullptr);
    return QByteArray(reinterpret_cast<const char *>(out), int(length));
}

struct Directory {
    int hashType = 2;
    QByteArray identifier = "com.example.tool";
    quint32 flags = 0x2; // adhoc
    std::optional<quint32> codeLimit; // default: all the code given
    std::optional<quint32> codeSlots; // default: one per 4 KiB page of the limit
    QMap<int, QByteArray> special;    // slot number -> the bytes it binds
};

// A version 0x20400 CodeDirectory over code.
inline QByteArray codeDirectory(const QByteArray &code, const Directory &directory)
{
    const quint32 limit = directory.codeLimit.value_or(quint32(code.size()));
    const quint32 slotCount = directory.codeSlots.value_or((limit + 4095) / 4096);
    const int specials = directory.special.isEmpty() ? 0 : directory.special.lastKey();
    const QByteArray identifier = directory.identifier + '\0';
    QByteArray hashes;
    for (int slot = specials; slot >= 1; --slot)
        hashes += directory.special.contains(slot) ? digest(directory.hashType, directory.special[slot])
                                              : QByteArray(digest(directory.hashType, {}).size(), '\0');
    const quint32 hashOffset = quint32(88 + identifier.size() + hashes.size());
    for (quint32 page = 0; page < slotCount; ++page)
        hashes += digest(directory.hashType, code.mid(qsizetype(page) * 4096, std::min<qint64>(4096, qint64(limit) - page * 4096)));
    QByteArray cd(88, '\0');
    putBe32(cd, 0, 0xfade0c02);
    putBe32(cd, 8, 0x20400);
    putBe32(cd, 12, directory.flags);
    putBe32(cd, 16, hashOffset);
    putBe32(cd, 20, 88);
    putBe32(cd, 24, quint32(specials));
    putBe32(cd, 28, slotCount);
    putBe32(cd, 32, limit);
    cd[36] = char(digest(directory.hashType, {}).size());
    cd[37] = char(directory.hashType);
    cd[39] = 12;
    cd += identifier + hashes;
    putBe32(cd, 4, quint32(cd.size()));
    return cd;
}

struct Blob {
    quint32 type;
    QByteArray bytes;
    std::optional<quint32> offset = {}; // where the index says it lies; default: laid out in turn
};

inline QByteArray superBlob(const QList<Blob> &blobs)
{
    QByteArray header = bigEndian32(0xfade0cc0) + bigEndian32(0) + bigEndian32(quint32(blobs.size()));
    QByteArray body;
    const quint32 start = quint32(12 + 8 * blobs.size());
    for (const Blob &blob : blobs) {
        header += bigEndian32(blob.type) + bigEndian32(blob.offset.value_or(start + quint32(body.size())));
        if (!blob.offset)
            body += blob.bytes;
    }
    QByteArray whole = header + body;
    putBe32(whole, 4, quint32(whole.size()));
    return whole;
}

inline QList<Blob> blobsOf(const QByteArray &superBlob)
{
    QList<Blob> blobs;
    for (quint32 i = 0; i < be32(superBlob, 8); ++i) {
        const quint32 offset = be32(superBlob, 12 + i * 8 + 4);
        blobs << Blob{be32(superBlob, 12 + i * 8), superBlob.mid(offset, be32(superBlob, offset + 4))};
    }
    return blobs;
}

inline QByteArray emptyCms() { return bigEndian32(0xfade0b01) + bigEndian32(8); }

// LC_CODE_SIGNATURE's data offset and size, at its command's offset; -1 when none.
inline qsizetype signatureCommand(const QByteArray &thin)
{
    qsizetype at = 32;
    for (quint32 i = 0; i < le32(thin, 16); ++i, at += std::max<quint32>(le32(thin, at + 4), 8))
        if (le32(thin, at) == 0x1d)
            return at;
    return -1;
}

// A thin arm64 file whose code is codeSize bytes (header, its load commands:
// LC_CODE_SIGNATURE then extraCommands, then a pattern), with room reserved
// for a signature at codeSize. commandTable, when given, is sizeofcmds.
inline QByteArray thinImage(quint32 codeSize, const QByteArray &extraCommands = {}, quint32 extraCount = 0,
                            std::optional<quint32> commandTable = {})
{
    QByteArray file(qsizetype(codeSize) + 4096, '\0');
    for (qsizetype i = 1024; i < codeSize; ++i)
        file[i] = char(i * 7 + i / 4096);
    const QByteArray commands = QByteArray::fromHex("1d000000100000000000000000000000") + extraCommands;
    putLe32(file, 0, 0xfeedfacf);
    putLe32(file, 4, 0x0100000c);
    putLe32(file, 12, 2);
    putLe32(file, 16, 1 + extraCount);
    putLe32(file, 20, commandTable.value_or(quint32(commands.size())));
    file.replace(32, commands.size(), commands);
    putLe32(file, 40, codeSize);
    putLe32(file, 44, 4096);
    return file;
}

// Signs a thin file where its first LC_CODE_SIGNATURE points: the given
// CodeDirectories (the first in slot 0, the rest as alternates), an empty
// CMS wrapper (ad hoc) and any further blobs, padded to the reserved size.
inline void sign(QByteArray &thin, const QList<Directory> &directories, const QList<Blob> &more = {})
{
    const qsizetype command = signatureCommand(thin);
    const QByteArray code = thin.left(le32(thin, command + 8));
    QList<Blob> blobs;
    for (qsizetype i = 0; i < directories.size(); ++i)
        blobs << Blob{i == 0 ? 0u : quint32(0x1000 + i - 1), codeDirectory(code, directories[i])};
    blobs << Blob{0x10000, emptyCms()} << more;
    const QByteArray signature = superBlob(blobs);
    thin.replace(code.size(), signature.size(), signature);
}

// A universal file holding the slices at the offsets given, in that order.
inline QByteArray universal(const QList<std::pair<QByteArray, quint32>> &slices)
{
    QByteArray file = bigEndian32(0xcafebabe) + bigEndian32(quint32(slices.size()));
    for (const auto &[slice, offset] : slices)
        file += bigEndian32(le32(slice, 4)) + bigEndian32(le32(slice, 8)) + bigEndian32(offset)
                + bigEndian32(quint32(slice.size())) + bigEndian32(12);
    for (const auto &[slice, offset] : slices) {
        if (file.size() < offset + slice.size())
            file.resize(offset + slice.size(), '\0');
        file.replace(offset, slice.size(), slice);
    }
    return file;
}

// An image of data, signed ad hoc after it, ending in a 512-byte "koly"
// trailer whose rep-specific slot is bound with the signature length zeroed;
// more blobs (a stapled ticket) follow the CMS blob.
inline QByteArray diskImage(const QByteArray &data, Directory directory, const QList<Blob> &more = {})
{
    QByteArray trailer(512, '\0');
    trailer.replace(0, 4, "koly");
    qToBigEndian<quint64>(quint64(data.size()), trailer.data() + 296);
    directory.special[6] = trailer;
    const QByteArray signature = superBlob(QList<Blob>{{0, codeDirectory(data, directory)}, {0x10000, emptyCms()}} + more);
    qToBigEndian<quint64>(quint64(signature.size()), trailer.data() + 304);
    return data + signature + trailer;
}

// Certificates for the chain policy: a key and a certificate it signs, or an issuer signs.
struct KeyFree { void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); } };
struct CertificateFree { void operator()(X509 *certificate) const { X509_free(certificate); } };
struct Issued {
    std::shared_ptr<EVP_PKEY> key;
    std::shared_ptr<X509> certificate;
};

// extensions: "name=value" (name or dotted OID, value in OpenSSL's configuration syntax),
// e.g. "extendedKeyUsage=critical,codeSigning", "1.2.840.113635.100.6.1.13=critical,DER:05:00".
inline Issued issue(const char *commonName, const Issued *issuer, const QStringList &extensions)
{
    Issued made{std::shared_ptr<EVP_PKEY>(EVP_EC_gen("P-256"), KeyFree{}), std::shared_ptr<X509>(X509_new(), CertificateFree{})};
    X509 *certificate = made.certificate.get();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), long(qHash(QByteArray(commonName)) & 0x7fffffff));
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char *>(commonName), -1, -1, 0);
    X509 *signer = issuer ? issuer->certificate.get() : certificate;
    X509_set_issuer_name(certificate, X509_get_subject_name(signer));
    X509_gmtime_adj(X509_getm_notBefore(certificate), -86400);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400L * 365);
    X509_set_pubkey(certificate, made.key.get());
    X509V3_CTX context;
    X509V3_set_ctx(&context, signer, certificate, nullptr, nullptr, 0);
    for (const QString &extensionText : extensions) {
        const QByteArray name = extensionText.section(QLatin1Char('='), 0, 0).toLatin1();
        const QByteArray value = extensionText.section(QLatin1Char('='), 1).toLatin1();
        X509_EXTENSION *extension = X509V3_EXT_nconf(nullptr, &context, name.constData(), value.constData());
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    }
    X509_sign(certificate, issuer ? issuer->key.get() : made.key.get(), EVP_sha256());
    return made;
}

// A detached CMS signature of content by a self-made certificate, without
// Apple's CDHashes attribute.
inline QByteArray foreignCms(const QByteArray &content)
{
    const Issued signer = issue("Developer ID Application: Test (TEAMID1234)", nullptr,
                                {"extendedKeyUsage=critical,codeSigning"});
    BIO *input = BIO_new_mem_buf(content.constData(), int(content.size()));
    CMS_ContentInfo *cms = CMS_sign(signer.certificate.get(), signer.key.get(), nullptr, input,
                                    CMS_DETACHED | CMS_BINARY | CMS_NOSMIMECAP);
    unsigned char *der = nullptr;
    const int length = cms ? i2d_CMS_ContentInfo(cms, &der) : 0;
    QByteArray bytes(reinterpret_cast<const char *>(der), std::max(length, 0));
    OPENSSL_free(der);
    CMS_ContentInfo_free(cms);
    BIO_free(input);
    return bytes;
}

} // namespace signedcode
