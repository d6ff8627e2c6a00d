#pragma once
// The files a resource seal lists ("files2", or "files" in a seal of the
// first version), keyed by their path below the bundle's content root: a
// file by its digest, a link by its text, nested code by its code hash.

#include "codesig/seal_digest.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>
#include <optional>

namespace codesig {

struct SealedEntry {
    enum class Kind { file, link, nestedCode };
    Kind kind = Kind::file;
    SealDigest digestKind = SealDigest::sha256;
    QByteArray digest;     // a file's
    QByteArray linkTarget; // a link's text
    QByteArray cdHash;     // nested code's, truncated to 20 bytes
    bool optional = false;
};

using SealedEntries = std::map<QString, SealedEntry>;

// The entries of a seal's files dictionary, or nothing (with why in failure)
// when an entry is malformed or names a path that leaves the bundle.
std::optional<SealedEntries> readSealedEntries(const QVariant &value, QString &failure);

} // namespace codesig
