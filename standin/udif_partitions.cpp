#include "udif_partitions.h"

#include "proplist/property_list.h"

#include <QFile>
#include <QVariantMap>
#include <QtEndian>

namespace {

constexpr qsizetype kTableHeader = 204;
constexpr qsizetype kChunkSize = 40;
constexpr quint32 kLastChunk = 0xFFFFFFFFu;
constexpr quint32 kCommentChunk = 0x7FFFFFFEu;

using codesig::UdifTrailer;

quint32 bigEndian32(const char *bytes)
{
    return qFromBigEndian<quint32>(bytes);
}

quint64 bigEndian64(const char *bytes)
{
    return qFromBigEndian<quint64>(bytes);
}

bool fitsIn(quint64 offset, quint64 length, quint64 limit)
{
    return offset <= limit && length <= limit - offset;
}

// Every chunk maps sectors inside its partition to bytes inside the data fork.
QByteArray chunkProblem(const char *chunk, quint64 tableSectors, quint64 base, const UdifTrailer &trailer)
{
    const quint32 type = bigEndian32(chunk);
    if (type == kLastChunk || type == kCommentChunk)
        return {};
    if (!fitsIn(bigEndian64(chunk + 8), bigEndian64(chunk + 16), tableSectors))
        return "chunk outside its partition";
    const quint64 forkEnd = trailer.dataForkOffset + trailer.dataForkLength;
    const quint64 start = base + bigEndian64(chunk + 24);
    if (start < base || start < trailer.dataForkOffset || !fitsIn(start, bigEndian64(chunk + 32), forkEnd))
        return "chunk outside the data fork";
    return {};
}

QByteArray tableProblem(const QByteArray &table, const UdifTrailer &trailer)
{
    if (table.size() < kTableHeader || !table.startsWith("mish"))
        return "unreadable chunk table";
    const char *t = table.constData();
    const quint64 count = bigEndian32(t + 200);
    if (count != quint64(table.size() - kTableHeader) / kChunkSize || (table.size() - kTableHeader) % kChunkSize)
        return "chunk count disagrees with its table";
    if (!fitsIn(bigEndian64(t + 8), bigEndian64(t + 16), trailer.sectorCount))
        return "partition outside the image";
    const quint64 base = trailer.dataForkOffset + bigEndian64(t + 24);
    if (base < trailer.dataForkOffset)
        return "chunk outside the data fork";
    for (quint64 i = 0; i < count; ++i) {
        const QByteArray problem = chunkProblem(t + kTableHeader + i * kChunkSize, bigEndian64(t + 16), base, trailer);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

QByteArray textOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? value.toString().toUtf8() : QByteArray();
}

QByteArray dataOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

// One blkx entry: its table must be sound; its name is what verify prints.
bool readEntry(const QVariantMap &entry, const UdifTrailer &trailer, PartitionRead *read)
{
    const QByteArray table = dataOf(entry.value(QStringLiteral("Data")));
    read->problem = tableProblem(table, trailer);
    if (!read->problem.isEmpty())
        return false;
    QByteArray name = textOf(entry.value(QStringLiteral("CFName")));
    if (name.isEmpty())
        name = textOf(entry.value(QStringLiteral("Name")));
    read->partitions.append(UdifPartition{name, codesig::UdifChecksum{bigEndian32(table.constData() + 64),
                                                                      bigEndian32(table.constData() + 72)}});
    return true;
}

} // namespace

PartitionRead readUdifPartitions(const QString &imagePath, const UdifTrailer &trailer)
{
    PartitionRead read;
    QFile file(imagePath);
    QByteArray xml;
    if (file.open(QIODevice::ReadOnly) && file.seek(static_cast<qint64>(trailer.xmlOffset)))
        xml = file.read(static_cast<qint64>(trailer.xmlLength));
    // The hardened reader: a resource list nested thousands deep is refused, not followed.
    std::optional<QVariant> root;
    if (xml.size() == static_cast<qsizetype>(trailer.xmlLength))
        root = parsePropertyList(xml);
    const QVariant fork = root.value_or(QVariant()).toMap().value(QStringLiteral("resource-fork"));
    const QVariant blkx = fork.toMap().value(QStringLiteral("blkx"));
    if (blkx.typeId() != QMetaType::QVariantList || blkx.toList().isEmpty()) {
        read.problem = "no chunk tables";
        return read;
    }
    for (const QVariant &entry : blkx.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap) {
            read.problem = "unreadable chunk table";
            return read;
        }
        if (!readEntry(entry.toMap(), trailer, &read))
            return read;
    }
    return read;
}
