#include "udif_trailer.h"

#include <QFile>

namespace {

constexpr qint64 kTrailerSize = 512;
constexpr quint32 kCrc32 = 2;
// The property list describes the chunk tables only; a few megabytes hold
// tens of thousands of chunks, so anything past this is not an honest image.
constexpr quint64 kMaxXmlLength = 16 * 1024 * 1024;

// An honest range [offset, offset + length) within the first `limit` bytes.
bool withinFile(quint64 offset, quint64 length, quint64 limit)
{
    return offset <= limit && length <= limit - offset;
}

UdifChecksum checksumAt(const char *field)
{
    return UdifChecksum{bigEndian32(field), bigEndian32(field + 8)};
}

TrailerRead damaged(const QByteArray &problem)
{
    return TrailerRead{TrailerState::damaged, {}, problem};
}

} // namespace

quint32 bigEndian32(const char *bytes)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<quint8>(bytes[i]);
    return value;
}

quint64 bigEndian64(const char *bytes)
{
    return (quint64(bigEndian32(bytes)) << 32) | bigEndian32(bytes + 4);
}

TrailerRead readUdifTrailer(const QString &imagePath)
{
    QFile file(imagePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kTrailerSize || !file.seek(file.size() - kTrailerSize))
        return {};
    const QByteArray raw = file.read(kTrailerSize);
    if (raw.size() != kTrailerSize || !raw.startsWith("koly"))
        return {};
    const char *k = raw.constData();
    if (bigEndian32(k + 4) != 4 || bigEndian32(k + 8) != kTrailerSize)
        return damaged("unknown trailer version");
    UdifTrailer t;
    t.fileSize = static_cast<quint64>(file.size());
    t.dataForkOffset = bigEndian64(k + 24);
    t.dataForkLength = bigEndian64(k + 32);
    t.dataChecksum = checksumAt(k + 80);
    t.xmlOffset = bigEndian64(k + 216);
    t.xmlLength = bigEndian64(k + 224);
    t.masterChecksum = checksumAt(k + 352);
    t.sectorCount = bigEndian64(k + 492);
    const quint64 body = t.fileSize - kTrailerSize;
    if (!withinFile(t.dataForkOffset, t.dataForkLength, body))
        return damaged("data fork outside the image");
    if (t.xmlLength == 0 || t.xmlLength > kMaxXmlLength || !withinFile(t.xmlOffset, t.xmlLength, body))
        return damaged("chunk table outside the image");
    return TrailerRead{TrailerState::found, t, {}};
}

QByteArray checksumText(const UdifChecksum &checksum)
{
    const QByteArray value = QByteArray::number(checksum.value, 16).toUpper().rightJustified(8, '0');
    if (checksum.type == kCrc32)
        return "CRC32 $" + value;
    return "checksum type " + QByteArray::number(checksum.type) + " $" + value;
}
