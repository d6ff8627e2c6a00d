#include "codesig/embedded_signature.h"

#include "codesig/superblob_index.h"

namespace codesig {
namespace {

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

} // namespace

EmbeddedSignature readEmbeddedSignature(ByteView superBlob)
{
    EmbeddedSignature signature;
    const SuperBlobIndex index = readSuperBlobIndex(superBlob);
    signature.error = index.error;
    for (std::size_t i = 0; i < index.entries.size() && signature.error.isEmpty(); ++i)
        signature.error = readEntry(signature, index.blob, index.entries[i].type, index.entries[i].offset);
    if (!signature.error.isEmpty())
        return signature;
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
