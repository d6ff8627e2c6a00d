#include "engine/capture_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why nothing could be written to the new, empty file, or 0. A file size
// limit of zero is read, not tried: crossing it raises SIGXFSZ. A full file
// system shows when one byte is written (and taken back).
int writeProblem(int fd)
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur == 0)
        return EFBIG;
    ssize_t written = -1;
    do
        written = ::pwrite(fd, "\n", 1, 0);
    while (written < 0 && errno == EINTR);
    if (written != 1)
        return written < 0 ? errno : EIO;
    return ::ftruncate(fd, 0) == 0 ? 0 : errno;
}

// The probe's byte is taken back by truncating the file to nothing, and
// ext4 and XFS remember that truncation: at the next last close they write
// out whatever a program put in the file since, as if it replaced a file
// being saved, and deleting it afterwards waits for its blocks to be
// discarded. That cost a few milliseconds per capture. The probe's handle
// closes while the file is still empty, which settles that, and the program
// writes through a handle opened anew. That handle must reach the same file;
// when something else stands at the path now, it is not ours to remove.
int reopened(const QByteArray &name, int probed)
{
    struct stat created {};
    ::fstat(probed, &created);
    const auto isCreated = [&](const struct stat &info) {
        return info.st_dev == created.st_dev && info.st_ino == created.st_ino;
    };
    const int fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    const int openError = errno;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && isCreated(info)) {
        ::close(probed);
        return fd;
    }
    if (fd >= 0)
        ::close(fd);
    if (::lstat(name.constData(), &info) == 0 && isCreated(info))
        ::unlink(name.constData());
    ::close(probed);
    errno = fd >= 0 ? EEXIST : openError;
    return -1;
}

} // namespace

// A capture file nothing can be written to would make a tool's answer read
// as silence: such a file counts as not created.
CaptureFile::CaptureFile(QString path) : m_path(std::move(path))
{
    const QByteArray name = QFile::encodeName(m_path);
    const int probed = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    m_error = probed < 0 ? errno : writeProblem(probed);
    if (probed >= 0 && m_error != 0) {
        ::close(probed);
        ::unlink(name.constData());
    } else if (probed >= 0) {
        m_fd = reopened(name, probed);
        m_error = m_fd < 0 ? errno : 0;
    }
}

CaptureFile::~CaptureFile()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(QFile::encodeName(m_path).constData());
}

QByteArray CaptureFile::readAll() const
{
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return {};
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled), filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}
