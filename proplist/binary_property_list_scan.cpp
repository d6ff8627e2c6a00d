#include "proplist/binary_property_list_scan.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr int kTrailerSize = 32;
constexpr int kHeaderSize = 8; // "bplist00"

std::uint64_t bigEndian(const QByteArray &bytes, std::uint64_t at, int width)
{
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | std::uint8_t(bytes[qsizetype(at) + i]);
    return value;
}

// The object table as the trailer at the end of the file describes it.
class ObjectTable {
public:
    static std::optional<ObjectTable> of(const QByteArray &bytes)
    {
        if (bytes.size() < kHeaderSize + kTrailerSize)
            return std::nullopt;
        const std::uint64_t trailer = std::uint64_t(bytes.size()) - kTrailerSize;
        ObjectTable table(bytes);
        table.m_offsetWidth = std::uint8_t(bytes[qsizetype(trailer) + 6]);
        table.m_referenceWidth = std::uint8_t(bytes[qsizetype(trailer) + 7]);
        table.m_count = bigEndian(bytes, trailer + 8, 8);
        table.m_top = bigEndian(bytes, trailer + 16, 8);
        table.m_offsets = bigEndian(bytes, trailer + 24, 8);
        const bool sound = table.m_offsetWidth >= 1 && table.m_offsetWidth <= 8 && table.m_referenceWidth >= 1
                           && table.m_referenceWidth <= 8 && table.m_top < table.m_count
                           && table.m_offsets >= kHeaderSize && table.m_offsets <= trailer
                           && table.m_count <= (trailer - table.m_offsets) / table.m_offsetWidth;
        return sound ? std::optional<ObjectTable>(table) : std::nullopt;
    }

    std::uint64_t count() const { return m_count; }
    std::uint64_t top() const { return m_top; }

    // Where the references of a container begin and how many there are; an
    // empty list for any other object, nothing when the object is malformed
    // or is a string no reader should be handed (see soundString).
    std::optional<std::pair<std::uint64_t, std::uint64_t>> references(std::uint64_t object) const
    {
        const std::uint64_t at = bigEndian(m_bytes, m_offsets + object * m_offsetWidth, m_offsetWidth);
        if (at < kHeaderSize || at >= m_offsets)
            return std::nullopt;
        const int kind = std::uint8_t(m_bytes[qsizetype(at)]) >> 4;
        // 0x5 ASCII text, 0x6 UTF-16 text, 0xA array, 0xC set, 0xD dictionary (keys, then values)
        if (kind != 0x5 && kind != 0x6 && kind != 0xA && kind != 0xC && kind != 0xD)
            return std::pair<std::uint64_t, std::uint64_t>{0, 0};
        const std::optional<std::pair<std::uint64_t, std::uint64_t>> sized = sizedObject(at);
        if (!sized)
            return std::nullopt;
        auto [first, entries] = *sized;
        if (kind == 0x5 || kind == 0x6) {
            if (!soundString(first, entries, kind == 0x6))
                return std::nullopt;
            return std::pair<std::uint64_t, std::uint64_t>{0, 0};
        }
        if (kind == 0xD)
            entries = entries > UINT64_MAX / 2 ? UINT64_MAX : entries * 2;
        if (entries > (m_offsets - first) / m_referenceWidth)
            return std::nullopt;
        return std::pair<std::uint64_t, std::uint64_t>{first, entries};
    }

    std::uint64_t reference(std::uint64_t at, std::uint64_t index) const
    {
        return bigEndian(m_bytes, at + index * m_referenceWidth, m_referenceWidth);
    }

private:
    explicit ObjectTable(const QByteArray &bytes) : m_bytes(bytes) {}

    // Where an object's content begins and its count (in its marker's low
    // nibble, or after it as an integer object when that nibble is 0xF).
    std::optional<std::pair<std::uint64_t, std::uint64_t>> sizedObject(std::uint64_t at) const
    {
        std::uint64_t count = std::uint8_t(m_bytes[qsizetype(at)]) & 0xF;
        std::uint64_t first = at + 1;
        if (count == 0xF) {
            if (first >= m_offsets || (std::uint8_t(m_bytes[qsizetype(first)]) >> 4) != 0x1)
                return std::nullopt;
            const int width = 1 << (std::uint8_t(m_bytes[qsizetype(first)]) & 0xF);
            if (width > 8 || first + 1 + width > m_offsets)
                return std::nullopt;
            count = bigEndian(m_bytes, first + 1, width);
            first += 1 + width;
        }
        return std::pair<std::uint64_t, std::uint64_t>{first, count};
    }

    // Text libplist can take: inside the object area, without a NUL (which
    // trips an assertion in its UTF-16 conversion and cuts C strings short)
    // and, in UTF-16, without a surrogate that lacks its partner.
    bool soundString(std::uint64_t first, std::uint64_t count, bool utf16) const
    {
        const std::uint64_t unit = utf16 ? 2 : 1;
        if (count > (m_offsets - first) / unit)
            return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t code = bigEndian(m_bytes, first + i * unit, int(unit));
            if (code == 0)
                return false;
            if (!utf16 || code < 0xD800 || code > 0xDFFF)
                continue;
            const bool paired = code < 0xDC00 && i + 1 < count
                && (bigEndian(m_bytes, first + (i + 1) * unit, 2) & 0xFC00) == 0xDC00;
            if (!paired)
                return false;
            ++i;
        }
        return true;
    }

    const QByteArray &m_bytes;
    int m_offsetWidth = 0;
    int m_referenceWidth = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_top = 0;
    std::uint64_t m_offsets = 0;
};

// Heights never exceed the depth limit, far below these marks.
constexpr std::uint16_t kUnknown = UINT16_MAX;
constexpr std::uint16_t kOpen = UINT16_MAX - 1;

// A container being walked: its references and what its finished children added up to.
struct Frame {
    std::uint64_t object;
    std::uint64_t first;
    std::uint64_t entries;
    std::uint64_t next = 0;
    std::uint64_t height = 0;   // containers below it on its deepest path
    std::uint64_t expanded = 1; // values in its tree, itself included
};

} // namespace

bool binaryPropertyListWithinLimits(const QByteArray &bytes, int maximumDepth)
{
    const std::optional<ObjectTable> table = ObjectTable::of(bytes);
    if (!table || maximumDepth < 0 || maximumDepth >= kOpen)
        return false;
    const std::uint64_t limit = std::min<std::uint64_t>(std::uint64_t(bytes.size()), UINT32_MAX);
    // Per object, once its subtree is walked: its height and its expanded size.
    std::vector<std::uint16_t> height(table->count(), kUnknown);
    std::vector<std::uint32_t> expanded(table->count(), 0);
    std::vector<Frame> path;

    // Opens an object met at the given depth; false when that breaks a limit.
    const auto enter = [&](std::uint64_t object) {
        const auto refs = table->references(object);
        if (!refs || std::uint64_t(path.size()) > std::uint64_t(maximumDepth))
            return false;
        height[object] = kOpen;
        path.push_back(Frame{object, refs->first, refs->second});
        return true;
    };
    if (!enter(table->top()))
        return false;
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next < frame.entries) {
            const std::uint64_t child = table->reference(frame.first, frame.next++);
            if (child >= table->count() || height[child] == kOpen)
                return false; // out of the table, or a container inside itself
            if (height[child] == kUnknown) {
                if (!enter(child))
                    return false;
                continue;
            }
            if (path.size() + height[child] > std::uint64_t(maximumDepth))
                return false;
            frame.height = std::max(frame.height, std::uint64_t(height[child]) + 1);
            frame.expanded += expanded[child];
        } else {
            const Frame done = frame;
            path.pop_back();
            height[done.object] = std::uint16_t(done.height);
            expanded[done.object] = std::uint32_t(done.expanded);
            if (!path.empty()) {
                path.back().height = std::max(path.back().height, done.height + 1);
                path.back().expanded += done.expanded;
            }
        }
        if (!path.empty() && path.back().expanded > limit)
            return false;
    }
    return true;
}
