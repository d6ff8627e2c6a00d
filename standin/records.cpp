#include "records.h"

#include "tar_image.h"

#include "contract/release_tool_contract.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char *const kSuffixes[] = {".status", ".stdout", ".stderr"};

// A record file too large to read turns its whole record into a refusal
// that names it, rather than into an answer the tool never gave.
RecordFiles refusing(RecordFiles files, const QStringList &oversize)
{
    for (const QString &name : oversize) {
        const QString stem = name.left(name.lastIndexOf(QLatin1Char('.')));
        files.remove(stem + QLatin1String(".stdout"));
        files.insert(stem + QLatin1String(".status"), "1");
        files.insert(stem + QLatin1String(".stderr"), "stand-in: the record file " + name.toUtf8() + " is larger than "
                                                          + QByteArray::number(kLargestRecordFile >> 20)
                                                          + " MiB and was not read\n");
    }
    return files;
}

RecordFiles bundleRecordFiles(const QString &bundlePath)
{
    RecordFiles files;
    QStringList oversize;
    const QDir folder(QDir(bundlePath).filePath(QStringLiteral("Contents/_ReleaseToolRecords")));
    for (const QFileInfo &info : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (file.size() > kLargestRecordFile)
            oversize << info.fileName();
        else
            files.insert(info.fileName(), file.read(kLargestRecordFile));
    }
    return refusing(std::move(files), oversize);
}

std::optional<int> parsedStatus(QByteArray text)
{
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const int status = text.toInt();
    return status <= 255 ? std::optional<int>(status) : std::nullopt;
}

} // namespace

RecordFiles recordFilesOf(const QString &packagePath)
{
    if (!recordedAnswersRequested())
        return {};
    const QFileInfo info(packagePath);
    if (info.isDir())
        return bundleRecordFiles(packagePath);
    if (info.isFile()) {
        const ImageScan scan = scanImage(packagePath);
        if (scan.state == ImageState::intact)
            return refusing(scan.records, scan.oversizeRecords);
    }
    return {};
}

std::optional<Record> recordOf(const RecordFiles &files, CallId id)
{
    const QString stem = callName(id);
    std::optional<QByteArray> parts[3];
    for (int i = 0; i < 3; ++i) {
        const auto found = files.constFind(stem + QLatin1String(kSuffixes[i]));
        if (found != files.constEnd())
            parts[i] = found.value();
    }
    if (!parts[0] && !parts[1] && !parts[2])
        return std::nullopt;
    return Record{parts[0], parts[1], parts[2]};
}

QByteArray substituted(const QByteArray &bytes, const Substitutions &substitutions)
{
    const QByteArrayView view(bytes);
    QByteArray result;
    result.reserve(bytes.size());
    qsizetype i = 0;
    while (i < view.size()) {
        const qsizetype at = bytes.indexOf('@', i); // every token starts with '@'
        if (at < 0) {
            result += view.sliced(i);
            break;
        }
        result += view.sliced(i, at - i);
        i = at;
        bool replaced = false;
        for (const auto &[token, replacement] : substitutions) {
            if (view.sliced(i).startsWith(token)) {
                result += replacement;
                i += token.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            result += view.at(i++);
    }
    return result;
}

Outcome replay(const Record &record, const QString &recordName, const Substitutions &substitutions)
{
    int status = 0;
    if (record.status) {
        const std::optional<int> parsed = parsedStatus(*record.status);
        if (!parsed)
            return errorOutcome(1, "stand-in: the record " + recordName.toUtf8() + ".status holds no exit status");
        status = *parsed;
    }
    return Outcome{status, substituted(record.out.value_or(QByteArray()), substitutions),
                   substituted(record.err.value_or(QByteArray()), substitutions)};
}
