#include "udif_verify.h"

#include "seven_zip.h"
#include "seven_zip_problems.h"
#include "udif_partitions.h"

#include <QStringList>

namespace {

// The platform prints a partition's name in a 36-column field.
constexpr qsizetype kNameColumns = 36;
constexpr quint32 kCrc32 = 2;

// "CRC32 $0A1B2C3D", the way the platform names a checksum.
QByteArray checksumText(const codesig::UdifChecksum &checksum)
{
    const QByteArray value = QByteArray::number(checksum.value, 16).toUpper().rightJustified(8, '0');
    if (checksum.type == kCrc32)
        return "CRC32 $" + value;
    return "checksum type " + QByteArray::number(checksum.type) + " $" + value;
}

QByteArray layoutProblem(codesig::UdifLayout layout)
{
    switch (layout) {
    case codesig::UdifLayout::sound: break;
    case codesig::UdifLayout::unknownVersion: return "unknown trailer version";
    case codesig::UdifLayout::dataForkOutside: return "data fork outside the image";
    case codesig::UdifLayout::chunkTableOutside: return "chunk table outside the image";
    }
    return {};
}

QByteArray quoted(const QString &text)
{
    return '"' + text.toUtf8() + '"';
}

QByteArray partitionLines(const QList<UdifPartition> &partitions)
{
    QByteArray out;
    for (const UdifPartition &partition : partitions) {
        out += "Checksumming " + partition.name + "\xE2\x80\xA6\n";
        out += partition.name.left(kNameColumns).rightJustified(kNameColumns, ' ') + ": verified   " +
               checksumText(partition.checksum) + '\n';
    }
    return out;
}

} // namespace

Outcome invalidImage(const QString &imagePath, const QByteArray &reason)
{
    return errorOutcome(1, "hdiutil: verify: checksum of " + quoted(imagePath) + " is INVALID (" + reason + ")");
}

Outcome verifyUdifImage(const QString &imagePath, const codesig::UdifTrailer &trailer)
{
    if (trailer.layout != codesig::UdifLayout::sound)
        return invalidImage(imagePath, layoutProblem(trailer.layout));
    const PartitionRead read = readUdifPartitions(imagePath, trailer);
    if (!read.problem.isEmpty())
        return invalidImage(imagePath, read.problem);
    SevenZipProblems problems;
    const SevenZipRun run = runSevenZip({QStringLiteral("t"), QStringLiteral("-bd"), QStringLiteral("-bsp0"),
                                         QStringLiteral("--"), imagePath},
                                        [&problems](QByteArrayView line, bool) {
                                            problems.take(line);
                                            return true;
                                        });
    if (!run.ran)
        return errorOutcome(1, "hdiutil: verify failed - " + run.problem);
    if (run.status != 0)
        return invalidImage(imagePath, problems.reason(run.status));
    return Outcome{0,
                   partitionLines(read.partitions) + "verified   " + checksumText(trailer.masterChecksum) + "\n" +
                       "hdiutil: verify: checksum of " + quoted(imagePath) + " is VALID\n",
                   QByteArray()};
}
