#pragma once
// The digests a CodeDirectory may name by its hashType byte, fetched from
// OpenSSL once and reused: a fetch per page would cost more than the page.

#include "codesig/byte_view.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

typedef struct evp_md_st EVP_MD;

namespace codesig {

struct HashKind {
    const EVP_MD *digest = nullptr;
    int size = 0;  // bytes kept: 20 for the truncated SHA-256 kind
    QString name;  // "sha1", "sha256", ...
    int rank = 0;  // which CodeDirectory a display prefers: higher wins
};

std::optional<HashKind> hashKind(std::uint8_t hashType);

// The digest of bytes, truncated to kind.size; empty if OpenSSL refuses.
QByteArray digestOf(const HashKind &kind, ByteView bytes);

} // namespace codesig
