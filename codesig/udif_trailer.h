#pragma once
// The 512-byte trailer ("koly", big-endian) that ends every UDIF disk image:
// where the image's data fork, its XML property list and its code signature
// lie, and the checksums the image stores. The signature checks and the
// stand-in hdiutil both read it here, so no two parts of the program can take
// one image's trailer two ways.

#include "codesig/byte_view.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace codesig {

struct UdifChecksum {
    quint32 type = 0;  // 2: CRC32, the only kind the platform's images use today
    quint32 value = 0; // the first 32 bits of the stored checksum
};

// Whether the data fork and the property list can be trusted; the image's own
// tools read every chunk through them. A code signature depends on neither.
enum class UdifLayout { sound, unknownVersion, dataForkOutside, chunkTableOutside };

// Where the code signature lies: none (offset and length both zero), inside
// the bytes before the trailer, outside them, or inside but longer than any
// signature could honestly be.
enum class UdifSignatureExtent { none, inside, outside, oversized };

struct UdifTrailer {
    QByteArray bytes; // the 512 bytes as stored
    quint64 fileSize = 0;
    quint64 dataForkOffset = 0;
    quint64 dataForkLength = 0;
    quint64 xmlOffset = 0;
    quint64 xmlLength = 0;
    quint64 signatureOffset = 0;
    quint64 signatureLength = 0;
    quint64 sectorCount = 0;
    UdifChecksum dataChecksum;
    UdifChecksum masterChecksum;
    UdifLayout layout = UdifLayout::sound;
    UdifSignatureExtent signature = UdifSignatureExtent::none;
};

// nullopt when the last 512 bytes do not begin with "koly" (no UDIF image,
// or a cut-off one).
std::optional<UdifTrailer> readUdifTrailer(ByteView file);
std::optional<UdifTrailer> readUdifTrailer(const QString &imagePath);

// The trailer as the signature's rep-specific slot binds it: with the
// signature length zeroed, the one value not known when the digest was taken.
QByteArray signedUdifTrailer(const UdifTrailer &trailer);

} // namespace codesig
