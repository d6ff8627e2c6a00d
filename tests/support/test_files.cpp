#include "test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

bool runIn(const QString &folder, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString unpackSignedApp(const QString &folder)
{
    const bool unpacked = QDir().mkpath(folder)
        && runIn(folder, QStringLiteral(VERISTAMP_CMAKE), {"-E", "tar", "xf", VERISTAMP_REAL_ARTIFACTS "/DevSignedApp.zip"});
    return unpacked ? folder + QStringLiteral("/DevSignedApp.app") : QString();
}

QString unpackSparkleImage(const QString &folder)
{
    const bool unpacked = runIn(folder, QStringLiteral("7zz"),
                                {"x", "-y", "-o" + folder, VERISTAMP_REAL_ARTIFACTS "/SparkleTestCodeSignApp.dmg"});
    return unpacked ? folder + QStringLiteral("/Sparkle Test App") : QString();
}

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    bool copied = QDir().mkpath(to);
    while (copied && it.hasNext()) {
        const QString file = it.next();
        const QString copy = to + file.mid(from.size());
        copied = QDir().mkpath(QFileInfo(copy).path()) && QFile::copy(file, copy);
    }
    return copied;
}

bool nestFolders(const QString &folder, int depth)
{
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const int child = ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY) : -1;
        ::close(fd);
        fd = child;
    }
    return fd >= 0 && ::close(fd) == 0;
}

void removeNested(const QString &folder)
{
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int depth = 0;
    for (int child; fd >= 0 && (child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY)) >= 0; ++depth) {
        ::close(fd);
        fd = child;
    }
    for (; fd >= 0 && depth > 0; --depth) {
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = parent;
        if (fd >= 0)
            ::unlinkat(fd, "d", AT_REMOVEDIR);
    }
    if (fd >= 0)
        ::close(fd);
}
