#include "codesig/disk_image_superblob.h"

#include "codesig/superblob_index.h"
#include "codesig/udif_trailer.h"

#include <QFile>

namespace codesig {

std::optional<QByteArray> readDiskImageSignature(const QString &path)
{
    const std::optional<UdifTrailer> trailer = readUdifTrailer(path);
    if (!trailer || trailer->signature != UdifSignatureExtent::inside || trailer->signatureLength == 0)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(qint64(trailer->signatureOffset)))
        return std::nullopt;
    QByteArray signature = file.read(qint64(trailer->signatureLength));
    if (signature.size() != qint64(trailer->signatureLength))
        return std::nullopt;
    return signature;
}

std::optional<QByteArray> superBlobSlot(const QByteArray &superBlob, quint32 slot)
{
    const SuperBlobIndex index = readSuperBlobIndex(ByteView(superBlob));
    for (const SuperBlobEntry &entry : index.entries) {
        if (entry.type == slot)
            return entry.room.toByteArray();
    }
    return std::nullopt;
}

} // namespace codesig
