#pragma once
// A sealed file's digest, read in pieces so a large resource costs no more
// memory than a small one. The seal records SHA-1 ("hash", or a bare data
// value) and SHA-256 ("hash2").

#include <QByteArray>

#include <optional>

namespace codesig {

enum class SealDigest { sha1, sha256 };

// The digest of the file at path (native bytes), or nothing when it cannot be
// opened as a regular file without following a link, or cannot be read.
std::optional<QByteArray> digestSealedFile(const QByteArray &path, SealDigest kind);

// The size of the digest kind's output, to tell a well-formed seal entry.
int sealDigestSize(SealDigest kind);

} // namespace codesig
