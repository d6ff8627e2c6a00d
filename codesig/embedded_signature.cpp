#include "codesig/embedded_signature.h"

#include <algorithm>

namespace codesig {
namespace {

constexpr std::uint32_t superBlobMagic = 0xfade0cc0;
constexpr std::uint32_t requirementsMagic = 0xfade0c01;
constexpr std::uint32_t entitlementsMagic = 0xfade7171;
constexpr std::uint32_t derEntitlementsMagic = 0xfade7172;
constexpr std::uint32_t cmsWrapperMagic = 0xfade0b01;
constexpr std::uint32_t slotCodeDirectory = 0;
constexpr std::uint32_t slotRequirements = 2;
constexpr std::uint32_t slotEntitlements = 5;
constexpr std::uint32_t slotDerEntitlements = 7;
constexpr std::uint32_t slotFirstAlternate = 0x1000;
constexpr std::uint32_t slotLastAlternate = 0x1004;
constexpr std::uint32_t slotCms = 0x10000;
constexpr std::uint32_t maxBlobs = 64;

// The blob at offset, bounded by its own length field; nullopt if it leaves the SuperBlob.
std::optional<ByteView> blobAt(ByteView superBlob, std::uint32_t offset, std::uint32_t expectedMagic)
{
    const auto magic = superBlob.be32(offset);
    const auto length = superBlob.be32(std::uint64_t(offset) + 4);
    if (!magic || !length || *magic != expectedMagic || *length < 8)
        return std::nullopt;
    return superBlob.sub(offset, *length);
}

QString readEntry(EmbeddedSignature &signature, ByteView superBlob, std::uint32_t type, std::uint32_t offset)
{
    const QString damaged = QStringLiteral("the signature's blob of type 0x%1 is damaged").arg(type, 0, 16);
    if (type == slotCodeDirectory || (type >= slotFirstAlternate && type <= slotLastAlternate)) {
        const auto bytes = superBlob.from(offset);
        CodeDirectoryReading reading = bytes ? readCodeDirectory(*bytes) : CodeDirectoryReading{};
        if (!reading.directory)
            return reading.error.isEmpty() ? damaged : reading.error;
        signature.hasPrimary = signature.hasPrimary || type == slotCodeDirectory;
        auto at = type == slotCodeDirectory ? signature.directories.begin() : signature.directories.end();
        signature.directories.insert(at, *reading.directory);
        return {};
    }
    std::optional<ByteView> *target = nullptr;
    std::uint32_t magic = 0;
    switch (type) {
    case slotRequirements: target = &signature.requirements; magic = requirementsMagic; break;
    case slotEntitlements: target = &signature.entitlements; magic = entitlementsMagic; break;
    case slotDerEntitlements: target = &signature.derEntitlements; magic = derEntitlementsMagic; break;
    case slotCms: target = &signature.cms; magic = cmsWrapperMagic; break;
    default: return {}; // blobs this reader does not use are bound through the CodeDirectory anyway
    }
    *target = blobAt(superBlob, offset, magic);
    if (!*target)
        return damaged;
    if (type == slotCms)
        *target = (*target)->from(8);
    return {};
}

// The index gives offsets, not lengths: each blob has the room up to the
// next one. Every entry names its own type once and its own room, past the
// header and the index, and a blob (magic 0xfade....) must fit its room;
// where two entries share bytes or a type, which one a check reads and which
// one the platform reads could differ. Other bytes (a stapled ticket) have
// no length of their own.
QString indexFailure(ByteView blob, std::uint32_t count)
{
    const QString overlap = QStringLiteral("two blobs of the embedded signature overlap");
    std::vector<std::uint32_t> types, sorted;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t type = *blob.be32(12 + i * 8);
        if (std::find(types.begin(), types.end(), type) != types.end())
            return QStringLiteral("the embedded signature holds two blobs of type 0x%1").arg(type, 0, 16);
        types.push_back(type);
        sorted.push_back(*blob.be32(16 + i * 8));
    }
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const std::uint64_t next = i + 1 < sorted.size() ? sorted[i + 1] : blob.size();
        const auto magic = blob.be32(sorted[i]);
        const auto length = blob.be32(std::uint64_t(sorted[i]) + 4);
        if (sorted[i] >= blob.size())
            return QStringLiteral("the embedded signature's index points outside it");
        if (sorted[i] < 12 + std::uint64_t(count) * 8 || next == sorted[i])
            return overlap;
        if (magic && length && (*magic >> 16) == 0xfade && *length > next - sorted[i])
            return overlap;
    }
    return {};
}

} // namespace

EmbeddedSignature readEmbeddedSignature(ByteView superBlob)
{
    EmbeddedSignature signature;
    const auto magic = superBlob.be32(0);
    const auto length = superBlob.be32(4);
    const auto count = superBlob.be32(8);
    if (!magic || *magic != superBlobMagic || !length || !count || !superBlob.sub(0, *length)
        || *count > maxBlobs || std::uint64_t(12) + std::uint64_t(*count) * 8 > *length) {
        signature.error = QStringLiteral("the embedded signature is damaged");
        return signature;
    }
    const ByteView blob = *superBlob.sub(0, *length);
    if (QString error = indexFailure(blob, *count); !error.isEmpty()) {
        signature.error = error;
        return signature;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint32_t type = *blob.be32(12 + i * 8);
        const std::uint32_t offset = *blob.be32(16 + i * 8);
        if (QString error = readEntry(signature, blob, type, offset); !error.isEmpty()) {
            signature.error = error;
            return signature;
        }
    }
    if (!signature.hasPrimary)
        signature.error = QStringLiteral("the embedded signature holds no CodeDirectory");
    return signature;
}

const CodeDirectory &bestDirectory(const EmbeddedSignature &signature)
{
    const CodeDirectory *best = &signature.directories.front();
    for (const CodeDirectory &directory : signature.directories)
        if (directory.kind.rank > best->kind.rank)
            best = &directory;
    return *best;
}

} // namespace codesig
