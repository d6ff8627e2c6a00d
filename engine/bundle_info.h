#pragma once
// A bundle's information dictionary, read as the platform's bundle service
// reads it: Contents/Info.plist, XML or binary.

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <optional>

// The dictionary, or nothing when the bundle has none or it cannot be read.
std::optional<QVariantMap> bundleInfoDictionary(const QUrl &bundle);

// The text under a key; nothing when there is no dictionary, no such key, or
// the value is not text (a version stored as a number counts as absent).
std::optional<QString> infoText(const std::optional<QVariantMap> &info, const QString &key);
