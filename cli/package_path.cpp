#include "cli/package_path.h"

#include "engine/system_error_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QString> packagePathProblem(const QByteArray &name)
{
    struct stat info {};
    if (::stat(name.constData(), &info) == 0)
        return std::nullopt;
    const int error = errno;
    struct stat link {};
    if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return QStringLiteral("the symbolic link leads nowhere: %1").arg(systemErrorText(error));
    return systemErrorText(error);
}

QList<QByteArray> packageArgumentBytes(int argc, const char *const *argv, const QStringList &packages)
{
    QList<QByteArray> bytes;
    int next = 1;
    for (const QString &package : packages) {
        while (next < argc && QString::fromLocal8Bit(argv[next]) != package)
            ++next;
        bytes << (next < argc ? QByteArray(argv[next++]) : QFile::encodeName(package));
    }
    return bytes;
}

std::optional<QString> ReachablePaths::reachable(const QString &path, const QByteArray &bytes)
{
    if (QFile::encodeName(path) == bytes)
        return path;
    if (!m_links) {
        m_links = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("veristamp-names-XXXXXX")));
        if (!m_links->isValid())
            return std::nullopt;
    }
    QByteArray target = bytes;
    if (!target.startsWith('/')) {
        QByteArray folder(4096, '\0');
        if (!::getcwd(folder.data(), size_t(folder.size())))
            return std::nullopt;
        target = QByteArray(folder.constData()) + '/' + target;
    }
    // Each link in a folder of its own keeps the shown name whole.
    const QString folder = m_links->filePath(QString::number(++m_made));
    const QString link = QDir(folder).filePath(QFileInfo(QDir::cleanPath(path)).fileName());
    if (!QDir().mkdir(folder) || ::symlink(target.constData(), QFile::encodeName(link).constData()) != 0)
        return std::nullopt;
    return link;
}
