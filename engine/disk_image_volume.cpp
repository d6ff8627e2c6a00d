#include "engine/disk_image_volume.h"

#include "proplist/property_list.h"
#include "engine/tool_output.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QVariantList>
#include <QVariantMap>

#include <sys/stat.h>

#include <algorithm>

namespace {

const QString mountedMessage = QStringLiteral("Mounted successfully.");
const QString attachFailedFallback = QStringLiteral("The DMG could not be mounted.");
const QString unreadableMessage =
    QStringLiteral("The DMG mounted, but Veristamp could not read its mount information.");
const QString noPathMessage = QStringLiteral("The DMG mounted, but no mounted volume path was reported.");

// The attach output may carry other text around its property list: a licence
// agreement before it (in whatever encoding the image's author chose) or
// trailing lines after it. Cut from the first "<?xml" to the end of the last
// "</plist>", as bytes, so no decoding of the surrounding text is needed.
std::optional<QVariant> parseAttachOutput(const QByteArray &output)
{
    if (std::optional<QVariant> whole = parsePropertyList(output))
        return whole;
    static const QByteArray head = QByteArrayLiteral("<?xml");
    static const QByteArray tail = QByteArrayLiteral("</plist>");
    const qsizetype start = output.indexOf(head);
    const qsizetype end = output.lastIndexOf(tail);
    if (start < 0 || end < start)
        return std::nullopt;
    return parsePropertyList(output.mid(start, end + tail.size() - start));
}

// The entity dictionaries of the attach property list, or nothing when any
// part of the expected shape is missing.
std::optional<QList<QVariantMap>> systemEntities(const QVariant &root)
{
    if (root.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariant entities = root.toMap().value(QStringLiteral("system-entities"));
    if (entities.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QList<QVariantMap> dictionaries;
    for (const QVariant &entity : entities.toList()) {
        if (entity.typeId() != QMetaType::QVariantMap)
            return std::nullopt;
        dictionaries << entity.toMap();
    }
    return dictionaries;
}

// An empty path is skipped like a missing one: as a location it would name
// the working directory, which is no volume.
std::optional<QString> firstMountPoint(const QList<QVariantMap> &entities)
{
    for (const QVariantMap &entity : entities) {
        const std::optional<QString> path = textValue(entity.value(QStringLiteral("mount-point")));
        if (path && !path->isEmpty())
            return path;
    }
    return std::nullopt;
}

// A link is no packaged app, wherever it points: a volume could otherwise
// present an app from outside the image as its own.
bool isSymbolicLink(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

DiskImageMount notMounted(const QString &message)
{
    return DiskImageMount{std::nullopt, message};
}

// The file manager's order: letter case ignored, runs of digits by numeric
// value. The C locale's collator compares code points and ignores both
// settings, so a real locale is named, fixed so the machine's does not matter.
QCollator fileManagerCollator()
{
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace

DiskImageMount mountDiskImage(const QUrl &image, const ReleaseTools &tools)
{
    const Program::DataResult attach = runToolData(tools, attachCall(image.toLocalFile()));
    if (!attach.outcome.succeeded()) {
        const QString error = Program::decoded(attach).standardError;
        return notMounted(condensedDetail(error, attachFailedFallback));
    }
    const std::optional<QVariant> root = parseAttachOutput(attach.standardOutput);
    const std::optional<QList<QVariantMap>> entities = root ? systemEntities(*root) : std::nullopt;
    if (!entities)
        return notMounted(unreadableMessage);
    const std::optional<QString> path = firstMountPoint(*entities);
    if (!path)
        return notMounted(noPathMessage);
    return DiskImageMount{QUrl::fromLocalFile(*path), mountedMessage};
}

QList<QUrl> findApplicationBundles(const QUrl &mountPoint)
{
    const QString path = mountPoint.toLocalFile();
    if (path.isEmpty())
        return {};
    // Hidden entries are those whose names begin with a dot. System keeps
    // entries that are neither files nor folders; whether an entry is a folder
    // is not examined. The listing is taken in name order so that names
    // collating equal stay in a fixed order.
    const QDir volume(path);
    const QStringList names =
        volume.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);

    QList<QUrl> bundles;
    for (const QString &name : names) {
        const QUrl entry = QUrl::fromLocalFile(volume.filePath(name));
        if (pathExtension(entry).toLower() == QLatin1String("app") && !isSymbolicLink(volume.filePath(name)))
            bundles << entry;
    }

    const QCollator collator = fileManagerCollator();
    std::stable_sort(bundles.begin(), bundles.end(), [&collator](const QUrl &a, const QUrl &b) {
        return collator.compare(lastPathComponent(a), lastPathComponent(b)) < 0;
    });
    return bundles;
}

Program::TextResult detachDiskImage(const QUrl &mountPoint, const ReleaseTools &tools)
{
    return runTool(tools, detachCall(mountPoint.toLocalFile()));
}
