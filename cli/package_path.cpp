#include "cli/package_path.h"

#include "engine/system_error_text.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

std::optional<QString> packagePathProblem(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0)
        return std::nullopt;
    const int error = errno;
    struct stat link {};
    if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return QStringLiteral("the symbolic link leads nowhere: %1").arg(systemErrorText(error));
    return systemErrorText(error);
}
