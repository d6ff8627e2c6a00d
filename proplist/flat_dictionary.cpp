#include "proplist/flat_dictionary.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kKeyBlockBytes = 64 * 1024;
}

void FlatDictionary::append(QStringView key, QVariant value)
{
    const QByteArray bytes = key.toUtf8();
    if (bytes.size() > m_blockFree) {
        const qsizetype size = std::max(kKeyBlockBytes, bytes.size());
        m_keyBlocks.emplace_back(new char[static_cast<size_t>(size)]);
        m_blockEnd = m_keyBlocks.back().get();
        m_blockFree = size;
    }
    if (!bytes.isEmpty())
        std::memcpy(m_blockEnd, bytes.constData(), static_cast<size_t>(bytes.size()));
    m_members.push_back(Member{QByteArrayView(m_blockEnd, bytes.size()), qsizetype(m_members.size()), std::move(value)});
    m_blockEnd += bytes.size();
    m_blockFree -= bytes.size();
}
