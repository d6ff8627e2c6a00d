#include "codesig/seal_digest.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

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
    return QByteArray(reinterpret_cast<const char *>(digest), int(size));
}

} // namespace codesig
