#include "codesig/code_inventory_parts.h"

#include "codesig/macho_file.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace codesig {
namespace {

// A member larger than this is not read: memory stays bounded whatever the archive claims.
constexpr la_int64_t maxMemberBytes = la_int64_t(512) * 1024 * 1024;

struct ArchiveFree { void operator()(archive *reader) const { archive_read_free(reader); } };

// The member's bytes, or nothing when they cannot be read whole.
std::optional<QByteArray> memberBytes(archive *reader, la_int64_t size)
{
    QByteArray bytes;
    bytes.resize(qsizetype(size));
    la_int64_t done = 0;
    while (done < size) {
        const la_ssize_t read = archive_read_data(reader, bytes.data() + done, size_t(size - done));
        if (read <= 0)
            return std::nullopt;
        done += read;
    }
    return bytes;
}

bool startsLikeMachO(archive *reader, QByteArray &head)
{
    head.resize(8);
    const la_ssize_t read = archive_read_data(reader, head.data(), size_t(head.size()));
    head.resize(read > 0 ? qsizetype(read) : 0);
    return looksLikeMachO(ByteView(head));
}

} // namespace

QString forEachMachOInZip(const QString &zipPath, const std::function<void(const QString &, ByteView)> &found)
{
    std::unique_ptr<archive, ArchiveFree> reader(archive_read_new());
    archive_read_support_format_zip(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(zipPath).constData(), 1 << 16) != ARCHIVE_OK)
        return QString::fromUtf8(archive_error_string(reader.get()));
    archive_entry *entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        const la_int64_t size = archive_entry_size(entry);
        QByteArray head;
        if (archive_entry_filetype(entry) != AE_IFREG || size < 8 || size > maxMemberBytes
            || !startsLikeMachO(reader.get(), head))
            continue;
        // The head is read already; the archive gives the rest from where it stopped.
        const std::optional<QByteArray> rest = memberBytes(reader.get(), size - head.size());
        if (!rest)
            return QString::fromUtf8(archive_error_string(reader.get()));
        const QByteArray bytes = head + *rest;
        found(QString::fromUtf8(archive_entry_pathname_utf8(entry)), ByteView(bytes));
    }
    return status == ARCHIVE_EOF ? QString() : QString::fromUtf8(archive_error_string(reader.get()));
}

} // namespace codesig
