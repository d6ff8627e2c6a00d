#pragma once
// Attach for a UDIF image made on a Mac: 7zz unpacks the image's HFS+ or
// APFS volume into the attach's folder, so that the folder holds what the
// mounted volume would show at its root.
//
// Bounded before anything is written: 7zz's listing must add up to at most
// kVolumeSizeCeiling bytes (8 GiB) and to less than the free space where the
// folder lies, in at most kVolumeMemberCeiling members; and no file 7zz
// writes may grow past that ceiling, whatever the listing claimed.

#include "udif_listing.h"

#include <QByteArray>
#include <QString>

inline constexpr quint64 kVolumeSizeCeiling = quint64(8) << 30;
inline constexpr quint64 kVolumeMemberCeiling = 1000000;

struct VolumePlan {
    VolumeListing listing;
    QByteArray problem; // the attach's error text after "attach failed - "
};

// Reads 7zz's listing and says whether the volume may be unpacked.
VolumePlan planUdifVolume(const QString &imagePath);

// Unpacks into `folder` (existing, holding only the volume's marker). On
// failure the caller removes the folder.
bool unpackUdifVolume(const QString &imagePath, const VolumePlan &plan, const QString &folder, QByteArray *problem);
