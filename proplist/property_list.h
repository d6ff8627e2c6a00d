#pragma once
// Property lists in the formats the platform accepts (XML and binary), as Qt
// values: a dictionary is a QVariantMap, an array a QVariantList, text a
// QString, a boolean a bool, an integer a qint64 (a quint64 beyond its range),
// a real a double, data a QByteArray and a date a QDateTime. Callers test the
// type of each value they read; a value of the wrong type counts as absent.
// Nesting deeper than 256 containers is refused, whatever the form.

#include "proplist/flat_dictionary.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>

#include <optional>

// The root value, or nothing when the bytes are not a readable property list.
std::optional<QVariant> parsePropertyList(const QByteArray &bytes);

// The same, except that a root dictionary keeps only the given keys: the rest
// is read and judged, not kept, so a huge list costs no memory for values
// nobody asks for.
std::optional<QVariant> parsePropertyListKeepingKeys(const QByteArray &bytes, const QStringList &rootKeys);

// The root dictionary of a property list given as text (as a tool printed
// it): what parsePropertyList reads from the text's UTF-8 bytes, except that
// the bytes are encoded as they are read and the dictionary is kept flat, so
// neither costs memory in proportion to a huge list. Nothing when the bytes
// are no readable property list or its root is no dictionary.
std::optional<FlatDictionary> parseRootDictionary(QStringView text);

// The text value, or nothing when the variant holds anything else.
std::optional<QString> textValue(const QVariant &value);
