#include "volume_links.h"

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Beyond this many links in one chain the chain is a loop, which leads nowhere.
constexpr int kMostHops = 40;

enum class Leads { inside, outside, offVolume };

std::optional<QByteArray> linkTarget(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    if (n < 0 || n == static_cast<ssize_t>(sizeof buffer))
        return std::nullopt;
    return QByteArray(buffer, n);
}

bool isLink(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Walks `target` from the folder `at` (parts below the volume's root),
// following the volume's own links as the host would. An absolute link met
// on the way leads off the volume as stored, like on a mounted volume.
Leads follow(const QString &volume, QStringList &at, const QByteArray &target, int &hops)
{
    if (target.startsWith('/'))
        return Leads::offVolume;
    for (const QByteArray &part : target.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (at.isEmpty())
                return Leads::outside;
            at.removeLast();
            continue;
        }
        at.append(QFile::decodeName(part));
        const QString path = volume + QLatin1Char('/') + at.join(QLatin1Char('/'));
        if (!isLink(path))
            continue;
        const std::optional<QByteArray> next = linkTarget(path);
        if (!next || ++hops > kMostHops)
            return Leads::inside;
        at.removeLast();
        const Leads leads = follow(volume, at, *next, hops);
        if (leads != Leads::inside)
            return leads;
    }
    return Leads::inside;
}

bool restore(const QString &path, const QByteArray &target)
{
    const QByteArray name = QFile::encodeName(path);
    return ::unlink(name.constData()) == 0 && ::symlink(target.constData(), name.constData()) == 0;
}

} // namespace

QByteArray settleVolumeLinks(const QString &volume, const QString &rewrittenUnder)
{
    const QByteArray prefix = QFile::encodeName(rewrittenUnder) + '/';
    QStringList links;
    QDirIterator walk(volume, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        if (!isLink(path))
            continue;
        const std::optional<QByteArray> target = linkTarget(path);
        if (!target)
            return "symbolic link \"" + path.mid(volume.size() + 1).toUtf8() + "\" is unreadable";
        if (target->startsWith(prefix) && !restore(path, target->sliced(prefix.size() - 1)))
            return "symbolic link \"" + path.mid(volume.size() + 1).toUtf8() + "\" cannot be restored";
        links.append(path);
    }
    for (const QString &path : links) {
        const QString relative = path.mid(volume.size() + 1);
        QStringList at = relative.split(QLatin1Char('/'));
        at.removeLast();
        int hops = 0;
        if (follow(volume, at, linkTarget(path).value_or(QByteArray()), hops) == Leads::outside)
            return "symbolic link \"" + relative.toUtf8() + "\" leads out of the volume";
    }
    return {};
}
