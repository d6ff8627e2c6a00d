#include "codesig/hash_kind.h"

#include <openssl/evp.h>

#include <memory>

namespace codesig {
namespace {

const EVP_MD *fetched(const char *name)
{
    // Fetched once for the process; OpenSSL keeps it for the life of the library.
    if (std::string_view(name) == "SHA1") {
        static EVP_MD *sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
        return sha1;
    }
    if (std::string_view(name) == "SHA384") {
        static EVP_MD *sha384 = EVP_MD_fetch(nullptr, "SHA384", nullptr);
        return sha384;
    }
    static EVP_MD *sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return sha256;
}

} // namespace

std::optional<HashKind> hashKind(std::uint8_t hashType)
{
    switch (hashType) {
    case 1: return HashKind{fetched("SHA1"), 20, QStringLiteral("sha1"), 1};
    case 2: return HashKind{fetched("SHA256"), 32, QStringLiteral("sha256"), 3};
    case 3: return HashKind{fetched("SHA256"), 20, QStringLiteral("sha256_truncated"), 2};
    case 4: return HashKind{fetched("SHA384"), 48, QStringLiteral("sha384"), 4};
    default: return std::nullopt;
    }
}

QByteArray digestOf(const HashKind &kind, ByteView bytes)
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!kind.digest || EVP_Digest(bytes.data(), bytes.size(), out, &length, kind.digest, nullptr) != 1)
        return {};
    return QByteArray(reinterpret_cast<const char *>(out), std::min<int>(kind.size, int(length)));
}

} // namespace codesig
