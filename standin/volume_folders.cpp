#include "volume_folders.h"

#include "volume_removal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Real images show up as /dev/disk4 and on; the stand-in numbers its
// devices after the folder's place in the " 1", " 2", ... sequence.
constexpr int kFirstDevice = 4;

QString volumesFolder()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("veristamp-volumes"));
}

// In a shared temporary folder someone else could have made the folder first,
// or planted a link in its place: only a real folder of this user will do.
bool ensureVolumesFolder(QByteArray *problem)
{
    if (QDir::tempPath().isEmpty()) { // Qt's answer when TMPDIR names a missing folder
        *problem = "No such file or directory";
        return false;
    }
    const QByteArray path = QFile::encodeName(volumesFolder());
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        *problem = "Permission denied";
        return false;
    }
    return true;
}

bool writeMarker(const AttachedVolume &volume)
{
    const QByteArray path = QFile::encodeName(QDir(volume.mountPoint).filePath(markerName()));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray content = volume.device.toUtf8() + '\n' + volume.imagePath.toUtf8() + '\n';
    const bool written = ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

bool isRealFolder(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QString markerName()
{
    return QStringLiteral(".veristamp-standin-volume");
}

std::optional<AttachedVolume> createVolumeFolder(const QString &imagePath, QByteArray *problem)
{
    if (!ensureVolumesFolder(problem))
        return std::nullopt;
    const QString name = QFileInfo(imagePath).completeBaseName();
    for (int index = 0;; ++index) {
        const QString folder = QDir(volumesFolder())
                                   .filePath(index == 0 ? name : name + QLatin1Char(' ') + QString::number(index));
        if (::mkdir(QFile::encodeName(folder).constData(), 0755) != 0) {
            if (errno == EEXIST)
                continue;
            *problem = std::strerror(errno);
            return std::nullopt;
        }
        AttachedVolume volume{folder, QStringLiteral("disk") + QString::number(kFirstDevice + index),
                              QFileInfo(imagePath).absoluteFilePath()};
        if (!writeMarker(volume)) {
            removeVolumeFolder(folder);
            *problem = "Permission denied";
            return std::nullopt;
        }
        return volume;
    }
}

std::optional<AttachedVolume> attachedVolumeAt(const QString &mountPoint)
{
    QString path = mountPoint;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QFileInfo info(path);
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || parent != QFileInfo(volumesFolder()).canonicalFilePath() || !isRealFolder(path))
        return std::nullopt;
    const QString markerPath = QDir(path).filePath(markerName());
    if (QFileInfo(markerPath).isSymLink())
        return std::nullopt;
    QFile marker(markerPath);
    if (!marker.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = marker.readAll().split('\n');
    if (lines.size() < 2 || lines.at(0).isEmpty())
        return std::nullopt;
    return AttachedVolume{path, QString::fromUtf8(lines.at(0)), QString::fromUtf8(lines.at(1))};
}

bool removeVolumeFolder(const QString &mountPoint)
{
    return removeTree(QFile::encodeName(mountPoint));
}
