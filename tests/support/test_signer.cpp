#include "test_signer.h"

#include "test_files.h"

#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

#include <unistd.h>

namespace signer {

void putBe32(QByteArray &bytes, qsizetype at, quint32 value) { qToBigEndian(value, bytes.data() + at); }
void putLe32(QByteArray &bytes, qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

namespace {

// Fields of a file's bytes; zero past the end, where a hostile row may leave them.
quint32 be32(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.mid(at, 4).leftJustified(4, '\0').constData());
}

quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.mid(at, 4).leftJustified(4, '\0').constData());
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    putBe32(bytes, 0, value);
    return bytes;
}

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    putLe32(bytes, 0, value);
    return bytes;
}

QByteArray digest(int hashType, const QByteArray &bytes)
{
    const EVP_MD *md = hashType == 1 ? EVP_sha1() : hashType == 4 ? EVP_sha384() : EVP_sha256();
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.constData(), size_t(bytes.size()), out, &length, md, nullptr);
    return QByteArray(reinterpret_cast<const char *>(out), int(length));
}

QByteArray superBlob(const QList<Blob> &blobs)
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

// The offset of a thin file's first LC_CODE_SIGNATURE command; -1 when none.
qsizetype signatureCommand(const QByteArray &thin)
{
    if (le32(thin, 0) != 0xfeedfacf)
        return -1;
    qsizetype at = 32;
    for (quint32 i = 0; i < le32(thin, 16) && at < thin.size(); ++i, at += std::max<quint32>(le32(thin, at + 4), 8))
        if (le32(thin, at) == 0x1d)
            return at;
    return -1;
}

} // namespace

QByteArray codeDirectory(const QByteArray &code, const Directory &directory)
{
    const quint32 limit = directory.codeLimit.value_or(quint32(code.size()));
    const quint32 slotCount = directory.codeSlots.value_or((limit + 4095) / 4096);
    const int specials = directory.special.isEmpty() ? 0 : directory.special.lastKey();
    const QByteArray identifier = directory.identifier + '\0';
    const qsizetype hashSize = digest(directory.hashType, {}).size();
    QByteArray hashes;
    for (int slot = specials; slot >= 1; --slot) {
        const QByteArray bound = directory.special.value(slot);
        hashes += bound.isEmpty() ? QByteArray(hashSize, '\0') : digest(directory.hashType, bound);
    }
    const quint32 hashOffset = quint32(88 + identifier.size() + hashes.size());
    for (quint32 page = 0; page < slotCount; ++page)
        hashes += digest(directory.hashType, code.mid(qsizetype(page) * 4096, std::min<qint64>(4096, qint64(limit) - page * 4096)));
    QByteArray cd(88, '\0');
    for (const auto &[at, value] : {std::pair<int, quint32>{0, 0xfade0c02}, {8, 0x20400}, {12, directory.flags}, {16, hashOffset},
                                    {20, 88}, {24, quint32(specials)}, {28, slotCount}, {32, limit}})
        putBe32(cd, at, value);
    cd[36] = char(hashSize);
    cd[37] = char(directory.hashType);
    cd[39] = 12;
    cd += identifier + hashes;
    putBe32(cd, 4, quint32(cd.size()));
    return cd;
}

QList<Blob> blobsOf(const QByteArray &superBlob)
{
    QList<Blob> blobs;
    for (quint32 i = 0; i < be32(superBlob, 8); ++i) {
        const quint32 offset = be32(superBlob, 12 + i * 8 + 4);
        blobs << Blob{be32(superBlob, 12 + i * 8), superBlob.mid(offset, be32(superBlob, offset + 4))};
    }
    return blobs;
}

QByteArray cmsBlob(const QByteArray &der) { return bigEndian32(0xfade0b01) + bigEndian32(quint32(8 + der.size())) + der; }

qsizetype signatureOffset(const QByteArray &thin)
{
    const qsizetype command = signatureCommand(thin);
    return command < 0 ? -1 : le32(thin, command + 8);
}

qsizetype blobOffset(const QByteArray &thin, quint32 type)
{
    const qsizetype blob = signatureOffset(thin);
    for (quint32 i = 0; blob >= 0 && i < be32(thin, blob + 8); ++i)
        if (be32(thin, blob + 12 + i * 8) == type)
            return blob + be32(thin, blob + 16 + i * 8);
    return -1;
}

QByteArray withBlobs(QByteArray thin, const QList<Blob> &blobs)
{
    const QByteArray signature = superBlob(blobs);
    return thin.replace(signatureOffset(thin), signature.size(), signature);
}

QByteArray thinImage(quint32 codeSize, const QByteArray &extraCommands, quint32 extraCount, std::optional<quint32> commandTable)
{
    QByteArray file(qsizetype(codeSize) + 4096, '\0');
    for (qsizetype i = 1024; i < codeSize; ++i)
        file[i] = char(i * 7 + i / 4096);
    const QByteArray commands = QByteArray::fromHex("1d000000100000000000000000000000") + extraCommands;
    file.replace(32, commands.size(), commands);
    for (const auto &[at, value] : {std::pair<int, quint32>{0, 0xfeedfacf}, {4, 0x0100000c}, {12, 2}, {16, 1 + extraCount},
                                    {20, commandTable.value_or(quint32(commands.size()))}, {40, codeSize}, {44, 4096}})
        putLe32(file, at, value);
    return file;
}

void sign(QByteArray &thin, const QList<Directory> &directories, const QList<Blob> &more)
{
    const QByteArray code = thin.left(signatureOffset(thin));
    QList<Blob> blobs;
    for (qsizetype i = 0; i < directories.size(); ++i)
        blobs << Blob{i == 0 ? 0u : quint32(0x1000 + i - 1), codeDirectory(code, directories[i])};
    blobs << Blob{0x10000, cmsBlob()} << more;
    const QByteArray signature = superBlob(blobs);
    thin.replace(code.size(), signature.size(), signature);
}

QByteArray universal(const QList<std::pair<QByteArray, quint32>> &slices)
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

QByteArray diskImage(const QByteArray &data, Directory directory, const QList<Blob> &more)
{
    QByteArray trailer(512, '\0');
    trailer.replace(0, 4, "koly");
    qToBigEndian<quint64>(quint64(data.size()), trailer.data() + 296);
    directory.special[6] = trailer;
    const QByteArray signature = superBlob(QList<Blob>{{0, codeDirectory(data, directory)}, {0x10000, cmsBlob()}} + more);
    qToBigEndian<quint64>(quint64(signature.size()), trailer.data() + 304);
    return data + signature + trailer;
}

namespace {

constexpr int kPageSize = 4096;

QByteArray segment(const char *name, quint64 offset, quint64 size, quint32 protection)
{
    QByteArray command = littleEndian32(0x19) + littleEndian32(72) + QByteArray(name).leftJustified(16, '\0');
    for (quint64 field : {offset, size, offset, size}) // vmaddr, vmsize, fileoff, filesize
        command += littleEndian32(quint32(field)) + littleEndian32(quint32(field >> 32));
    return command + littleEndian32(protection) + littleEndian32(protection) + QByteArray(8, '\0'); // no sections, no flags
}

// A load command carrying a path at its end, padded to eight bytes.
QByteArray pathCommand(quint32 kind, const QString &path, int fixedSize)
{
    const QByteArray text = path.toUtf8();
    const int size = (fixedSize + int(text.size()) + 1 + 7) / 8 * 8;
    return littleEndian32(kind) + littleEndian32(quint32(size)) + littleEndian32(quint32(fixedSize))
           + QByteArray(fixedSize - 12, '\0') + text.leftJustified(size - fixedSize, '\0');
}

QByteArray adhocSignature(const QByteArray &code, const MachO &file)
{
    const QByteArray requirements = bigEndian32(0xfade0c01) + bigEndian32(12) + bigEndian32(0);
    Directory directory;
    directory.identifier = file.identifier.toUtf8();
    directory.special = {{1, file.infoPlist}, {2, requirements}, {3, file.resourceSeal}};
    return superBlob({{0, codeDirectory(code, directory)}, {2, requirements}, {0x10000, cmsBlob()}});
}

} // namespace

QByteArray buildVersionCommand(const QString &minimumOs, const QString &sdk)
{
    // Packed as the loader reads them: xxxx.yy.zz in nibbles, 10.9 as 0x000a0900.
    const auto packed = [](const QString &version) {
        const QStringList parts = version.split(u'.');
        return quint32(parts.value(0).toUInt() << 16 | parts.value(1).toUInt() << 8 | parts.value(2).toUInt());
    };
    QByteArray command;
    for (quint32 field : {0x32u, 24u, 1u, packed(minimumOs), packed(sdk), 0u}) // platform macOS, no tools
        command += littleEndian32(field);
    return command;
}

QByteArray loadDylibCommand(const QString &path) { return pathCommand(0xc, path, 24); }
QByteArray runPathCommand(const QString &path) { return pathCommand(0x8000001c, path, 12); }

QByteArray machO(const MachO &file)
{
    const bool sign = !file.identifier.isEmpty();
    const bool intel = file.architecture == u"x86_64";
    QByteArray further;
    for (const QByteArray &command : file.commands)
        further += command;
    const qsizetype commandsSize = 72 * (sign ? 2 : 1) + (sign ? 16 : 0) + further.size();
    const quint32 textSize = quint32((32 + commandsSize + file.payload.size() + kPageSize - 1) / kPageSize * kPageSize);
    const quint32 signatureSize = sign ? quint32(adhocSignature(QByteArray(textSize, '\0'), file).size()) : 0;
    QByteArray bytes;
    for (quint32 field : {0xfeedfacfu, intel ? 0x01000007u : 0x0100000cu, intel ? 3u : 0u, file.fileType,
                          quint32((sign ? 3 : 1) + file.commands.size()), quint32(commandsSize), 0u, 0u})
        bytes += littleEndian32(field);
    bytes += segment("__TEXT", 0, textSize, 5);
    if (sign) {
        bytes += segment("__LINKEDIT", textSize, signatureSize, 1);
        bytes += littleEndian32(0x1d) + littleEndian32(16) + littleEndian32(textSize) + littleEndian32(signatureSize);
    }
    bytes += further + file.payload;
    bytes += QByteArray(textSize - bytes.size(), '\0');
    return sign ? bytes + adhocSignature(bytes, file) : bytes;
}

QByteArray cdHashOf(const QByteArray &machO)
{
    const qsizetype at = blobOffset(machO, 0);
    if (at < 0)
        return QByteArray();
    return QCryptographicHash::hash(machO.mid(at, be32(machO, at + 4)), QCryptographicHash::Sha256).left(20);
}

QByteArray writeMachO(const QString &path, const QByteArray &payload, const QString &identifier)
{
    MachO file;
    file.payload = payload;
    file.identifier = identifier;
    const QByteArray bytes = machO(file);
    writeAll(path, bytes);
    return cdHashOf(bytes);
}

namespace {

// The platform's rules: what under these folders is code of its own.
const QString kNestedRule = QStringLiteral(
    "^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|Library/(Automator|Spotlight|LoginItems))/");

bool omitted(const QString &relative, const QString &mainExecutable)
{
    static const QStringList atRoot{QStringLiteral("_CodeSignature"), QStringLiteral("CodeResources"),
                                    QStringLiteral("Info.plist"), QStringLiteral("PkgInfo")};
    return atRoot.contains(relative) || relative == mainExecutable || relative.section(u'/', -1) == u".DS_Store";
}

QString executableNamed(const QString &infoPlist)
{
    static const QRegularExpression key(QStringLiteral("<key>CFBundleExecutable</key>\\s*<string>([^<]*)</string>"));
    return key.match(QString::fromUtf8(readAll(infoPlist))).captured(1);
}

QByteArray dataValue(const QByteArray &bytes) { return "<data>" + bytes.toBase64() + "</data>"; }

QByteArray dictionary(const QMap<QString, QByteArray> &entries)
{
    QByteArray text = "<dict>";
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        text += "<key>" + it.key().toHtmlEscaped().toUtf8() + "</key>" + it.value();
    return text + "</dict>";
}

QByteArray weighted(int weight, const char *flag = nullptr)
{
    return "<dict>" + (flag ? QByteArray("<key>") + flag + "</key><true/>" : QByteArray()) + "<key>weight</key><real>"
           + QByteArray::number(weight) + "</real></dict>";
}

// The CodeResources document of a bundle, walking its content root.
class Sealer {
public:
    Sealer(const Bundle &bundle, const SignOptions &options)
        : m_bundle(bundle), m_options(options), m_mainExecutable(bundle.executable().mid(bundle.contentRoot().size() + 1))
    {
    }

    QByteArray seal()
    {
        walk(QString());
        return document();
    }

private:
    void walk(const QString &relative)
    {
        const QDir folder(m_bundle.contentRoot() + (relative.isEmpty() ? QString() : u'/' + relative));
        const QFileInfoList entries =
            folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo &info : entries) {
            const QString path = relative.isEmpty() ? info.fileName() : relative + u'/' + info.fileName();
            if (!omitted(path, m_mainExecutable))
                add(path, info);
        }
    }

    // The code hash of what the seal names as nested code; empty for a plain folder or file.
    QByteArray nestedCode(const QString &relative, const QFileInfo &info) const
    {
        static const QRegularExpression rule(kNestedRule);
        if (!m_options.alsoNested.contains(relative) && !rule.match(relative).hasMatch())
            return QByteArray();
        if (!info.isDir())
            return m_options.deep ? writeMachO(info.filePath(), readAll(info.filePath()), info.fileName())
                                  : cdHashOf(readAll(info.filePath()));
        if (!info.fileName().contains(u'.'))
            return QByteArray();
        const QString contents = info.filePath() + QStringLiteral("/Contents/Info.plist");
        const Bundle inner = existingBundle(info.filePath(), executableNamed(QFileInfo::exists(contents)
            ? contents : info.filePath() + QStringLiteral("/Versions/Current/Resources/Info.plist")));
        return m_options.deep ? signBundle(inner) : cdHashOf(readAll(inner.executable()));
    }

    void add(const QString &relative, const QFileInfo &info)
    {
        if (info.isSymLink()) {
            char target[4096];
            const ssize_t size = ::readlink(QFile::encodeName(info.filePath()).constData(), target, sizeof target);
            const QString text = QString::fromUtf8(target, int(std::max<ssize_t>(size, 0)));
            m_files2[relative] = "<dict><key>symlink</key><string>" + text.toHtmlEscaped().toUtf8() + "</string></dict>";
            return;
        }
        const QByteArray cdHash = nestedCode(relative, info);
        if (!cdHash.isEmpty()) {
            m_files2[relative] = "<dict><key>cdhash</key>" + dataValue(cdHash) + "<key>requirement</key><string>cdhash H\""
                                 + cdHash.toHex() + "\"</string></dict>";
            return;
        }
        if (info.isDir())
            return walk(relative);
        const QByteArray bytes = readAll(info.filePath());
        const QByteArray sha1 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
        m_files2[relative] = "<dict><key>hash</key>" + dataValue(sha1) + "<key>hash2</key>"
                             + dataValue(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)) + "</dict>";
        if (relative.startsWith(QLatin1String("Resources/")))
            m_files[relative] = dataValue(sha1);
    }

    QByteArray document() const
    {
        const QMap<QString, QByteArray> rules{{QStringLiteral("^Resources/"), "<true/>"},
                                              {QStringLiteral("^Resources/.*\\.lproj/"), weighted(1000, "optional")},
                                              {QStringLiteral("^Resources/.*\\.lproj/locversion.plist$"), weighted(1100, "omit")},
                                              {QStringLiteral("^version.plist$"), "<true/>"}};
        const QMap<QString, QByteArray> rules2{
            {QStringLiteral(".*\\.dSYM($|/)"), weighted(11)},
            {QStringLiteral("^(.*/)?\\.DS_Store$"), weighted(2000, "omit")},
            {kNestedRule, weighted(10, "nested")},
            {QStringLiteral("^.*"), "<true/>"},
            {QStringLiteral("^Info\\.plist$"), weighted(20, "omit")},
            {QStringLiteral("^PkgInfo$"), weighted(20, "omit")},
            {QStringLiteral("^Resources/"), weighted(20)},
            {QStringLiteral("^Resources/.*\\.lproj/"), weighted(1000, "optional")},
            {QStringLiteral("^Resources/.*\\.lproj/locversion.plist$"), weighted(1100, "omit")},
            {QStringLiteral("^Resources/Base\\.lproj/"), weighted(1010)},
            {QStringLiteral("^[^/]+$"), weighted(10, "nested")},
            {QStringLiteral("^embedded\\.provisionprofile$"), weighted(20)},
            {QStringLiteral("^version\\.plist$"), weighted(20)}};
        QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
        text += "<key>files</key>" + dictionary(m_files) + "<key>rules</key>" + dictionary(rules);
        if (m_options.secondVersionSeal)
            text += "<key>files2</key>" + dictionary(m_files2) + "<key>rules2</key>" + dictionary(rules2);
        return text + "</dict></plist>\n";
    }

    const Bundle &m_bundle;
    const SignOptions &m_options;
    QString m_mainExecutable;
    QMap<QString, QByteArray> m_files2; // path -> value
    QMap<QString, QByteArray> m_files;  // resources only, SHA-1
};

} // namespace

QString Bundle::contentRoot() const
{
    return path + (layout == Layout::contents ? QStringLiteral("/Contents") : QStringLiteral("/Versions/A"));
}

QString Bundle::executable() const
{
    return contentRoot() + (layout == Layout::contents ? QStringLiteral("/MacOS/") : QStringLiteral("/")) + name;
}

QString Bundle::infoPlist() const
{
    return contentRoot() + (layout == Layout::contents ? QStringLiteral("/Info.plist") : QStringLiteral("/Resources/Info.plist"));
}

Bundle makeBundle(const QString &path, Layout layout, const QString &name)
{
    const Bundle bundle{path, layout, name};
    writeAll(bundle.infoPlist(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                 "<key>CFBundleExecutable</key><string>" + name.toUtf8() + "</string>"
                                 "<key>CFBundleIdentifier</key><string>test." + name.toUtf8() + "</string></dict></plist>\n");
    writeAll(bundle.contentRoot() + QStringLiteral("/Resources/r.txt"), "resource of " + name.toUtf8());
    if (layout == Layout::framework) {
        QFile::link(QStringLiteral("A"), path + QStringLiteral("/Versions/Current"));
        for (const QString &top : {name, QStringLiteral("Resources")})
            QFile::link(QStringLiteral("Versions/Current/") + top, path + u'/' + top);
    }
    return bundle;
}

Bundle existingBundle(const QString &path, const QString &name)
{
    return Bundle{path, QFileInfo(path + QStringLiteral("/Contents")).isDir() ? Layout::contents : Layout::framework, name};
}

QByteArray signBundle(const Bundle &bundle, const SignOptions &options)
{
    const QByteArray seal = Sealer(bundle, options).seal();
    writeAll(bundle.contentRoot() + QStringLiteral("/_CodeSignature/CodeResources"), seal);
    MachO file;
    file.payload = readAll(bundle.executable());
    file.identifier = QStringLiteral("test.") + bundle.name;
    file.fileType = 2;
    file.resourceSeal = seal;
    if (options.bindInfoPlist)
        file.infoPlist = readAll(bundle.infoPlist());
    const QByteArray bytes = machO(file);
    writeAll(bundle.executable(), bytes);
    return cdHashOf(bytes);
}

namespace {
struct KeyFree { void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); } };
struct CertificateFree { void operator()(X509 *certificate) const { X509_free(certificate); } };
} // namespace

Issued issue(const char *commonName, const Issued *issuer, const QStringList &extensions)
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

// A detached CMS signature of the first CodeDirectory in place of the signature's own.
QList<Blob> foreignSigned(const QByteArray &thin)
{
    QList<Blob> blobs = blobsOf(thin.mid(signatureOffset(thin)));
    const Issued signer = issue("Developer ID Application: Test (TEAMID1234)", nullptr,
                                {"extendedKeyUsage=critical,codeSigning"});
    BIO *input = BIO_new_mem_buf(blobs.first().bytes.constData(), int(blobs.first().bytes.size()));
    CMS_ContentInfo *cms = CMS_sign(signer.certificate.get(), signer.key.get(), nullptr, input,
                                    CMS_DETACHED | CMS_BINARY | CMS_NOSMIMECAP);
    unsigned char *der = nullptr;
    const int length = cms ? i2d_CMS_ContentInfo(cms, &der) : 0;
    for (Blob &blob : blobs)
        if (blob.type == 0x10000)
            blob.bytes = cmsBlob(QByteArray(reinterpret_cast<const char *>(der), std::max(length, 0)));
    OPENSSL_free(der);
    CMS_ContentInfo_free(cms);
    BIO_free(input);
    return blobs;
}

} // namespace signer
