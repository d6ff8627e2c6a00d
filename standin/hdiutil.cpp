#include "hdiutil.h"

#include "attach_guard.h"
#include "records.h"
#include "tar_image.h"
#include "udif_verify.h"
#include "udif_volume.h"
#include "volume_folders.h"

#include <QFile>
#include <QFileInfo>

#include <plist/plist.h>

#include <array>
#include <cstdlib>
#include <functional>

namespace {

quint32 crc32Of(const QString &path)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            for (char byte : file.read(1 << 16))
                crc = table[(crc ^ static_cast<quint8>(byte)) & 0xFF] ^ (crc >> 8);
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray quoted(const QString &text)
{
    return '"' + text.toUtf8() + '"';
}

Outcome verify(const QString &path)
{
    if (!QFileInfo::exists(path))
        return errorOutcome(1, "hdiutil: verify failed - No such file or directory");
    if (const std::optional<codesig::UdifTrailer> trailer = codesig::readUdifTrailer(path))
        return verifyUdifImage(path, *trailer);
    const ImageScan scan = scanImage(path);
    if (scan.state == ImageState::notRecognised)
        return errorOutcome(1, "hdiutil: verify failed - image not recognized");
    if (scan.state == ImageState::damaged)
        return invalidImage(path, scan.problem);
    const QByteArray crc = QByteArray::number(crc32Of(path), 16).toUpper().rightJustified(8, '0');
    return Outcome{0,
                   "Checksumming " + QByteArray::number(scan.memberCount) + " members\xE2\x80\xA6\n"
                   "verified   CRC32 $" + crc + "\n"
                   "hdiutil: verify: checksum of " + quoted(path) + " is VALID\n",
                   QByteArray()};
}

void addText(plist_t dict, const char *key, const QString &value)
{
    plist_dict_set_item(dict, key, plist_new_string(value.toUtf8().constData()));
}

// The shape of the platform's attach output: the partition scheme first,
// without a mount point, then the mounted volume. Keys in the platform's
// (alphabetical) order.
QByteArray attachPropertyList(const AttachedVolume &volume, VolumeKind kind)
{
    const bool apfs = kind == VolumeKind::apfs;
    const QString apfsHint = QStringLiteral("41504653-0000-11AA-AA11-00306543ECAC");
    const QString device = QStringLiteral("/dev/") + volume.device;
    plist_t scheme = plist_new_dict();
    addText(scheme, "content-hint", QStringLiteral("GUID_partition_scheme"));
    addText(scheme, "dev-entry", device);
    plist_dict_set_item(scheme, "potentially-mountable", plist_new_bool(0));
    addText(scheme, "unmapped-content-hint", QStringLiteral("GUID_partition_scheme"));

    plist_t mounted = plist_new_dict();
    addText(mounted, "content-hint", apfs ? apfsHint : QStringLiteral("Apple_HFS"));
    addText(mounted, "dev-entry", device + QStringLiteral("s1"));
    addText(mounted, "mount-point", volume.mountPoint);
    plist_dict_set_item(mounted, "potentially-mountable", plist_new_bool(1));
    addText(mounted, "unmapped-content-hint", apfs ? apfsHint : QStringLiteral("48465300-0000-11AA-AA11-00306543ECAC"));
    addText(mounted, "volume-kind", apfs ? QStringLiteral("apfs") : QStringLiteral("hfs"));

    plist_t entities = plist_new_array();
    plist_array_append_item(entities, scheme);
    plist_array_append_item(entities, mounted);
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "system-entities", entities);

    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    const QByteArray bytes(xml, static_cast<qsizetype>(length));
    std::free(xml);
    plist_free(root);
    return bytes;
}

using Unpacker = std::function<bool(const QString &folder, QByteArray *problem)>;

// A new folder with the image's volume unpacked into it, or the reason why not.
std::optional<AttachedVolume> mountVolume(const QString &path, QByteArray *problem, const Unpacker &unpack)
{
    std::optional<AttachedVolume> volume = createVolumeFolder(path, problem);
    if (volume)
        holdVolume(volume->mountPoint);
    stopIfInterrupted();
    if (volume && !unpack(volume->mountPoint, problem)) {
        removeVolumeFolder(volume->mountPoint);
        stopIfInterrupted(); // an unpack given up for a signal ends by it
        return std::nullopt;
    }
    stopIfInterrupted();
    return volume;
}

Unpacker tarUnpacker(const QString &path)
{
    return [path](const QString &folder, QByteArray *problem) {
        return unpackVolume(path, folder, markerName(), problem, interruptionPending);
    };
}

// An image made on a Mac: 7zz's listing decides first whether its volume may
// be unpacked at all, so that a refused image leaves no folder behind.
Outcome attachUdif(const QString &path)
{
    const VolumePlan plan = planUdifVolume(path);
    if (!plan.problem.isEmpty())
        return errorOutcome(1, "hdiutil: attach failed - " + plan.problem);
    QByteArray problem;
    const std::optional<AttachedVolume> volume = mountVolume(path, &problem, [&](const QString &folder, QByteArray *why) {
        return unpackUdifVolume(path, plan, folder, why);
    });
    if (!volume)
        return errorOutcome(1, "hdiutil: attach failed - " + problem);
    return Outcome{0, attachPropertyList(*volume, plan.listing.kind), QByteArray()};
}

Outcome attach(const QString &path)
{
    if (!QFileInfo::exists(path))
        return errorOutcome(1, "hdiutil: attach failed - No such file or directory");
    const std::optional<codesig::UdifTrailer> trailer = QFileInfo(path).isFile() ? codesig::readUdifTrailer(path) : std::nullopt;
    if (trailer && trailer->layout == codesig::UdifLayout::sound)
        return attachUdif(path);
    if (!QFileInfo(path).isFile() || scanImage(path).state != ImageState::intact)
        return errorOutcome(1, "hdiutil: attach failed - image not recognized");
    QByteArray problem;
    const std::optional<AttachedVolume> volume = mountVolume(path, &problem, tarUnpacker(path));
    if (!volume)
        return errorOutcome(1, "hdiutil: attach failed - " + problem);
    return Outcome{0, attachPropertyList(*volume, VolumeKind::hfs), QByteArray()};
}

// A recorded attach mounts the volume only when it succeeded and its output
// names the mount point through @MOUNT@; otherwise nothing is unpacked.
Outcome replayAttach(const Record &record, const QString &path)
{
    const Substitutions pathOnly{{"@PATH@", path.toUtf8()}};
    Outcome outcome = replay(record, QStringLiteral("H2"), pathOnly);
    if (outcome.status != 0 || !record.out || !record.out->contains("@MOUNT@"))
        return outcome;
    QByteArray problem;
    const std::optional<AttachedVolume> volume = mountVolume(path, &problem, tarUnpacker(path));
    if (!volume)
        return errorOutcome(1, "hdiutil: attach failed - " + problem);
    outcome.out = substituted(*record.out, {{"@PATH@", path.toUtf8()}, {"@MOUNT@", volume->mountPoint.toUtf8()}});
    return outcome;
}

Outcome detachFailure()
{
    return errorOutcome(1, "hdiutil: detach failed - No such file or directory");
}

Outcome detach(const AttachedVolume &volume)
{
    if (!removeVolumeFolder(volume.mountPoint))
        return errorOutcome(16, "hdiutil: couldn't unmount " + quoted(volume.device) + " - Resource busy");
    return Outcome{0, quoted(volume.device) + " ejected.\n", QByteArray()};
}

// A recorded detach that succeeded removes the folder as well, so a recorded
// image leaves nothing behind; a recorded failure leaves the folder attached.
Outcome replayDetach(const Record &record, const AttachedVolume &volume, const QString &path)
{
    const Outcome outcome = replay(record, QStringLiteral("H3"), {{"@PATH@", path.toUtf8()}});
    if (outcome.status == 0)
        removeVolumeFolder(volume.mountPoint);
    return outcome;
}

} // namespace

Outcome hdiutilAnswer(const RecognisedCall &call, const RecordFiles &records)
{
    const QString &path = call.path;
    if (call.id == CallId::H3) {
        const std::optional<AttachedVolume> volume = attachedVolumeAt(path);
        if (!volume)
            return detachFailure();
        if (const std::optional<Record> record = recordOf(recordFilesOf(volume->imagePath), CallId::H3))
            return replayDetach(*record, *volume, path);
        return detach(*volume);
    }
    const std::optional<Record> record = recordOf(records, call.id);
    if (call.id == CallId::H1)
        return record ? replay(*record, QStringLiteral("H1"), {{"@PATH@", path.toUtf8()}}) : verify(path);
    if (call.id == CallId::H2) {
        guardAttach();
        return record ? replayAttach(*record, path) : attach(path);
    }
    return errorOutcome(2, usageLine(QStringLiteral("hdiutil")));
}
