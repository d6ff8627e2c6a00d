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

// Every index entry names its own type once and a blob of its own, apart
// from the header, the index and every other blob: where two entries share
// bytes or a type, which one a check reads and which one the platform reads
// could differ.
QString indexFailure(ByteView blob, std::uint32_t count)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> extents{{0, 12 + std::uint64_t(count) * 8}};
    std::vector<std::uint32_t> types;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t type = *blob.be32(12 + i * 8);
        const std::uint32_t offset = *blob.be32(16 + i * 8);
        const auto length = blob.be32(std::uint64_t(offset) + 4);
        if (!length || *length < 8 || !blob.sub(offset, *length))
            return QStringLiteral("the signature's blob of type 0x%1 is damaged").arg(type, 0, 16);
        if (std::find(types.begin(), types.end(), type) != types.end())
            return QStringLiteral("the embedded signature holds two blobs of type 0x%1").arg(type, 0, 16);
        for (const auto &[start, end] : extents)
            if (offset < end && start < std::uint64_t(offset) + *length)
                return QStringLiteral("two blobs of the embedded signature overlap");
        types.push_back(type);
        extents.emplace_back(offset, std::uint64_t(offset) + *length);
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
