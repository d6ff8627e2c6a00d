#include "codesig/disk_image_superblob.h"

#include <QFile>
#include <QtEndian>

namespace codesig {

namespace {

constexpr qint64 kTrailerSize = 512;
constexpr qint64 kSignatureOffsetField = 296; // after the XML plist's offset and length, and reserved room
constexpr qint64 kSignatureLengthField = 304;
// A signature holds a CodeDirectory, a CMS message and perhaps a ticket:
// a few hundred kilobytes at the very most.
constexpr quint64 kMaximumSignatureSize = 16 * 1024 * 1024;
constexpr quint32 kSuperBlobMagic = 0xfade0cc0;
constexpr int kSuperBlobHeaderSize = 12;
constexpr int kIndexEntrySize = 8;

template <typename T>
T bigEndianAt(const QByteArray &bytes, qint64 offset)
{
    return qFromBigEndian<T>(bytes.constData() + offset);
}

std::optional<QByteArray> readTrailer(QFile &file)
{
    if (!file.open(QIODevice::ReadOnly) || file.size() < kTrailerSize || !file.seek(file.size() - kTrailerSize))
        return std::nullopt;
    QByteArray trailer = file.read(kTrailerSize);
    if (trailer.size() != kTrailerSize || !trailer.startsWith("koly"))
        return std::nullopt;
    return trailer;
}

} // namespace

std::optional<QByteArray> readDiskImageSignature(const QString &path)
{
    QFile file(path);
    const std::optional<QByteArray> trailer = readTrailer(file);
    if (!trailer)
        return std::nullopt;
    const quint64 offset = bigEndianAt<quint64>(*trailer, kSignatureOffsetField);
    const quint64 length = bigEndianAt<quint64>(*trailer, kSignatureLengthField);
    const quint64 end = quint64(file.size() - kTrailerSize);
    if (length == 0 || length > kMaximumSignatureSize || offset > end || length > end - offset
        || !file.seek(qint64(offset)))
        return std::nullopt;
    QByteArray signature = file.read(qint64(length));
    if (signature.size() != qint64(length))
        return std::nullopt;
    return signature;
}

std::optional<QByteArray> superBlobSlot(const QByteArray &superBlob, quint32 slot)
{
    if (superBlob.size() < kSuperBlobHeaderSize || bigEndianAt<quint32>(superBlob, 0) != kSuperBlobMagic)
        return std::nullopt;
    const quint64 length = std::min<quint64>(bigEndianAt<quint32>(superBlob, 4), quint64(superBlob.size()));
    const quint64 count = bigEndianAt<quint32>(superBlob, 8);
    if (length < kSuperBlobHeaderSize || count > (length - kSuperBlobHeaderSize) / kIndexEntrySize)
        return std::nullopt;
    const auto typeAt = [&](quint64 i) { return bigEndianAt<quint32>(superBlob, qint64(kSuperBlobHeaderSize + i * kIndexEntrySize)); };
    const auto offsetAt = [&](quint64 i) { return quint64(bigEndianAt<quint32>(superBlob, qint64(kSuperBlobHeaderSize + i * kIndexEntrySize + 4))); };
    std::optional<quint64> start;
    for (quint64 i = 0; i < count && !start; ++i) {
        if (typeAt(i) == slot && offsetAt(i) < length)
            start = offsetAt(i);
    }
    if (!start)
        return std::nullopt;
    // The index gives no lengths: a blob ends where the next one begins.
    quint64 stop = length;
    for (quint64 i = 0; i < count; ++i) {
        if (offsetAt(i) > *start && offsetAt(i) < stop)
            stop = offsetAt(i);
    }
    return superBlob.mid(qint64(*start), qint64(stop - *start));
}

} // namespace codesig
