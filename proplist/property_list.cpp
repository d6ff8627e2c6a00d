#include "proplist/property_list.h"

#include "proplist/binary_property_list_scan.h"
#include "proplist/xml_property_list.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

QString takeString(char *text)
{
    QString value = QString::fromUtf8(text);
    std::free(text);
    return value;
}

// Deeper nesting is refused as unreadable: a crafted signature or image must
// not exhaust the inspecting thread's stack in the binary parser or here.
constexpr int kMaximumDepth = 256;

QVariant toVariant(plist_t node, int depth, bool &tooDeep)
{
    if (depth > kMaximumDepth) {
        tooDeep = true;
        return QVariant();
    }
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key)
                break;
            map.insert(takeString(key), toVariant(value, depth + 1, tooDeep));
        }
        std::free(iter);
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i)
            list << toVariant(plist_array_get_item(node, i), depth + 1, tooDeep);
        return list;
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char *text = nullptr;
        plist_get_string_val(node, &text);
        return takeString(text);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<qint64>(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes, static_cast<qsizetype>(length));
        std::free(bytes);
        return data;
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        // Property list dates count from 2001-01-01 00:00:00 UTC.
        static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        return epoch.addMSecs(qint64(seconds) * 1000 + microseconds / 1000);
    }
    default:
        return QVariant();
    }
}

// libplist reads the binary form, recursively; its XML reader takes time
// quadratic in the keys of a dictionary, so the XML form is read here.
std::optional<QVariant> parse(const QByteArray &bytes, const QStringList *rootKeys)
{
    if (!bytes.startsWith("bplist00"))
        return parseXmlPropertyList(bytes, kMaximumDepth, rootKeys);
    if (bytes.size() > std::numeric_limits<uint32_t>::max() || !binaryPropertyListWithinLimits(bytes, kMaximumDepth))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_bin(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root)
        return std::nullopt;
    PlistPtr owner(root);
    bool tooDeep = false;
    QVariant value = toVariant(root, 0, tooDeep);
    if (tooDeep)
        return std::nullopt;
    if (rootKeys && value.typeId() == QMetaType::QVariantMap) {
        QVariantMap kept;
        const QVariantMap all = value.toMap();
        for (const QString &key : *rootKeys) {
            if (all.contains(key))
                kept.insert(key, all.value(key));
        }
        return kept;
    }
    return value;
}

} // namespace

std::optional<QVariant> parsePropertyList(const QByteArray &bytes)
{
    return parse(bytes, nullptr);
}

std::optional<QVariant> parsePropertyListKeepingKeys(const QByteArray &bytes, const QStringList &rootKeys)
{
    return parse(bytes, &rootKeys);
}

std::optional<FlatDictionary> parseRootDictionary(QStringView text)
{
    if (!text.startsWith(QLatin1StringView("bplist00")))
        return parseXmlRootDictionary(text, kMaximumDepth);
    const std::optional<QVariant> root = parse(text.toUtf8(), nullptr);
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    FlatDictionary flat;
    const QVariantMap map = root->toMap();
    for (auto member = map.cbegin(); member != map.cend(); ++member)
        flat.append(member.key(), member.value());
    return flat;
}

std::optional<QString> textValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}
