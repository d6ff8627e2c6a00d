#pragma once
// The code signature of a UDIF disk image: the image ends in a 512-byte
// "koly" trailer (big-endian) whose fields give the offset and length of a
// signature SuperBlob stored inside the file.

#include <QByteArray>
#include <QString>

#include <optional>

namespace codesig {

// The image's signature SuperBlob, or nothing when the file is no UDIF image,
// carries no signature, or its trailer points outside the file or gives a
// length no signature could have.
std::optional<QByteArray> readDiskImageSignature(const QString &path);

// The blob stored at slot in a SuperBlob (magic 0xfade0cc0), up to the next
// blob or the SuperBlob's end; nothing when there is none or the SuperBlob's
// index is one the embedded signature's reader refuses.
std::optional<QByteArray> superBlobSlot(const QByteArray &superBlob, quint32 slot);

} // namespace codesig
