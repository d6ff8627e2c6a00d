#pragma once
// Stand-in disk images: POSIX tar archives whose member volume/ holds the
// volume's tree and whose member _ReleaseToolRecords/ holds recorded tool
// responses. Read through libarchive; nothing here knows about the tools.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

enum class ImageState { intact, notRecognised, damaged };

struct ImageScan {
    ImageState state = ImageState::intact;
    QByteArray problem;                  // libarchive's words, in lower case, when damaged
    int memberCount = 0;
    QHash<QString, QByteArray> records;  // the files of _ReleaseToolRecords/, by file name
    QStringList oversizeRecords;         // record files past kLargestRecordFile, left unread
};

// No record file is read past this size: a sparse member claims any size it likes.
constexpr qint64 kLargestRecordFile = qint64(16) << 20;

// Reads every header and every byte of the archive, so that a bad header
// checksum or a cut-off archive shows, and collects the record files on the
// way, those of a sane size only.
ImageScan scanImage(const QString &imagePath);

// Unpacks volume/ into an existing empty folder. Refuses, and stops at, any
// member with an absolute path or a ".." component, any hard link to a place
// outside the volume, and anything that would be written through a symbolic
// link; symbolic links themselves are kept as they are, like on a real volume.
// The member named `skipped` (relative to the volume) is left out. Gives up,
// as "interrupted", as soon as `interrupted` says so: it is asked before each
// member and each block of data.
bool unpackVolume(const QString &imagePath, const QString &folder, const QString &skipped, QByteArray *problem,
                  const std::function<bool()> &interrupted);
