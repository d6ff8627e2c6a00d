#include "codesig/seal_digest.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace codesig {

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A read interrupted by a signal is retried; anything else ends the file.
ssize_t readSome(int fd, char *buffer, std::size_t size)
{
    for (;;) {
        const ssize_t count = ::read(fd, buffer, size);
        if (count >= 0 || errno != EINTR)
            return count;
    }
}

// Hard links, and a nested bundle's files sealed again by the bundle around
// it, are one file: each is read once however many names seal it. The key
// holds the change time too, so a file rewritten meanwhile is read anew.
using FileKey = std::tuple<dev_t, ino_t, off_t, time_t, long, SealDigest>;

FileKey keyOf(const struct stat &status, SealDigest kind)
{
#ifdef __APPLE__
    const timespec changed = status.st_ctimespec;
#else
    const timespec changed = status.st_ctim;
#endif
    return FileKey{status.st_dev, status.st_ino, status.st_size, changed.tv_sec, changed.tv_nsec, kind};
}

// The digest known for the key; `learnt` is remembered first when given.
std::optional<QByteArray> knownDigest(const FileKey &key, const QByteArray *learnt = nullptr)
{
    static std::mutex mutex;
    static std::map<FileKey, QByteArray> digests;
    const std::lock_guard lock(mutex);
    if (learnt)
        digests.emplace(key, *learnt);
    const auto found = digests.find(key);
    return found == digests.end() ? std::nullopt : std::optional<QByteArray>(found->second);
}

} // namespace

int sealDigestSize(SealDigest kind)
{
    return kind == SealDigest::sha1 ? 20 : 32;
}

std::optional<QByteArray> digestSealedFile(const QByteArray &path, SealDigest kind)
{
    // O_NOFOLLOW: a link put where a sealed file was is never read through;
    // O_NONBLOCK: a FIFO put there does not hang the check.
    Descriptor file;
    file.fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const FileKey key = keyOf(status, kind);
    if (std::optional<QByteArray> known = knownDigest(key))
        return known;
    std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
    const EVP_MD *method = kind == SealDigest::sha1 ? EVP_sha1() : EVP_sha256();
    if (!context || EVP_DigestInit_ex(context.get(), method, nullptr) != 1)
        return std::nullopt;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = readSome(file.fd, buffer.data(), std::size_t(buffer.size()));
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        if (EVP_DigestUpdate(context.get(), buffer.constData(), std::size_t(count)) != 1)
            return std::nullopt;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &size) != 1)
        return std::nullopt;
    const QByteArray learnt(reinterpret_cast<const char *>(digest), int(size));
    return knownDigest(key, &learnt);
}

} // namespace codesig
