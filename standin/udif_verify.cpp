#include "udif_verify.h"

#include "seven_zip.h"
#include "udif_partitions.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The platform prints a partition's name in a 36-column field.
constexpr qsizetype kNameColumns = 36;
constexpr qsizetype kKeptLines = 16;
constexpr qsizetype kKeptLineLength = 200;

QByteArray quoted(const QString &text)
{
    return '"' + text.toUtf8() + '"';
}

// What 7zz reports when a test fails, in the few words the verdict takes.
QByteArray reasonOf(const QList<QByteArray> &lines, int status)
{
    static const std::array<std::pair<const char *, const char *>, 5> known{{
        {"CRC", "checksum mismatch"},
        {"Data Error", "data error"},
        {"Unexpected end", "image is truncated"},
        {"Headers Error", "damaged headers"},
        {"open the file as archive", "image not recognized"},
    }};
    for (const auto &[phrase, reason] : known) {
        for (const QByteArray &line : lines) {
            if (line.contains(phrase))
                return reason;
        }
    }
    if (!lines.isEmpty())
        return lines.first().toLower();
    return "7zz exit status " + QByteArray::number(status);
}

// 7zz's words under its WARNINGS:/ERRORS: headings and its ERROR: lines.
struct ProblemLines {
    QList<QByteArray> lines;
    bool inHeading = false;
    bool take(QByteArrayView line)
    {
        const QByteArray text = line.trimmed().first(std::min(line.trimmed().size(), kKeptLineLength)).toByteArray();
        if (text == "WARNINGS:" || text == "ERRORS:") {
            inHeading = true;
        } else if (text.isEmpty() || text.contains(" = ")) {
            inHeading = false;
        } else if ((inHeading || text.startsWith("ERROR:")) && lines.size() < kKeptLines) {
            lines.append(text);
        }
        return true;
    }
};

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

Outcome verifyUdifImage(const QString &imagePath, const UdifTrailer &trailer)
{
    const PartitionRead read = readUdifPartitions(imagePath, trailer);
    if (!read.problem.isEmpty())
        return invalidImage(imagePath, read.problem);
    ProblemLines problems;
    const SevenZipRun run = runSevenZip({QStringLiteral("t"), QStringLiteral("-bd"), QStringLiteral("-bsp0"),
                                         QStringLiteral("--"), imagePath},
                                        [&problems](QByteArrayView line, bool) { return problems.take(line); });
    if (!run.ran)
        return errorOutcome(1, "hdiutil: verify failed - " + run.problem);
    if (run.status != 0)
        return invalidImage(imagePath, reasonOf(problems.lines, run.status));
    return Outcome{0,
                   partitionLines(read.partitions) + "verified   " + checksumText(trailer.masterChecksum) + "\n" +
                       "hdiutil: verify: checksum of " + quoted(imagePath) + " is VALID\n",
                   QByteArray()};
}
