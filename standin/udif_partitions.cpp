#include "udif_partitions.h"

#include <QFile>
#include <QtEndian>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr qsizetype kTableHeader = 204;
constexpr qsizetype kChunkSize = 40;
constexpr quint32 kLastChunk = 0xFFFFFFFFu;
constexpr quint32 kCommentChunk = 0x7FFFFFFEu;

struct PlistFree {
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};

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

QByteArray textOf(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return {};
    char *text = nullptr;
    plist_get_string_val(node, &text);
    const QByteArray value(text);
    std::free(text);
    return value;
}

QByteArray dataOf(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_DATA)
        return {};
    char *bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    const QByteArray value(bytes, static_cast<qsizetype>(length));
    std::free(bytes);
    return value;
}

// One blkx entry: its table must be sound; its name is what verify prints.
bool readEntry(plist_t entry, const UdifTrailer &trailer, PartitionRead *read)
{
    const QByteArray table = dataOf(plist_dict_get_item(entry, "Data"));
    read->problem = tableProblem(table, trailer);
    if (!read->problem.isEmpty())
        return false;
    QByteArray name = textOf(plist_dict_get_item(entry, "CFName"));
    if (name.isEmpty())
        name = textOf(plist_dict_get_item(entry, "Name"));
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
    plist_t root = nullptr;
    if (xml.size() == static_cast<qsizetype>(trailer.xmlLength))
        plist_from_xml(xml.constData(), static_cast<uint32_t>(xml.size()), &root);
    const std::unique_ptr<void, PlistFree> owner(root);
    plist_t fork = root && plist_get_node_type(root) == PLIST_DICT ? plist_dict_get_item(root, "resource-fork") : nullptr;
    plist_t blkx = fork && plist_get_node_type(fork) == PLIST_DICT ? plist_dict_get_item(fork, "blkx") : nullptr;
    if (!blkx || plist_get_node_type(blkx) != PLIST_ARRAY || plist_array_get_size(blkx) == 0) {
        read.problem = "no chunk tables";
        return read;
    }
    for (uint32_t i = 0; i < plist_array_get_size(blkx); ++i) {
        plist_t entry = plist_array_get_item(blkx, i);
        if (plist_get_node_type(entry) != PLIST_DICT) {
            read.problem = "unreadable chunk table";
            return read;
        }
        if (!readEntry(entry, trailer, &read))
            return read;
    }
    return read;
}
