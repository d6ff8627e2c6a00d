#include "codesig/udif_trailer.h"

#include <QFile>

namespace codesig {
namespace {

constexpr quint64 kTrailerSize = 512;
constexpr quint32 kVersion = 4;
constexpr quint64 kSignatureLengthField = 304;
// The property list describes the chunk tables only; a few megabytes hold
// tens of thousands of chunks, so anything past this is not an honest image.
constexpr quint64 kMaxXmlLength = 16 * 1024 * 1024;
// A signature holds a CodeDirectory, a CMS message and perhaps a ticket:
// a few hundred kilobytes at the very most.
constexpr quint64 kMaxSignatureLength = 16 * 1024 * 1024;

// An honest range [offset, offset + length) within the first `limit` bytes.
bool withinFile(quint64 offset, quint64 length, quint64 limit)
{
    return offset <= limit && length <= limit - offset;
}

UdifChecksum checksumAt(ByteView trailer, quint64 field)
{
    return UdifChecksum{*trailer.be32(field), *trailer.be32(field + 8)};
}

UdifLayout layoutOf(const UdifTrailer &t, ByteView trailer)
{
    if (*trailer.be32(4) != kVersion || *trailer.be32(8) != kTrailerSize)
        return UdifLayout::unknownVersion;
    const quint64 body = t.fileSize - kTrailerSize;
    if (!withinFile(t.dataForkOffset, t.dataForkLength, body))
        return UdifLayout::dataForkOutside;
    if (t.xmlLength == 0 || t.xmlLength > kMaxXmlLength || !withinFile(t.xmlOffset, t.xmlLength, body))
        return UdifLayout::chunkTableOutside;
    return UdifLayout::sound;
}

UdifSignatureExtent signatureOf(const UdifTrailer &t)
{
    if (t.signatureOffset == 0 && t.signatureLength == 0)
        return UdifSignatureExtent::none;
    if (!withinFile(t.signatureOffset, t.signatureLength, t.fileSize - kTrailerSize))
        return UdifSignatureExtent::outside;
    if (t.signatureLength > kMaxSignatureLength)
        return UdifSignatureExtent::oversized;
    return UdifSignatureExtent::inside;
}

std::optional<UdifTrailer> parse(ByteView trailer, quint64 fileSize)
{
    if (trailer.size() != kTrailerSize || *trailer.be32(0) != 0x6b6f6c79) // "koly"
        return std::nullopt;
    UdifTrailer t;
    t.bytes = trailer.toByteArray();
    t.fileSize = fileSize;
    t.dataForkOffset = *trailer.be64(24);
    t.dataForkLength = *trailer.be64(32);
    t.dataChecksum = checksumAt(trailer, 80);
    t.xmlOffset = *trailer.be64(216);
    t.xmlLength = *trailer.be64(224);
    t.signatureOffset = *trailer.be64(296);
    t.signatureLength = *trailer.be64(kSignatureLengthField);
    t.masterChecksum = checksumAt(trailer, 352);
    t.sectorCount = *trailer.be64(492);
    t.layout = layoutOf(t, trailer);
    t.signature = signatureOf(t);
    return t;
}

} // namespace

std::optional<UdifTrailer> readUdifTrailer(ByteView file)
{
    if (file.size() < kTrailerSize)
        return std::nullopt;
    return parse(*file.sub(file.size() - kTrailerSize, kTrailerSize), file.size());
}

std::optional<UdifTrailer> readUdifTrailer(const QString &imagePath)
{
    QFile file(imagePath);
    const qint64 size = qint64(kTrailerSize);
    if (!file.open(QIODevice::ReadOnly) || file.size() < size || !file.seek(file.size() - size))
        return std::nullopt;
    const QByteArray raw = file.read(size);
    return parse(ByteView(raw), quint64(file.size()));
}

QByteArray signedUdifTrailer(const UdifTrailer &trailer)
{
    QByteArray bytes = trailer.bytes;
    bytes.replace(qsizetype(kSignatureLengthField), 8, QByteArray(8, '\0'));
    return bytes;
}

} // namespace codesig
