#pragma once
// The 512-byte trailer ("koly") that ends every UDIF disk image made on a Mac:
// where the image's data fork and its XML property list lie, and the
// checksums the platform prints when it verifies the image. All big-endian.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

struct UdifChecksum {
    quint32 type = 0;  // 2: CRC32, the only kind the platform's images use today
    quint32 value = 0; // the first 32 bits of the stored checksum
};

struct UdifTrailer {
    quint64 fileSize = 0;
    quint64 dataForkOffset = 0;
    quint64 dataForkLength = 0;
    quint64 xmlOffset = 0;
    quint64 xmlLength = 0;
    quint64 sectorCount = 0;
    UdifChecksum dataChecksum;
    UdifChecksum masterChecksum;
};

enum class TrailerState { found, absent, damaged };

struct TrailerRead {
    TrailerState state = TrailerState::absent;
    UdifTrailer trailer;
    QByteArray problem; // why a trailer that is there cannot be trusted
};

// Reads the last 512 bytes of the file. `absent`: no "koly" there (not a
// UDIF image, or a cut-off one); `damaged`: the signature is there but its
// fields point outside the file or disagree with each other.
TrailerRead readUdifTrailer(const QString &imagePath);

// "CRC32 $0A1B2C3D", the way the platform names a checksum.
QByteArray checksumText(const UdifChecksum &checksum);

// Big-endian fields of the image's own structures.
quint32 bigEndian32(const char *bytes);
quint64 bigEndian64(const char *bytes);
