#include "tar_image.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kVolume = QStringLiteral("volume/");
const QString kRecords = QStringLiteral("_ReleaseToolRecords/");

struct ArchiveFree {
    void operator()(archive *a) const { archive_read_free(a); }
};
struct WriterFree {
    void operator()(archive *a) const { archive_write_free(a); }
};
using Reader = std::unique_ptr<archive, ArchiveFree>;
using Writer = std::unique_ptr<archive, WriterFree>;

Reader openImage(const QString &imagePath)
{
    Reader reader(archive_read_new());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(imagePath).constData(), 64 * 1024) != ARCHIVE_OK)
        return nullptr;
    return reader;
}

QByteArray wordsOf(archive *a)
{
    const char *text = archive_error_string(a);
    QByteArray words = text ? QByteArray(text) : QByteArray("unreadable image");
    if (!words.isEmpty())
        words[0] = static_cast<char>(QChar::toLower(static_cast<uint>(words[0])));
    return words;
}

// Tar writers may prefix member names with "./"; the members count the same.
QString memberName(archive_entry *entry)
{
    QString name = QFile::decodeName(archive_entry_pathname(entry));
    while (name.startsWith(QLatin1String("./")))
        name.remove(0, 2);
    return name;
}

bool isSafeRelative(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return !parts.contains(QStringLiteral(".."));
}

// libarchive tolerates an archive that simply stops at a member boundary;
// a tar writer always ends with at least two zero blocks, so their absence
// means the image was cut short.
bool endsWithZeroBlocks(const QString &imagePath)
{
    QFile file(imagePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 1024)
        return false;
    file.seek(file.size() - 1024);
    const QByteArray tail = file.read(1024);
    return tail.size() == 1024 && tail.count('\0') == 1024;
}

bool readWholeData(archive *a, QByteArray *data)
{
    const void *block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(a, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return true;
        if (status != ARCHIVE_OK)
            return false;
        if (data) {
            if (data->size() < offset) // a sparse member: its holes read as zeros
                data->append(QByteArray(offset - data->size(), '\0'));
            data->append(static_cast<const char *>(block), static_cast<qsizetype>(size));
        }
    }
}

// libarchive words a cut-off member in several ways; they all mean one thing here.
ImageScan damaged(QByteArray problem)
{
    if (problem.contains("truncated"))
        problem = "truncated tar archive";
    ImageScan scan;
    scan.state = ImageState::damaged;
    scan.problem = std::move(problem);
    return scan;
}

} // namespace

ImageScan scanImage(const QString &imagePath)
{
    ImageScan scan;
    Reader reader = openImage(imagePath);
    if (!reader) {
        scan.state = ImageState::notRecognised;
        return scan;
    }
    archive_entry *entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            if (scan.memberCount == 0) {
                scan.state = ImageState::notRecognised;
                return scan;
            }
            return damaged(wordsOf(reader.get()));
        }
        ++scan.memberCount;
        const QString name = memberName(entry);
        const bool isRecord = name.startsWith(kRecords) && archive_entry_filetype(entry) == AE_IFREG
                              && !name.mid(kRecords.size()).contains(QLatin1Char('/'));
        const bool oversize = isRecord && archive_entry_size(entry) > kLargestRecordFile;
        QByteArray data;
        if (!readWholeData(reader.get(), isRecord && !oversize ? &data : nullptr))
            return damaged(wordsOf(reader.get()));
        if (oversize)
            scan.oversizeRecords << name.mid(kRecords.size());
        else if (isRecord)
            scan.records.insert(name.mid(kRecords.size()), data);
    }
    if (scan.memberCount == 0) {
        scan.state = ImageState::notRecognised;
        return scan;
    }
    if (!endsWithZeroBlocks(imagePath))
        return damaged("truncated tar archive");
    return scan;
}

namespace {

// Rewrites a member of volume/ to its place relative to the volume folder, or
// says why it may not be unpacked. An empty relative path means "skip".
bool placeMember(archive_entry *entry, const QString &skipped, QString *relative, QByteArray *problem)
{
    const QString name = memberName(entry);
    relative->clear();
    if (!name.startsWith(kVolume))
        return true;
    QString path = name.mid(kVolume.size());
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty() || path == skipped)
        return true;
    if (!isSafeRelative(path)) {
        *problem = "image member \"" + name.toUtf8() + "\" leaves the volume";
        return false;
    }
    const char *link = archive_entry_hardlink(entry);
    if (link) {
        QString target = QFile::decodeName(link);
        while (target.startsWith(QLatin1String("./")))
            target.remove(0, 2);
        if (!target.startsWith(kVolume) || !isSafeRelative(target.mid(kVolume.size()))) {
            *problem = "image member \"" + name.toUtf8() + "\" links outside the volume";
            return false;
        }
        archive_entry_copy_hardlink(entry, QFile::encodeName(target.mid(kVolume.size())).constData());
    }
    const mode_t type = archive_entry_filetype(entry);
    if (!link && type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK)
        return true; // devices and pipes have no place on a stand-in volume
    // The owner keeps write access, so that detach can always remove what attach made.
    archive_entry_set_perm(entry, archive_entry_perm(entry) | (type == AE_IFDIR ? 0700 : 0600));
    archive_entry_copy_pathname(entry, QFile::encodeName(path).constData());
    *relative = path;
    return true;
}

bool copyData(archive *reader, archive *writer, QByteArray *problem, const std::function<bool()> &interrupted)
{
    const void *block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        if (interrupted()) {
            *problem = "interrupted";
            return false;
        }
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return true;
        if (status != ARCHIVE_OK) {
            *problem = wordsOf(reader);
            return false;
        }
        if (archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK) {
            *problem = wordsOf(writer);
            return false;
        }
    }
}

bool unpackInto(archive *reader, archive *writer, const QString &skipped, QByteArray *problem,
                const std::function<bool()> &interrupted)
{
    archive_entry *entry = nullptr;
    for (;;) {
        if (interrupted()) {
            *problem = "interrupted";
            return false;
        }
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            return true;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            *problem = wordsOf(reader);
            return false;
        }
        QString relative;
        if (!placeMember(entry, skipped, &relative, problem))
            return false;
        if (relative.isEmpty())
            continue;
        if (archive_write_header(writer, entry) != ARCHIVE_OK) {
            *problem = "image member \"" + relative.toUtf8() + "\": " + wordsOf(writer);
            return false;
        }
        if (!copyData(reader, writer, problem, interrupted) || archive_write_finish_entry(writer) != ARCHIVE_OK) {
            if (problem->isEmpty())
                *problem = wordsOf(writer);
            return false;
        }
    }
}

// The writer resolves relative names against the working directory, which
// lets it refuse absolute paths outright; the old one is restored afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString &folder)
        : m_previous(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        m_entered = m_previous >= 0 && ::chdir(QFile::encodeName(folder).constData()) == 0;
    }
    ~WorkingDirectory()
    {
        if (m_previous >= 0) {
            if (m_entered && ::fchdir(m_previous) != 0) {
            }
            ::close(m_previous);
        }
    }
    WorkingDirectory(const WorkingDirectory &) = delete;
    WorkingDirectory &operator=(const WorkingDirectory &) = delete;
    bool entered() const { return m_entered; }

private:
    int m_previous;
    bool m_entered = false;
};

} // namespace

bool unpackVolume(const QString &imagePath, const QString &folder, const QString &skipped, QByteArray *problem,
                  const std::function<bool()> &interrupted)
{
    Reader reader = openImage(imagePath);
    if (!reader) {
        *problem = "image not recognized";
        return false;
    }
    Writer writer(archive_write_disk_new());
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS
                                                     | ARCHIVE_EXTRACT_SECURE_NODOTDOT
                                                     | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    WorkingDirectory inside(folder);
    if (!inside.entered()) {
        *problem = "cannot enter the mount point";
        return false;
    }
    const bool unpacked = unpackInto(reader.get(), writer.get(), skipped, problem, interrupted);
    const bool closed = archive_write_close(writer.get()) == ARCHIVE_OK;
    if (unpacked && !closed)
        *problem = wordsOf(writer.get());
    return unpacked && closed;
}
