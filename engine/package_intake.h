#pragma once
// Which dropped items Veristamp inspects: decided by the file extension
// alone, in any letter case. Whether the item exists or is what its
// extension says is left to the inspection's tools.

#include "engine/inspection_records.h"

#include <QUrl>

#include <optional>

// A package the intake took: its location in the one form everything after
// the intake uses, and its kind.
struct AcceptedPackage {
    QUrl location;
    PackageKind kind;
};

// "app" gives application, "dmg" gives diskImage; anything else, including
// no extension, is refused. A dropped folder's URL may end in a slash: the
// accepted location never does, so the tools, the names and the report's
// path all see the same path.
std::optional<AcceptedPackage> acceptPackage(const QUrl &location);
