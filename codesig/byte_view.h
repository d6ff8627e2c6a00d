#pragma once
// A read-only window on bytes that answers every read with a value or
// nothing: offsets and lengths from a file are hostile, so no read here can
// leave the window, and sums that would wrap are refused before they happen.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace codesig {

class ByteView {
public:
    ByteView() = default;
    ByteView(const unsigned char *data, std::size_t size) : m_data(data), m_size(size) {}
    explicit ByteView(const QByteArray &bytes)
        : m_data(reinterpret_cast<const unsigned char *>(bytes.constData())),
          m_size(static_cast<std::size_t>(bytes.size())) {}

    const unsigned char *data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    std::optional<ByteView> sub(std::uint64_t offset, std::uint64_t length) const
    {
        if (!contains(offset, length))
            return std::nullopt;
        return ByteView(m_data + offset, static_cast<std::size_t>(length));
    }
    std::optional<ByteView> from(std::uint64_t offset) const
    {
        if (offset > m_size)
            return std::nullopt;
        return sub(offset, m_size - offset);
    }

    std::optional<std::uint8_t> u8(std::uint64_t offset) const
    {
        if (!contains(offset, 1))
            return std::nullopt;
        return m_data[offset];
    }
    std::optional<std::uint32_t> be32(std::uint64_t offset) const { return read(offset, 4, true); }
    std::optional<std::uint32_t> le32(std::uint64_t offset) const { return read(offset, 4, false); }
    std::optional<std::uint64_t> be64(std::uint64_t offset) const { return read(offset, 8, true); }
    std::optional<std::uint64_t> le64(std::uint64_t offset) const { return read(offset, 8, false); }
    // 32-bit fields read into 64 bits, where they sit beside 64-bit ones.
    std::optional<std::uint64_t> be32Wide(std::uint64_t offset) const { return read(offset, 4, true); }
    std::optional<std::uint64_t> le32Wide(std::uint64_t offset) const { return read(offset, 4, false); }

    // A NUL-terminated string starting at offset, which must end inside the window.
    std::optional<QString> cString(std::uint64_t offset) const
    {
        if (offset >= m_size)
            return std::nullopt;
        for (std::size_t end = static_cast<std::size_t>(offset); end < m_size; ++end)
            if (m_data[end] == 0)
                return QString::fromUtf8(reinterpret_cast<const char *>(m_data + offset),
                                         static_cast<qsizetype>(end - offset));
        return std::nullopt;
    }

    QByteArray toByteArray() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_data), static_cast<qsizetype>(m_size));
    }
    bool isAllZero() const
    {
        for (std::size_t i = 0; i < m_size; ++i)
            if (m_data[i] != 0)
                return false;
        return true;
    }

private:
    std::optional<std::uint64_t> read(std::uint64_t offset, int width, bool bigEndian) const
    {
        if (!contains(offset, static_cast<std::uint64_t>(width)))
            return std::nullopt;
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            value = (value << 8) | m_data[offset + static_cast<std::uint64_t>(index)];
        }
        return value;
    }

    const unsigned char *m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace codesig
