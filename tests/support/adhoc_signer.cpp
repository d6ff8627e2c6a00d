#include "adhoc_signer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>

#include <unistd.h>

namespace adhoc {
namespace {

constexpr int kPageShift = 12;
constexpr int kPageSize = 1 << kPageShift;
constexpr int kHashSize = 32;
constexpr int kSpecialSlots = 3; // Info.plist, requirements, resource seal
constexpr int kDirectoryHeader = 88;
constexpr int kCommandsSize = 72 + 72 + 16;

void be32(QByteArray &bytes, quint32 value)
{
    char field[4];
    qToBigEndian(value, field);
    bytes.append(field, 4);
}

void le32(QByteArray &bytes, quint32 value)
{
    char field[4];
    qToLittleEndian(value, field);
    bytes.append(field, 4);
}

void le64(QByteArray &bytes, quint64 value)
{
    le32(bytes, quint32(value));
    le32(bytes, quint32(value >> 32));
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void segment(QByteArray &commands, const char *name, quint64 offset, quint64 size, quint32 protection)
{
    le32(commands, 0x19);
    le32(commands, 72);
    commands.append(QByteArray(name).leftJustified(16, '\0'));
    le64(commands, offset); // vmaddr
    le64(commands, size);   // vmsize
    le64(commands, offset); // fileoff
    le64(commands, size);   // filesize
    le32(commands, protection);
    le32(commands, protection);
    le32(commands, 0); // nsects
    le32(commands, 0); // flags
}

struct BoundSubjects {
    QByteArray infoPlist;    // empty: unbound
    QByteArray resourceSeal; // empty: unbound
};

QByteArray requirementsBlob()
{
    QByteArray blob;
    be32(blob, 0xfade0c01);
    be32(blob, 12);
    be32(blob, 0);
    return blob;
}

int directorySize(const QString &identifier, quint32 codeSize)
{
    return kDirectoryHeader + identifier.toUtf8().size() + 1 + (kSpecialSlots + int(codeSize / kPageSize)) * kHashSize;
}

QByteArray codeDirectory(const QString &identifier, const QByteArray &code, const BoundSubjects &bound)
{
    const QByteArray name = identifier.toUtf8() + '\0';
    const quint32 codeSlots = quint32(code.size() / kPageSize);
    const quint32 hashOffset = quint32(kDirectoryHeader + name.size() + kSpecialSlots * kHashSize);
    QByteArray blob;
    for (quint32 field : {0xfade0c02u, quint32(directorySize(identifier, quint32(code.size()))), 0x20400u, 0x2u,
                          hashOffset, quint32(kDirectoryHeader), quint32(kSpecialSlots), codeSlots, quint32(code.size())})
        be32(blob, field);
    blob.append(char(kHashSize)).append(char(2)).append(char(0)).append(char(kPageShift));
    blob.append(QByteArray(kDirectoryHeader - blob.size(), '\0')); // scatter, team, 64-bit limit, exec segment: none
    blob.append(name);
    const QByteArray unbound(kHashSize, '\0');
    blob.append(bound.resourceSeal.isEmpty() ? unbound : sha256(bound.resourceSeal));
    blob.append(sha256(requirementsBlob()));
    blob.append(bound.infoPlist.isEmpty() ? unbound : sha256(bound.infoPlist));
    for (int page = 0; page < code.size(); page += kPageSize)
        blob.append(sha256(code.mid(page, kPageSize)));
    return blob;
}

QByteArray superBlob(const QByteArray &directory)
{
    const QByteArray requirements = requirementsBlob();
    QByteArray cms;
    be32(cms, 0xfade0b01);
    be32(cms, 8);
    const quint32 header = 12 + 3 * 8;
    QByteArray blob;
    be32(blob, 0xfade0cc0);
    be32(blob, quint32(header + directory.size() + requirements.size() + cms.size()));
    be32(blob, 3);
    for (quint32 field : {0u, header, 2u, quint32(header + directory.size()), 0x10000u,
                          quint32(header + directory.size() + requirements.size())})
        be32(blob, field);
    return blob + directory + requirements + cms;
}

// header, __TEXT, __LINKEDIT (the signature) and LC_CODE_SIGNATURE; the code
// is padded to whole pages so the signature starts where the code ends.
QByteArray signedMachO(const QByteArray &payload, const QString &identifier, const BoundSubjects &bound, quint32 fileType)
{
    const bool sign = !identifier.isEmpty();
    const int textSize = (32 + kCommandsSize + int(payload.size()) + kPageSize - 1) / kPageSize * kPageSize;
    const int signatureSize = 12 + 3 * 8 + directorySize(identifier, quint32(textSize)) + 12 + 8;
    QByteArray file;
    for (quint32 field : {0xfeedfacfu, 0x0100000cu, 0u, fileType, sign ? 3u : 1u, sign ? quint32(kCommandsSize) : 72u, 0u, 0u})
        le32(file, field);
    segment(file, "__TEXT", 0, quint64(textSize), 5);
    if (sign) {
        segment(file, "__LINKEDIT", quint64(textSize), quint64(signatureSize), 1);
        le32(file, 0x1d);
        le32(file, 16);
        le32(file, quint32(textSize));
        le32(file, quint32(signatureSize));
    }
    file.append(payload);
    file.append(QByteArray(textSize - file.size(), '\0'));
    if (sign)
        file.append(superBlob(codeDirectory(identifier, file, bound)));
    return file;
}

// Empty when the file is not one this signer signed.
QByteArray cdHashOf(const QByteArray &machO)
{
    if (machO.size() < 32 + kCommandsSize || qFromLittleEndian<quint32>(machO.constData() + 16) != 3
        || qFromLittleEndian<quint32>(machO.constData() + 32 + 72 + 72) != 0x1d)
        return QByteArray();
    // LC_CODE_SIGNATURE's data offset, then the SuperBlob's first index entry: the CodeDirectory.
    const qsizetype signature = qsizetype(qFromLittleEndian<quint32>(machO.constData() + 32 + 72 + 72 + 8));
    const qsizetype at = signature + qFromBigEndian<quint32>(machO.constData() + signature + 16);
    const quint32 length = qFromBigEndian<quint32>(machO.constData() + at + 4);
    return sha256(machO.mid(at, length)).left(20);
}

// The platform's rules: what under these folders is code of its own.
bool underNestedRule(const QString &relative)
{
    static const QRegularExpression rule(QStringLiteral(
        "^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|Library/(Automator|Spotlight|LoginItems))/"));
    return rule.match(relative).hasMatch();
}

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

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray dataValue(const QByteArray &bytes)
{
    return "<data>" + bytes.toBase64() + "</data>";
}

class Sealer {
public:
    Sealer(const Bundle &bundle, const SignOptions &options) : m_bundle(bundle), m_options(options)
    {
        m_mainExecutable = bundle.executable().mid(bundle.contentRoot().size() + 1);
    }

    QByteArray seal()
    {
        walk(QString());
        return document();
    }

private:
    void walk(const QString &relative);
    void add(const QString &relative, const QFileInfo &info);
    QByteArray document() const;

    const Bundle &m_bundle;
    const SignOptions &m_options;
    QString m_mainExecutable;
    QMap<QString, QByteArray> m_files2; // path -> value
    QMap<QString, QByteArray> m_files;  // resources only, SHA-1
};

void Sealer::walk(const QString &relative)
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

void Sealer::add(const QString &relative, const QFileInfo &info)
{
    const bool nested = m_options.alsoNested.contains(relative) || underNestedRule(relative);
    if (info.isSymLink()) {
        char target[4096];
        const ssize_t size = ::readlink(QFile::encodeName(info.filePath()).constData(), target, sizeof target);
        m_files2[relative] = "<dict><key>symlink</key><string>" + escaped(QString::fromUtf8(target, int(qMax<ssize_t>(size, 0)))).toUtf8()
                             + "</string></dict>";
        return;
    }
    QByteArray cdHash;
    if (info.isDir() && nested && info.fileName().contains(u'.')) {
        const QString contents = info.filePath() + QStringLiteral("/Contents/Info.plist");
        const QString name = executableNamed(QFileInfo::exists(contents) ? contents
                                                                          : info.filePath() + QStringLiteral("/Versions/Current/Resources/Info.plist"));
        const Bundle inner = existingBundle(info.filePath(), name);
        cdHash = m_options.deep ? signBundle(inner) : cdHashOf(readAll(inner.executable()));
        if (cdHash.isEmpty())
            return walk(relative);
    } else if (info.isDir()) {
        return walk(relative);
    } else if (nested) {
        cdHash = m_options.deep ? writeMachO(info.filePath(), readAll(info.filePath()), info.fileName())
                                : cdHashOf(readAll(info.filePath()));
    }
    if (!cdHash.isEmpty()) {
        m_files2[relative] = "<dict><key>cdhash</key>" + dataValue(cdHash) + "<key>requirement</key><string>cdhash H\""
                             + cdHash.toHex() + "\"</string></dict>";
        return;
    }
    const QByteArray bytes = readAll(info.filePath());
    const QByteArray sha1 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    m_files2[relative] = "<dict><key>hash</key>" + dataValue(sha1) + "<key>hash2</key>" + dataValue(sha256(bytes)) + "</dict>";
    if (relative.startsWith(QLatin1String("Resources/")))
        m_files[relative] = dataValue(sha1);
}

QByteArray dictionary(const QMap<QString, QByteArray> &entries)
{
    QByteArray text = "<dict>";
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        text += "<key>" + escaped(it.key()).toUtf8() + "</key>" + it.value();
    return text + "</dict>";
}

QByteArray weighted(int weight, const char *flag = nullptr)
{
    return "<dict>" + (flag ? QByteArray("<key>") + flag + "</key><true/>" : QByteArray()) + "<key>weight</key><real>"
           + QByteArray::number(weight) + "</real></dict>";
}

QByteArray Sealer::document() const
{
    QMap<QString, QByteArray> rules{{QStringLiteral("^Resources/"), "<true/>"},
                                    {QStringLiteral("^Resources/.*\\.lproj/"), weighted(1000, "optional")},
                                    {QStringLiteral("^Resources/.*\\.lproj/locversion.plist$"), weighted(1100, "omit")},
                                    {QStringLiteral("^version.plist$"), "<true/>"}};
    QMap<QString, QByteArray> rules2{
        {QStringLiteral(".*\\.dSYM($|/)"), weighted(11)},
        {QStringLiteral("^(.*/)?\\.DS_Store$"), weighted(2000, "omit")},
        {QStringLiteral("^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|Library/(Automator|Spotlight|LoginItems))/"),
         weighted(10, "nested")},
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

QByteArray writeMachO(const QString &path, const QByteArray &payload, const QString &identifier)
{
    const QByteArray file = signedMachO(payload, identifier, BoundSubjects{}, 6);
    writeAll(path, file);
    return identifier.isEmpty() ? QByteArray() : cdHashOf(file);
}

QByteArray signBundle(const Bundle &bundle, const SignOptions &options)
{
    const QByteArray seal = Sealer(bundle, options).seal();
    writeAll(bundle.contentRoot() + QStringLiteral("/_CodeSignature/CodeResources"), seal);
    BoundSubjects bound;
    bound.resourceSeal = seal;
    if (options.bindInfoPlist)
        bound.infoPlist = readAll(bundle.infoPlist());
    const QByteArray file = signedMachO(readAll(bundle.executable()), QStringLiteral("test.") + bundle.name, bound, 2);
    writeAll(bundle.executable(), file);
    return cdHashOf(file);
}

} // namespace adhoc
