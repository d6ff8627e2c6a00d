#include "codesig/bundle_seal.h"
#include "codesig/code_reading_parts.h"
#include "codesig/mapped_file.h"
#include "proplist/property_list.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <memory>

namespace codesig {
namespace {

// Property lists and seals larger than this are not a bundle's own.
constexpr qint64 maxMetadataBytes = 64 * 1024 * 1024;
const QString unsuitable = QStringLiteral("bundle format unrecognized, invalid, or unsuitable");

bool isPlain(const QString &path, mode_t kind)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

// A regular file's bytes (never through a link); nullopt when absent or too large.
std::optional<QByteArray> plainFileBytes(const QString &path)
{
    if (!isPlain(path, S_IFREG))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxMetadataBytes)
        return std::nullopt;
    return file.readAll();
}

QString executableName(const QByteArray &infoPlist)
{
    const std::optional<QVariant> root = parsePropertyList(infoPlist);
    return textValue(root.value_or(QVariant()).toMap().value(QStringLiteral("CFBundleExecutable"))).value_or(QString());
}

CodeReading refused(const QString &why)
{
    CodeReading reading;
    reading.failures << unsuitable << why;
    return reading;
}

NestedCode checkNestedCode(const QString &nestedPath, int depth)
{
    NestedCode nested;
    if (depth > maxNestingDepth) {
        nested.failures << QStringLiteral("nested code is nested too deeply") << QStringLiteral("In subcomponent: %1").arg(nestedPath);
        return nested;
    }
    const CodeReading reading = readCodeAtDepth(nestedPath, depth);
    nested.failures = reading.failures;
    for (const SliceSignature &slice : reading.slices)
        nested.cdHashes << slice.cdHashes;
    return nested;
}

} // namespace

CodeReading readBundleCode(const QString &bundlePath, int depth)
{
    const QString contents = bundlePath + QStringLiteral("/Contents");
    const QString macOS = contents + QStringLiteral("/MacOS");
    const auto infoPlist = isPlain(contents, S_IFDIR) ? plainFileBytes(contents + QStringLiteral("/Info.plist")) : std::nullopt;
    if (!infoPlist)
        return refused(QStringLiteral("the bundle has no Contents/Info.plist"));
    const QString name = executableName(*infoPlist);
    if (name.isEmpty() || name.contains('/') || name.contains(QLatin1String("..")))
        return refused(QStringLiteral("the bundle's CFBundleExecutable does not name a file in Contents/MacOS"));
    const QString executable = macOS + '/' + name;
    if (!isPlain(macOS, S_IFDIR) || !isPlain(executable, S_IFREG))
        return refused(QStringLiteral("the main executable is not a regular file inside Contents/MacOS"));
    MappedFile file(executable);
    if (!file.isOpen())
        return refused(QStringLiteral("the main executable cannot be read"));
    SlotSubjects subjects;
    subjects.infoPlist = infoPlist;
    subjects.inBundle = true;
    subjects.resourceSeal = plainFileBytes(contents + QStringLiteral("/_CodeSignature/CodeResources"));
    MachOCodeReading machO = readMachOCode(executable, file.bytes(), subjects);
    CodeReading &reading = machO.reading;
    if (!reading.format.isEmpty())
        reading.format.prepend(bundlePath.endsWith(QLatin1String(".app")) ? QStringLiteral("app bundle with ")
                                                                           : QStringLiteral("bundle with "));
    if (!reading.isSigned) {
        // The bundle as a whole is what is unsigned; its executable is named.
        reading.failures = QStringList{QStringLiteral("code object is not signed at all")};
        return reading;
    }
    if (reading.failures.isEmpty() && machO.sealBound)
        reading.failures = verifyBundleSeal(bundlePath, *subjects.resourceSeal,
                                            [depth](const QString &nested) { return checkNestedCode(nested, depth + 1); });
    return reading;
}

} // namespace codesig
