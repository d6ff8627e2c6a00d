#pragma once
// The XML form of a property list, read in one pass without recursion, so
// neither nesting depth nor size can exhaust the stack, and a dictionary of a
// million keys reads in linear time. Values are built as parsePropertyList
// describes them.

#include "proplist/flat_dictionary.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>

#include <optional>

// The root value, or nothing when the document is not a well-formed property
// list or holds a value nested deeper than maximumDepth containers (the root
// is at depth 0). The encoding is taken from a byte-order mark or the XML
// declaration, UTF-8 by default. With rootKeys, a root dictionary keeps only
// those keys: everything else is read and judged, but not kept.
std::optional<QVariant> parseXmlPropertyList(const QByteArray &bytes, int maximumDepth,
                                             const QStringList *rootKeys = nullptr);

// The same document given as text, read from its UTF-8 bytes as
// parseXmlPropertyList reads them, encoded as they are read; its root
// dictionary flat, or nothing when the root is no dictionary.
std::optional<FlatDictionary> parseXmlRootDictionary(QStringView text, int maximumDepth);
