#include "report/text_stream.h"

namespace {

constexpr qsizetype kSpillAt = 64 * 1024;

char hexDigit(unsigned value) { return "0123456789abcdef"[value & 0xF]; }

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// The code point at `i` and how many units it takes; a lone surrogate is itself, one unit.
std::pair<char32_t, qsizetype> codePointAt(QStringView text, qsizetype i)
{
    const QChar unit = text.at(i);
    if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return {QChar::surrogateToUcs4(unit, text.at(i + 1)), 2};
    return {unit.unicode(), 1};
}

} // namespace

void TextStream::raw(const char *ascii)
{
    m_buffer.append(ascii);
    spill();
}

void TextStream::raw(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    spill();
}

void TextStream::utf8(char32_t c)
{
    if (c < 0x80) {
        m_buffer.append(char(c));
    } else if (c < 0x800) {
        m_buffer.append(char(0xC0 | (c >> 6)));
        m_buffer.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        m_buffer.append(char(0xE0 | (c >> 12)));
        m_buffer.append(char(0x80 | ((c >> 6) & 0x3F)));
        m_buffer.append(char(0x80 | (c & 0x3F)));
    } else {
        m_buffer.append(char(0xF0 | (c >> 18)));
        m_buffer.append(char(0x80 | ((c >> 12) & 0x3F)));
        m_buffer.append(char(0x80 | ((c >> 6) & 0x3F)));
        m_buffer.append(char(0x80 | (c & 0x3F)));
    }
}

void TextStream::jsonText(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const auto [code, units] = codePointAt(text, i);
        i += units;
        const bool loneSurrogate = code >= 0xD800 && code <= 0xDFFF;
        if (code == u'"' || code == u'\\') {
            m_buffer.append('\\').append(char(code));
        } else if (code < 0x20 || loneSurrogate) {
            static const char shortForms[] = "btn\0fr"; // 0x8 to 0xD; 0xB has none
            const char shortForm = code >= 0x8 && code <= 0xD ? shortForms[code - 0x8] : '\0';
            if (shortForm)
                m_buffer.append('\\').append(shortForm);
            else
                m_buffer.append("\\u").append(hexDigit(code >> 12)).append(hexDigit(code >> 8)).append(hexDigit(code >> 4)).append(hexDigit(code));
        } else {
            utf8(code);
        }
        if (m_buffer.size() >= kSpillAt)
            spill();
    }
    spill();
}

void TextStream::xmlText(QStringView text, bool attribute)
{
    for (qsizetype i = 0; i < text.size();) {
        auto [code, units] = codePointAt(text, i);
        i += units;
        if (!isXmlCharacter(code))
            code = 0xFFFD;
        switch (code) {
        case u'<': m_buffer.append("&lt;"); break;
        case u'>': m_buffer.append("&gt;"); break;
        case u'&': m_buffer.append("&amp;"); break;
        case u'"': m_buffer.append("&quot;"); break;
        case u'\t': m_buffer.append(attribute ? "&#9;" : "\t"); break;
        case u'\n': m_buffer.append(attribute ? "&#10;" : "\n"); break;
        case u'\r': m_buffer.append(attribute ? "&#13;" : "\r"); break;
        default: utf8(code);
        }
        if (m_buffer.size() >= kSpillAt)
            spill();
    }
    spill();
}

void TextStream::spill()
{
    if (m_buffer.size() >= kSpillAt)
        flush();
}

void TextStream::flush()
{
    if (m_buffer.isEmpty())
        return;
    if (m_ok && m_device->write(m_buffer) != m_buffer.size())
        m_ok = false;
    m_buffer.resize(0); // keeps its capacity for the next round
}
