#include "seven_zip_problems.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {
constexpr qsizetype kKeptLines = 16;
constexpr qsizetype kKeptLineLength = 200;
} // namespace

void SevenZipProblems::take(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    const QByteArray text = trimmed.first(std::min(trimmed.size(), kKeptLineLength)).toByteArray();
    if (text == "WARNINGS:" || text == "ERRORS:")
        m_inHeading = true;
    else if (text.isEmpty() || text.contains(" = "))
        m_inHeading = false;
    else if ((m_inHeading || text.startsWith("ERROR:")) && m_lines.size() < kKeptLines)
        m_lines.append(text);
}

QByteArray SevenZipProblems::reason(int status) const
{
    static const std::array<std::pair<const char *, const char *>, 6> known{{
        {"CRC", "checksum mismatch"},
        {"Data Error", "data error"},
        {"Unexpected end", "image is truncated"},
        {"Headers Error", "damaged headers"},
        {"open the file as archive", "image not recognized"},
        {"File too large", "a file exceeds the size limit"},
    }};
    for (const auto &[phrase, words] : known) {
        for (const QByteArray &line : m_lines) {
            if (line.contains(phrase))
                return words;
        }
    }
    if (!m_lines.isEmpty())
        return m_lines.first().toLower();
    return "7zz exit status " + QByteArray::number(status);
}
