#pragma once
// Which dropped items Veristamp inspects: decided by the file extension
// alone, in any letter case. Whether the item exists or is what its
// extension says is left to the inspection's tools.

#include "engine/inspection_records.h"

#include <QUrl>

#include <optional>

// "app" gives application, "dmg" gives diskImage; anything else, including
// no extension, is refused.
std::optional<PackageKind> acceptedPackageKind(const QUrl &location);
