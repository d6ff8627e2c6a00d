#include "codesig/seal_entries.h"

#include <QVariantMap>

namespace codesig {

namespace {

// Far more files than any shipped bundle seals; a seal claiming more is crafted.
constexpr int kMaximumEntries = 200000;
constexpr int kCdHashSize = 20;

// A path the seal may name: relative, '/'-separated, with no empty, "." or
// ".." part, so joining it to the content root never leaves the bundle.
bool staysInBundle(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QStringList parts = path.split(u'/');
    for (const QString &part : parts) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
    }
    return true;
}

QByteArray data(const QVariantMap &map, const QString &key)
{
    const QVariant value = map.value(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

bool digestFits(const SealedEntry &entry)
{
    return entry.digest.size() == sealDigestSize(entry.digestKind);
}

std::optional<SealedEntry> readDictionaryEntry(const QVariantMap &map)
{
    SealedEntry entry;
    const QVariant optional = map.value(QStringLiteral("optional"));
    entry.optional = optional.typeId() == QMetaType::Bool && optional.toBool();
    const QVariant link = map.value(QStringLiteral("symlink"));
    if (link.isValid()) {
        entry.kind = SealedEntry::Kind::link;
        entry.linkTarget = link.toString().toUtf8();
        return link.typeId() == QMetaType::QString ? std::optional<SealedEntry>(entry) : std::nullopt;
    }
    if (map.contains(QStringLiteral("cdhash"))) {
        entry.kind = SealedEntry::Kind::nestedCode;
        entry.cdHash = data(map, QStringLiteral("cdhash"));
        return entry.cdHash.size() == kCdHashSize ? std::optional<SealedEntry>(entry) : std::nullopt;
    }
    // The SHA-256 digest when the seal has one: SHA-1 no longer resists forgery.
    const bool hasHash2 = map.contains(QStringLiteral("hash2"));
    entry.digestKind = hasHash2 ? SealDigest::sha256 : SealDigest::sha1;
    entry.digest = data(map, hasHash2 ? QStringLiteral("hash2") : QStringLiteral("hash"));
    return digestFits(entry) ? std::optional<SealedEntry>(entry) : std::nullopt;
}

std::optional<SealedEntry> readEntry(const QVariant &value)
{
    if (value.typeId() == QMetaType::QVariantMap)
        return readDictionaryEntry(value.toMap());
    SealedEntry entry;
    entry.digestKind = SealDigest::sha1;
    entry.digest = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
    return digestFits(entry) ? std::optional<SealedEntry>(entry) : std::nullopt;
}

} // namespace

std::optional<SealedEntries> readSealedEntries(const QVariant &value, QString &failure)
{
    if (value.typeId() != QMetaType::QVariantMap) {
        failure = QStringLiteral("the resource seal lists no files");
        return std::nullopt;
    }
    const QVariantMap map = value.toMap();
    if (map.size() > kMaximumEntries) {
        failure = QStringLiteral("the resource seal lists too many files");
        return std::nullopt;
    }
    SealedEntries entries;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!staysInBundle(it.key())) {
            failure = QStringLiteral("the resource seal names a path outside the bundle: %1").arg(it.key());
            return std::nullopt;
        }
        std::optional<SealedEntry> entry = readEntry(it.value());
        if (!entry) {
            failure = QStringLiteral("the resource seal holds a malformed entry: %1").arg(it.key());
            return std::nullopt;
        }
        entries.emplace(it.key(), std::move(*entry));
    }
    return entries;
}

} // namespace codesig
