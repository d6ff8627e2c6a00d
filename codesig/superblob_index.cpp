#include "codesig/superblob_index.h"

#include <algorithm>

namespace codesig {
namespace {

constexpr std::uint32_t superBlobMagic = 0xfade0cc0;
constexpr std::uint32_t maxBlobs = 64;

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

// With the index sound, a blob's room ends where the next one begins.
ByteView roomAt(ByteView blob, std::uint32_t offset, const std::vector<SuperBlobEntry> &entries)
{
    std::uint64_t end = blob.size();
    for (const SuperBlobEntry &entry : entries)
        if (entry.offset > offset && entry.offset < end)
            end = entry.offset;
    return *blob.sub(offset, end - offset);
}

} // namespace

SuperBlobIndex readSuperBlobIndex(ByteView superBlob)
{
    SuperBlobIndex index;
    const auto magic = superBlob.be32(0);
    const auto length = superBlob.be32(4);
    const auto count = superBlob.be32(8);
    if (!magic || *magic != superBlobMagic || !length || !count || !superBlob.sub(0, *length)
        || *count > maxBlobs || std::uint64_t(12) + std::uint64_t(*count) * 8 > *length) {
        index.error = QStringLiteral("the embedded signature is damaged");
        return index;
    }
    index.blob = *superBlob.sub(0, *length);
    index.error = indexFailure(index.blob, *count);
    if (!index.error.isEmpty())
        return index;
    for (std::uint32_t i = 0; i < *count; ++i)
        index.entries.push_back(SuperBlobEntry{*index.blob.be32(12 + i * 8), *index.blob.be32(16 + i * 8), {}});
    for (SuperBlobEntry &entry : index.entries)
        entry.room = roomAt(index.blob, entry.offset, index.entries);
    return index;
}

} // namespace codesig
