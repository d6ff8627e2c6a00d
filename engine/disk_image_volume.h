#pragma once
// Attaching a disk image read-only, listing the apps at the top of its
// volume, and detaching it again.

#include "engine/inspection_records.h"
#include "engine/release_tools.h"

#include <QList>
#include <QUrl>

#include <optional>

// Where an attached image's volume is, or why it is not known to be attached.
struct DiskImageMount {
    std::optional<QUrl> mountPoint;
    QString message;
};

// H2, and the mount point read from its property list.
DiskImageMount mountDiskImage(const QUrl &image, const ReleaseTools &tools);

// The entries directly inside the volume whose extension is "app" in any
// letter case, hidden ones skipped, in the file manager's order.
QList<QUrl> findApplicationBundles(const QUrl &mountPoint);

// H3, once.
Program::TextResult detachDiskImage(const QUrl &mountPoint, const ReleaseTools &tools);
