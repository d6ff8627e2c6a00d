#include "udif_volume.h"

#include "seven_zip.h"
#include "seven_zip_problems.h"
#include "volume_folders.h"
#include "volume_links.h"
#include "volume_removal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

QByteArray gibibytes(quint64 bytes)
{
    return QByteArray::number(static_cast<double>(bytes) / double(quint64(1) << 30), 'f', 1) + " GiB";
}

quint64 freeSpaceOf(const QString &folder)
{
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return 0;
    return static_cast<quint64>(info.f_bavail) * info.f_frsize;
}

// HFS+ keeps its hard-link stores as hidden folders at the root, which a
// mounted volume never shows; 7zz names them like any folder.
bool isHiddenByHfs(const QString &name)
{
    return name == QLatin1String("[HFS+ Private Data]") || name == QLatin1String(".HFS+ Private Directory Data\r");
}

bool isRealFolder(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Moves the volume's root members up from where 7zz put them. A member that
// takes the marker's or the unpacking folder's name is left out.
bool moveRootUp(const QString &root, const QString &folder, const QString &unpacking, QByteArray *problem)
{
    if (!isRealFolder(root)) {
        *problem = "no mountable file systems";
        return false;
    }
    const QStringList names =
        QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (name == markerName() || name == QFileInfo(unpacking).fileName() || isHiddenByHfs(name))
            continue;
        const QString to = QDir(folder).filePath(name);
        if (std::rename(QFile::encodeName(QDir(root).filePath(name)).constData(), QFile::encodeName(to).constData()) != 0) {
            *problem = "image member \"" + name.toUtf8() + "\" cannot be placed";
            return false;
        }
    }
    return true;
}

bool extract(const QString &imagePath, const QString &unpacking, QByteArray *problem)
{
    SevenZipProblems problems;
    const SevenZipRun run = runSevenZip({QStringLiteral("x"), QStringLiteral("-snl"), QStringLiteral("-bd"),
                                         QStringLiteral("-bsp0"), QStringLiteral("-y"), QStringLiteral("-o") + unpacking,
                                         QStringLiteral("--"), imagePath},
                                        [&problems](QByteArrayView line, bool) {
                                            problems.take(line);
                                            return true;
                                        },
                                        SevenZipLimits{kVolumeSizeCeiling});
    if (!run.ran)
        *problem = run.problem;
    else if (run.status != 0)
        *problem = "corrupt image (" + problems.reason(run.status) + ")";
    return run.ran && run.status == 0;
}

} // namespace

VolumePlan planUdifVolume(const QString &imagePath)
{
    VolumePlan plan{listUdifVolume(imagePath, kVolumeSizeCeiling, kVolumeMemberCeiling), {}};
    const VolumeListing &listing = plan.listing;
    if (!listing.problem.isEmpty())
        plan.problem = listing.problem;
    else if (!listing.listed)
        plan.problem = "image not recognized";
    else if (listing.kind == VolumeKind::none || (listing.kind == VolumeKind::hfs && listing.topFolder.isEmpty()))
        plan.problem = "no mountable file systems";
    return plan;
}

bool unpackUdifVolume(const QString &imagePath, const VolumePlan &plan, const QString &folder, QByteArray *problem)
{
    const quint64 free = freeSpaceOf(folder);
    if (plan.listing.totalSize >= free) {
        *problem = "No space left on device (the volume holds " + gibibytes(plan.listing.totalSize) + ", " +
                   gibibytes(free) + " are free)";
        return false;
    }
    const QString unpacking = QDir(folder).filePath(markerName() + QStringLiteral(".unpacking"));
    if (!extract(imagePath, unpacking, problem))
        return false;
    // A name the volume stores but this system cannot spell in UTF-8 (a lone
    // UTF-16 surrogate, say) could be neither reported nor placed faithfully.
    if (const std::optional<QByteArray> name = nameNotInUtf8(QFile::encodeName(unpacking))) {
        *problem = "image member \"" + QString::fromUtf8(*name).toUtf8() + "\" has a name this system cannot write";
        return false;
    }
    const QString root = plan.listing.kind == VolumeKind::hfs ? QDir(unpacking).filePath(plan.listing.topFolder) : unpacking;
    if (!moveRootUp(root, folder, unpacking, problem))
        return false;
    removeTree(QFile::encodeName(unpacking));
    *problem = settleVolumeLinks(folder, unpacking);
    return problem->isEmpty();
}
