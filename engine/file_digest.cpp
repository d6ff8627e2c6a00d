#include "engine/file_digest.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::int64_t> hashDescriptor(int fd, Sha256 &hash, std::vector<char> &buffer)
{
    std::int64_t total = 0;
    for (;;) {
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count == 0)
            return total;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        hash.add(buffer.data(), std::size_t(count));
        total += count;
    }
}

std::optional<QString> hexDigest(Sha256 &hash)
{
    const QByteArray digest = hash.finish();
    if (digest.isEmpty())
        return std::nullopt;
    return QString::fromLatin1(digest.toHex());
}

Digest fileDigest(const QString &path)
{
    // Non-blocking, so a FIFO named like an image cannot stall the run at open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, systemErrorText(errno)};
    struct stat info {};
    Digest digest;
    if (::fstat(fd, &info) != 0) {
        digest.error = systemErrorText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        digest.error = QStringLiteral("not a regular file");
    } else {
        Sha256 hash;
        std::vector<char> buffer(kDigestBufferSize);
        if (!hashDescriptor(fd, hash, buffer))
            digest.error = systemErrorText(errno);
        else if (!(digest.sha256 = hexDigest(hash)))
            digest.error = QStringLiteral("SHA-256 is not available");
    }
    ::close(fd);
    return digest;
}
