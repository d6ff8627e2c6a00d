#include "udif_listing.h"

#include "seven_zip.h"

#include <QStringList>

namespace {

constexpr QByteArrayView kMembersStart = "----------";

class ListingReader {
public:
    ListingReader(quint64 sizeCeiling, quint64 memberCeiling) : m_sizeCeiling(sizeCeiling), m_memberCeiling(memberCeiling) {}

    bool take(QByteArrayView line)
    {
        if (!m_inMembers) {
            if (line == kMembersStart)
                m_inMembers = true;
            else if (line.startsWith("Type = "))
                m_types.append(line.sliced(7).toByteArray());
            return true;
        }
        if (line.startsWith("Path = "))
            return takePath(QString::fromUtf8(line.sliced(7)));
        if (line.startsWith("Size = ") && !line.sliced(7).isEmpty())
            return takeSize(line.sliced(7));
        return true;
    }

    VolumeListing finish()
    {
        // The image itself first, the file system 7zz opened in it last.
        if (m_listing.problem.isEmpty() && !m_types.isEmpty() && m_types.first() == "Dmg") {
            if (m_types.last() == "HFS")
                m_listing.kind = VolumeKind::hfs;
            else if (m_types.last() == "APFS")
                m_listing.kind = VolumeKind::apfs;
        }
        if (m_listing.kind != VolumeKind::hfs)
            m_listing.topFolder.clear();
        return m_listing;
    }

private:
    bool refuse(const QByteArray &problem)
    {
        m_listing.problem = problem;
        return false;
    }

    bool takePath(const QString &path)
    {
        if (++m_listing.members > m_memberCeiling)
            return refuse("the volume holds more than " + QByteArray::number(m_memberCeiling) +
                          " files, the most the stand-in unpacks");
        const QStringList parts = path.split(QLatin1Char('/'));
        if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || parts.contains(QStringLiteral("..")))
            return refuse("image member \"" + path.toUtf8() + "\" leaves the volume");
        if (m_listing.members == 1)
            m_listing.topFolder = parts.first();
        else if (parts.first() != m_listing.topFolder)
            m_listing.topFolder.clear(); // no single top folder: no HFS+ volume name to take off
        return true;
    }

    bool takeSize(QByteArrayView digits)
    {
        bool ok = false;
        const quint64 size = digits.toULongLong(&ok);
        if (!ok || size > m_sizeCeiling - m_listing.totalSize)
            return refuse("the volume holds more than " + QByteArray::number(m_sizeCeiling) +
                          " bytes, the most the stand-in unpacks");
        m_listing.totalSize += size;
        return true;
    }

    quint64 m_sizeCeiling;
    quint64 m_memberCeiling;
    bool m_inMembers = false;
    QList<QByteArray> m_types;
    VolumeListing m_listing;
};

} // namespace

VolumeListing listUdifVolume(const QString &imagePath, quint64 sizeCeiling, quint64 memberCeiling)
{
    ListingReader reader(sizeCeiling, memberCeiling);
    const SevenZipRun run = runSevenZip(
        {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-bd"), QStringLiteral("-bsp0"),
         QStringLiteral("--"), imagePath},
        [&reader](QByteArrayView line, bool fromError) { return fromError || reader.take(line); });
    VolumeListing listing = reader.finish();
    if (!run.ran && listing.problem.isEmpty())
        listing.problem = run.problem;
    listing.listed = run.ran && !run.stopped && run.status == 0;
    return listing;
}
