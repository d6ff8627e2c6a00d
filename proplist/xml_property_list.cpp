#include "proplist/xml_property_list.h"

#include "proplist/utf8_text_device.h"

#include <QBuffer>
#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <QXmlStreamReader>

#include <utility>
#include <vector>

namespace {

enum class Tag { plist, dict, array, key, string, yes, no, integer, real, date, data, unknown };

Tag tagOf(QStringView name)
{
    static const std::pair<QStringView, Tag> tags[] = {
        {u"plist", Tag::plist},     {u"dict", Tag::dict}, {u"array", Tag::array}, {u"key", Tag::key},
        {u"string", Tag::string},   {u"true", Tag::yes},  {u"false", Tag::no},    {u"integer", Tag::integer},
        {u"real", Tag::real},       {u"date", Tag::date}, {u"data", Tag::data},
    };
    for (const auto &[text, tag] : tags) {
        if (name == text)
            return tag;
    }
    return Tag::unknown;
}

std::optional<QVariant> integerOf(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 0);
    if (ok)
        return QVariant(value);
    const quint64 large = text.trimmed().toULongLong(&ok, 0);
    return ok ? std::optional<QVariant>(QVariant(large)) : std::nullopt;
}

// A value held in a single element, from its text.
std::optional<QVariant> scalarOf(Tag tag, const QString &text)
{
    switch (tag) {
    case Tag::string: return QVariant(text);
    case Tag::yes:
    case Tag::no:
        if (!text.trimmed().isEmpty())
            return std::nullopt;
        return QVariant(tag == Tag::yes);
    case Tag::integer: return integerOf(text);
    case Tag::real: {
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        return ok ? std::optional<QVariant>(QVariant(value)) : std::nullopt;
    }
    case Tag::date: {
        const QDateTime value = QDateTime::fromString(text.trimmed(), Qt::ISODate);
        return value.isValid() ? std::optional<QVariant>(QVariant(value)) : std::nullopt;
    }
    case Tag::data: return QVariant(QByteArray::fromBase64(text.toLatin1()));
    default: return std::nullopt;
    }
}

// A dictionary or array whose closing tag is still to come.
struct OpenContainer {
    bool isDictionary = false;
    bool kept = true; // false: read and judged, its values dropped
    QVariantMap dictionary;
    QVariantList array;
    std::optional<QString> key; // read, its value not yet
};

class Reader {
public:
    // Read through a device, the text is decoded a block at a time rather than whole.
    Reader(const QByteArray &bytes, qsizetype start, int maximumDepth, const QStringList *rootKeys)
        : m_maximumDepth(maximumDepth), m_rootKeys(rootKeys)
    {
        m_bytes.setData(bytes);
        m_bytes.open(QIODevice::ReadOnly);
        m_bytes.seek(start);
        m_xml.setDevice(&m_bytes);
    }
    // The members of a root dictionary go to `flat` rather than into a map.
    Reader(QIODevice *device, int maximumDepth, FlatDictionary *flat)
        : m_maximumDepth(maximumDepth), m_rootKeys(nullptr), m_flat(flat)
    {
        m_xml.setDevice(device);
    }

    std::optional<QVariant> read()
    {
        while (!m_failed && !m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement: startElement(); break;
            case QXmlStreamReader::EndElement: endElement(); break;
            case QXmlStreamReader::Characters: m_failed = !m_xml.isWhitespace(); break;
            // An entity the document never declared.
            case QXmlStreamReader::EntityReference: m_failed = true; break;
            default: break; // declaration, document type, comments, processing instructions
            }
        }
        if (m_failed || m_xml.hasError() || !m_root || !m_open.empty())
            return std::nullopt;
        return std::move(m_root);
    }

private:
    void startElement()
    {
        const Tag tag = tagOf(m_xml.name());
        if (tag == Tag::plist) {
            m_failed = m_sawPlist || m_root || !m_open.empty();
            m_sawPlist = true;
            return;
        }
        OpenContainer *top = m_open.empty() ? nullptr : &m_open.back();
        const bool wantsKey = top && top->isDictionary && !top->key;
        // The value's depth is the number of containers around it.
        if (m_root || wantsKey != (tag == Tag::key) || int(m_open.size()) > m_maximumDepth) {
            m_failed = true;
            return;
        }
        if (tag == Tag::dict || tag == Tag::array) {
            m_open.push_back(OpenContainer{tag == Tag::dict, keepsNextValue(), {}, {}, std::nullopt});
            return;
        }
        const std::optional<QString> text = elementText();
        if (!text) {
            m_failed = true;
        } else if (tag == Tag::key) {
            top->key = *text;
        } else if (std::optional<QVariant> value = scalarOf(tag, *text)) {
            place(std::move(*value), keepsNextValue());
        } else {
            m_failed = true;
        }
    }

    // The text up to the end of the current element, which holds no other
    // element. The reader leaves an entity it cannot resolve (one declared in
    // an external document type) out of the text; here it makes an error.
    std::optional<QString> elementText()
    {
        QString text;
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::Characters: text += m_xml.text(); break;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction: break;
            case QXmlStreamReader::EndElement: return text;
            default: return std::nullopt;
            }
        }
    }

    // Elements other than plist, dict and array end inside elementText.
    void endElement()
    {
        if (tagOf(m_xml.name()) == Tag::plist)
            return;
        OpenContainer closing = std::move(m_open.back());
        m_open.pop_back();
        if (closing.key) {
            m_failed = true; // a key without its value
            return;
        }
        place(closing.isDictionary ? QVariant(std::move(closing.dictionary)) : QVariant(std::move(closing.array)),
              closing.kept);
    }

    // Whether the value about to be read goes into its container.
    bool keepsNextValue() const
    {
        if (m_open.empty())
            return true;
        const OpenContainer &top = m_open.back();
        if (!top.kept)
            return false;
        const bool inRootDictionary = m_open.size() == 1 && top.isDictionary;
        return !m_rootKeys || !inRootDictionary || m_rootKeys->contains(*top.key);
    }

    void place(QVariant value, bool kept)
    {
        if (m_open.empty()) {
            m_root = std::move(value);
            return;
        }
        OpenContainer &top = m_open.back();
        if (kept && top.isDictionary && m_flat && m_open.size() == 1)
            m_flat->append(*top.key, std::move(value));
        else if (kept && top.isDictionary)
            top.dictionary.insert(*top.key, std::move(value));
        else if (kept)
            top.array.append(std::move(value));
        top.key.reset();
    }

    QBuffer m_bytes;
    QXmlStreamReader m_xml;
    const int m_maximumDepth;
    const QStringList *m_rootKeys;
    FlatDictionary *m_flat = nullptr;
    std::vector<OpenContainer> m_open;
    std::optional<QVariant> m_root;
    bool m_sawPlist = false;
    bool m_failed = false;
};

// White space before the XML declaration is tolerated, as the platform's reader does.
template <typename Text>
qsizetype documentStart(const Text &text)
{
    qsizetype start = 0;
    const auto blank = [](auto c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (start < text.size() && blank(text[start]))
        ++start;
    return start == text.size() || text[start] != '<' ? 0 : start;
}

} // namespace

std::optional<QVariant> parseXmlPropertyList(const QByteArray &bytes, int maximumDepth, const QStringList *rootKeys)
{
    return Reader(bytes, documentStart(bytes), maximumDepth, rootKeys).read();
}

std::optional<FlatDictionary> parseXmlRootDictionary(QStringView text, int maximumDepth)
{
    Utf8TextDevice bytes(text.sliced(documentStart(text)));
    FlatDictionary flat;
    const std::optional<QVariant> root = Reader(&bytes, maximumDepth, &flat).read();
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return flat;
}
