#pragma once
// The folders that stand in for mounted volumes: direct children of
// <temp>/veristamp-volumes, each made new by one attach and carrying a marker
// file that names its device and its image. Detach removes only such folders.

#include <QByteArray>
#include <QString>

#include <optional>

struct AttachedVolume {
    QString mountPoint;
    QString device;    // "disk4": the name detach reports
    QString imagePath; // the image it was unpacked from
};

// The hidden marker's name, which no member of a volume may take.
QString markerName();

// A new folder named after the image (" 1", " 2", ... appended while the name
// is taken), created atomically so that parallel attaches never share one,
// with its marker already in place.
std::optional<AttachedVolume> createVolumeFolder(const QString &imagePath, QByteArray *problem);

// The volume attached at a path, when the path is one of the folders above.
std::optional<AttachedVolume> attachedVolumeAt(const QString &mountPoint);

// Removes the folder and everything in it, following no symbolic link,
// whatever names and permissions it holds (see volume_removal.h).
bool removeVolumeFolder(const QString &mountPoint);
