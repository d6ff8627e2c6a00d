#pragma once
// A bundle's information dictionary, read as the platform's bundle service
// reads it: Contents/Info.plist, XML or binary.

#include <QUrl>
#include <QVariantMap>

#include <optional>

// The dictionary, or nothing when the bundle has none or it cannot be read.
std::optional<QVariantMap> bundleInfoDictionary(const QUrl &bundle);
