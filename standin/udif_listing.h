#pragma once
// What 7zz lists in a UDIF image (`7zz l -slt`), read before anything is
// unpacked: the file system it found in the image, how much unpacking it
// would write, and whether every member stays inside the volume. 7zz names
// an HFS+ volume's root as one top folder (the volume's name); an APFS
// volume's members start at its root.

#include <QByteArray>
#include <QString>

enum class VolumeKind { none, hfs, apfs };

struct VolumeListing {
    VolumeKind kind = VolumeKind::none;
    QString topFolder;     // HFS+: the folder 7zz names after the volume
    quint64 totalSize = 0; // the members' sizes added up
    quint64 members = 0;
    bool listed = false;   // 7zz opened the image (exit status 0)
    QByteArray problem;    // why the volume must not be unpacked
};

// Stops reading (and 7zz) as soon as the listing passes the limits.
VolumeListing listUdifVolume(const QString &imagePath, quint64 sizeCeiling, quint64 memberCeiling);
