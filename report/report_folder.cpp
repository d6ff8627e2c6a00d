#include "report/report_folder.h"

#include "engine/system_error_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for two instances saving a whole release's images in one minute;
// past it something is wrong with the folder, not the names.
constexpr int kLastNumber = 10000;

QString writeFailure(const QString &path, int error)
{
    return QStringLiteral("The file \u201C%1\u201D could not be written: %2.")
        .arg(QDir::toNativeSeparators(path), systemErrorText(error));
}

int openNew(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The whole of `bytes` in a new file beside `target`, then renamed over the
// empty file that holds the name: rename replaces that one entry and
// follows no link. The error number, or 0.
int fillAtomically(const QString &folder, const QString &target, const QByteArray &bytes)
{
    const QString staging = QDir(folder).filePath(
        QStringLiteral(".veristamp-") + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".part"));
    const int fd = openNew(staging);
    if (fd < 0)
        return errno;
    errno = 0;
    int error = writeAll(fd, bytes) && ::fsync(fd) == 0 ? 0 : (errno ? errno : EIO);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(QFile::encodeName(staging).constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(QFile::encodeName(staging).constData());
    return error;
}

qsizetype nameLimit(const QString &folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : 255;
}

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity &) const = default;
};

std::optional<FileIdentity> identityOf(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

// The deepest existing folder or file along `path`, its links resolved: a
// path without links, so each parent of it is truly what holds it.
QString deepestExisting(const QString &path)
{
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (;;) {
        const QString resolved = QFileInfo(at).canonicalFilePath();
        if (!resolved.isEmpty())
            return resolved;
        const QString parent = QFileInfo(at).path();
        if (parent == at)
            return QString();
        at = parent;
    }
}

} // namespace

bool liesWithinPackage(const QString &path, const QString &package)
{
    const std::optional<FileIdentity> target = identityOf(package);
    if (!target || path.isEmpty())
        return false;
    for (QString at = deepestExisting(path); !at.isEmpty();) {
        if (identityOf(at) == target)
            return true;
        const QString parent = QFileInfo(at).path();
        if (parent == at)
            break;
        at = parent;
    }
    return false;
}

QString proposedReportFolder(const QString &documents, const QString &package)
{
    if (!documents.isEmpty() && QFileInfo(documents).isDir() && !liesWithinPackage(documents, package))
        return documents;
    const QString resolved = QFileInfo(package).canonicalFilePath();
    return QFileInfo(resolved.isEmpty() ? package : resolved).path();
}

QString numberedReportFileName(const ReportFileStem &stem, int number, const QString &extension, qsizetype maxBytes)
{
    const QString tail =
        stem.tag + (number > 1 ? QStringLiteral("-%1").arg(number) : QString()) + extension;
    const qsizetype budget = maxBytes - tail.toUtf8().size();
    if (budget < 0)
        return QString();
    QString subject = stem.subject;
    qsizetype size = subject.toUtf8().size();
    while (size > budget) {
        const qsizetype cut = subject.size() >= 2 && subject.back().isLowSurrogate() ? 2 : 1;
        size -= subject.right(cut).toUtf8().size();
        subject.chop(cut);
    }
    return subject + tail;
}

FolderSave saveIntoFolder(const QString &folder, const ReportFileStem &stem, const QString &extension,
                          const QByteArray &bytes)
{
    qsizetype limit = nameLimit(folder);
    for (int number = 1; number <= kLastNumber;) {
        const QString name = numberedReportFileName(stem, number, extension, limit);
        if (name.isEmpty())
            return FolderSave{QString(), writeFailure(QDir(folder).filePath(stem.subject + stem.tag), ENAMETOOLONG)};
        const QString path = QDir(folder).filePath(name);
        const int claimed = openNew(path);
        if (claimed < 0 && errno == EEXIST) {
            ++number;
            continue;
        }
        // The limit counts bytes as written here; a file system that stores
        // names longer (decomposed, say) refuses them: shorten further.
        if (claimed < 0 && errno == ENAMETOOLONG && limit > 1) {
            limit -= std::max<qsizetype>(1, limit / 8);
            continue;
        }
        if (claimed < 0)
            return FolderSave{QString(), writeFailure(path, errno)};
        ::close(claimed);
        if (const int error = fillAtomically(folder, path, bytes); error != 0) {
            ::unlink(QFile::encodeName(path).constData());
            return FolderSave{QString(), writeFailure(path, error)};
        }
        return FolderSave{path, QString()};
    }
    return FolderSave{QString(), writeFailure(QDir(folder).filePath(stem.subject + stem.tag), EEXIST)};
}
