#include "codesig/bundle_layout.h"

#include "codesig/bundle_tree.h"

#include "proplist/property_list.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace codesig {
namespace {

// An Info.plist is a few kilobytes.
constexpr qint64 kMaximumInfoSize = 4 * 1024 * 1024;

bool isPlain(const QString &path, mode_t kind)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

std::optional<QString> linkText(const QString &path)
{
    char target[PATH_MAX];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return size > 0 ? std::optional<QString>(QFile::decodeName(QByteArray(target, int(size)))) : std::nullopt;
}

// The version Versions/Current names, when it is a link to a folder beside it.
std::optional<QString> currentVersion(const QString &bundlePath)
{
    const QString versions = bundlePath + QStringLiteral("/Versions");
    const std::optional<QString> current = linkText(versions + QStringLiteral("/Current"));
    if (!current || !isPlainName(*current) || !isPlain(versions + u'/' + *current, S_IFDIR))
        return std::nullopt;
    return current;
}

QString executableName(const QByteArray &infoPlist)
{
    const std::optional<QVariant> info = parsePropertyList(infoPlist);
    if (!info || info->typeId() != QMetaType::QVariantMap)
        return QString();
    const QString name = textValue(info->toMap().value(QStringLiteral("CFBundleExecutable"))).value_or(QString());
    return isPlainName(name) ? name : QString();
}

BundleLayoutReading refused(const QString &why)
{
    BundleLayoutReading reading;
    reading.failure = why;
    return reading;
}

// Where the kind puts the Info.plist and the executable, with the words a failure uses for them.
std::optional<BundleLayout> placed(const QString &bundlePath, QString &failure)
{
    BundleLayout layout;
    layout.bundlePath = bundlePath;
    layout.infoPlistInRoot = QStringLiteral("Info.plist");
    if (isPlain(bundlePath + QStringLiteral("/Contents"), S_IFDIR)) {
        layout.contentRoot = bundlePath + QStringLiteral("/Contents");
    } else if (isPlain(bundlePath + QStringLiteral("/Versions"), S_IFDIR)) {
        const std::optional<QString> version = currentVersion(bundlePath);
        if (!version) {
            failure = QStringLiteral("the framework's Versions/Current does not name a version inside it");
            return std::nullopt;
        }
        layout.kind = BundleLayout::Kind::framework;
        layout.contentRoot = bundlePath + QStringLiteral("/Versions/") + *version;
        layout.infoPlistInRoot = QStringLiteral("Resources/Info.plist");
    } else if (isPlain(bundlePath + QStringLiteral("/Info.plist"), S_IFREG)) {
        layout.kind = BundleLayout::Kind::shallow;
        layout.contentRoot = bundlePath;
    } else {
        failure = QStringLiteral("the folder holds no Contents/Info.plist, Versions/Current or Info.plist");
        return std::nullopt;
    }
    layout.sealPath = layout.contentRoot + QStringLiteral("/_CodeSignature/CodeResources");
    return layout;
}

// The folder a failure names for the executable's place.
QString executableFolder(const BundleLayout &layout, const QString &root)
{
    switch (layout.kind) {
    case BundleLayout::Kind::contents: return QStringLiteral("Contents/MacOS");
    case BundleLayout::Kind::framework: return root;
    case BundleLayout::Kind::shallow: break;
    }
    return QStringLiteral("the bundle's top");
}

// Finds the main executable CFBundleExecutable names; empty when it is there.
QString placeExecutable(BundleLayout &layout, const QString &name, const QString &root)
{
    const QString folder = executableFolder(layout, root);
    if (name.isEmpty())
        return QStringLiteral("the bundle's CFBundleExecutable does not name a file in %1").arg(folder);
    const bool contents = layout.kind == BundleLayout::Kind::contents;
    layout.executableInRoot = contents ? QStringLiteral("MacOS/") + name : name;
    layout.executablePath = layout.contentRoot + u'/' + layout.executableInRoot;
    if ((contents && !isPlain(layout.contentRoot + QStringLiteral("/MacOS"), S_IFDIR))
        || !isPlain(layout.executablePath, S_IFREG))
        return QStringLiteral("the main executable is not a regular file inside %1").arg(folder);
    return {};
}

} // namespace

BundleLayoutReading readBundleLayout(const QString &givenPath)
{
    QString failure;
    std::optional<BundleLayout> layout = placed(QDir::cleanPath(givenPath), failure);
    if (!layout)
        return refused(failure);
    const QString root = QDir(layout->bundlePath).relativeFilePath(layout->contentRoot);
    // A framework's Resources is a folder of its version, never a link out of it.
    const bool infoFolderPlain = layout->kind != BundleLayout::Kind::framework
                                 || isPlain(layout->contentRoot + QStringLiteral("/Resources"), S_IFDIR);
    const std::optional<QByteArray> info =
        infoFolderPlain ? readRegularFile(layout->contentRoot + u'/' + layout->infoPlistInRoot, kMaximumInfoSize) : std::nullopt;
    if (!info)
        return refused(QStringLiteral("the bundle has no %1").arg((root == u"." ? QString() : root + u'/') + layout->infoPlistInRoot));
    failure = placeExecutable(*layout, executableName(*info), root);
    if (!failure.isEmpty())
        return refused(failure);
    BundleLayoutReading reading;
    reading.layout = std::move(layout);
    reading.infoPlist = *info;
    return reading;
}

QStringList unsealedOutsideContent(const BundleLayout &layout, QString &failure)
{
    if (layout.kind == BundleLayout::Kind::shallow)
        return {};
    const auto wholeFolders = [](const QString &) { return true; };
    const BundleTree top = readBundleTree(layout.bundlePath, wholeFolders);
    const bool framework = layout.kind == BundleLayout::Kind::framework;
    const BundleTree versions = framework ? readBundleTree(layout.bundlePath + QStringLiteral("/Versions"), wholeFolders)
                                          : BundleTree{};
    failure = !top.failure.isEmpty() ? top.failure : versions.failure;
    const QString current = layout.contentRoot.section(u'/', -1);
    QStringList unsealed;
    for (const auto &[name, item] : top.items) {
        const bool expected = framework ? name == u"Versions"
                                              || (item.kind == TreeItem::Kind::link
                                                  && item.linkTarget == QFile::encodeName(QStringLiteral("Versions/Current/") + name))
                                        : name == u"Contents";
        if (!expected)
            unsealed << QFile::decodeName(item.nativePath);
    }
    for (const auto &[name, item] : versions.items) {
        if (name != u"Current" && name != current)
            unsealed << QFile::decodeName(item.nativePath);
    }
    unsealed.sort();
    return unsealed;
}

} // namespace codesig
