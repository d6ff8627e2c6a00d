#include "codesig/code_reading.h"

#include "codesig/bundle_tree.h"
#include "codesig/disk_image_superblob.h"

#include <QFileInfo>

namespace codesig {

namespace {

// The SuperBlob slot where a disk image's stapled ticket is kept.
constexpr quint32 kTicketSlot = 0x10002;
// A ticket lists the hashes of one submission: kilobytes, not megabytes.
constexpr qint64 kMaximumTicketSize = 16 * 1024 * 1024;

// The ticket holds each covered code's hash; a code hash is 20 bytes of
// digest, so finding it anywhere in the ticket is no accident.
bool namesCode(const QByteArray &ticket, const CodeReading &code)
{
    for (const SliceSignature &slice : code.slices) {
        for (const QByteArray &cdHash : slice.cdHashes) {
            if (!cdHash.isEmpty() && ticket.contains(cdHash))
                return true;
        }
    }
    return false;
}

std::optional<QByteArray> readTicket(const QString &path)
{
    const QFileInfo info(path);
    // A bundle's ticket lies beside its _CodeSignature folder, as Contents/CodeResources.
    if (info.isDir()) {
        const QFileInfo contents(path + QStringLiteral("/Contents"));
        if (!contents.isDir() || contents.isSymLink())
            return std::nullopt;
        return readRegularFile(path + QStringLiteral("/Contents/CodeResources"), kMaximumTicketSize);
    }
    if (!info.isFile())
        return std::nullopt;
    const std::optional<QByteArray> signature = readDiskImageSignature(path);
    return signature ? superBlobSlot(*signature, kTicketSlot) : std::nullopt;
}

} // namespace

StapledTicket readStapledTicket(const QString &path, const CodeReading &code)
{
    const std::optional<QByteArray> ticket = readTicket(path);
    StapledTicket result;
    result.present = ticket.has_value() && !ticket->isEmpty();
    result.namesCode = result.present && namesCode(*ticket, code);
    return result;
}

} // namespace codesig
