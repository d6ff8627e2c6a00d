#include "proplist/utf8_text_device.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kBlockUnits = 16 * 1024;
}

Utf8TextDevice::Utf8TextDevice(QStringView text) : m_text(text)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 Utf8TextDevice::bytesAvailable() const
{
    // Only whether more is to come matters to a sequential reader.
    const qint64 more = m_encoded < m_text.size() ? 1 : 0;
    return m_block.size() - m_blockRead + more + QIODevice::bytesAvailable();
}

void Utf8TextDevice::encodeNextBlock()
{
    qsizetype end = std::min(m_text.size(), m_encoded + kBlockUnits);
    if (end < m_text.size() && m_text.at(end - 1).isHighSurrogate())
        --end;
    m_block = m_text.sliced(m_encoded, end - m_encoded).toUtf8();
    m_blockRead = 0;
    m_encoded = end;
}

qint64 Utf8TextDevice::readData(char *data, qint64 maxSize)
{
    qint64 copied = 0;
    while (copied < maxSize) {
        if (m_blockRead == m_block.size()) {
            if (m_encoded == m_text.size())
                break;
            encodeNextBlock();
        }
        const qsizetype count = std::min<qsizetype>(maxSize - copied, m_block.size() - m_blockRead);
        std::memcpy(data + copied, m_block.constData() + m_blockRead, static_cast<size_t>(count));
        m_blockRead += count;
        copied += count;
    }
    return copied;
}
