#pragma once
// SHA-256 digests of what a release pipeline ships, read as a stream: the
// file passes through one fixed buffer, so memory stays flat however large
// the image. Never fails silently: no digest comes with the reason why.

#include "engine/sha256.h"
#include "engine/system_error_text.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct Digest {
    std::optional<QString> sha256; // 64 lower-case hex digits
    QString error;                 // set when sha256 is empty
};

// The bytes of a regular file (a symbolic link to one is followed), as sha256sum prints them.
Digest fileDigest(const QString &path);

// The read size: large enough that the hash, not the system calls, sets the pace.
constexpr std::size_t kDigestBufferSize = std::size_t(1) << 20;

// Reads the open descriptor to its end into `hash` through `buffer`. The byte
// count read, or nothing with errno set when a read failed.
std::optional<std::int64_t> hashDescriptor(int fd, Sha256 &hash, std::vector<char> &buffer);

// Lower-case hex of a finished digest; nothing when the library gave none.
std::optional<QString> hexDigest(Sha256 &hash);

