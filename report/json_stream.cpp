#include "report/json_stream.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

void JsonStream::indent(qsizetype level)
{
    static const QByteArray spaces(64, ' ');
    for (qsizetype remaining = 4 * level; remaining > 0; remaining -= spaces.size())
        m_out.raw(spaces.left(std::min(remaining, spaces.size())));
}

void JsonStream::beforeValue()
{
    if (m_keyWritten || m_levels.isEmpty()) {
        m_keyWritten = false;
        return;
    }
    Level &level = m_levels.last();
    m_out.raw(level.count++ > 0 ? ",\n" : "");
    indent(m_levels.size());
}

void JsonStream::key(QStringView name)
{
    Level &level = m_levels.last();
    m_out.raw(level.count++ > 0 ? ",\n" : "");
    indent(m_levels.size());
    m_out.raw("\"");
    m_out.jsonText(name);
    m_out.raw("\": ");
    m_keyWritten = true;
}

void JsonStream::begin(char bracket)
{
    beforeValue();
    m_out.raw(QByteArray(1, bracket) + '\n');
    m_levels.append(Level{bracket == '['});
}

void JsonStream::end(char bracket)
{
    if (m_levels.last().count > 0)
        m_out.raw("\n");
    m_levels.removeLast();
    indent(m_levels.size());
    m_out.raw(QByteArray(1, bracket));
    if (m_levels.isEmpty())
        m_out.raw("\n");
}

void JsonStream::string(QStringView text)
{
    beforeValue();
    m_out.raw("\"");
    m_out.jsonText(text);
    m_out.raw("\"");
}

void JsonStream::null()
{
    beforeValue();
    m_out.raw("null");
}

void JsonStream::boolean(bool value)
{
    beforeValue();
    m_out.raw(value ? "true" : "false");
}

void JsonStream::integer(qint64 value)
{
    beforeValue();
    m_out.raw(QByteArray::number(value));
}

void JsonStream::number(double value)
{
    beforeValue();
    m_out.raw(std::isfinite(value) ? QByteArray::number(value, 'g', QLocale::FloatingPointShortest) : QByteArray("null"));
}

void JsonStream::optionalString(const std::optional<QString> &text)
{
    if (text)
        string(*text);
    else
        null();
}

bool jsonKeyLess(const QString &a, const QString &b)
{
    const QList<uint> left = a.toUcs4();
    const QList<uint> right = b.toUcs4();
    return std::lexicographical_compare(left.cbegin(), left.cend(), right.cbegin(), right.cend());
}

void writeObject(JsonStream &json, QList<JsonMember> members)
{
    std::sort(members.begin(), members.end(), [](const JsonMember &a, const JsonMember &b) { return jsonKeyLess(a.key, b.key); });
    json.beginObject();
    for (const JsonMember &member : members) {
        json.key(member.key);
        member.value(json);
    }
    json.endObject();
}
