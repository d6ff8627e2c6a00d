#include "engine/shell.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Shell {
namespace {

const char kCaptureFailure[] = "Veristamp could not create temporary command-output files.";

// One capture file: created new (never an existing file, never through a link),
// readable by its owner only, closed and deleted on every path out of the runner.
class CaptureFile {
public:
    explicit CaptureFile(QString path) : m_path(std::move(path))
    {
        m_fd = ::open(QFile::encodeName(m_path).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        m_created = m_fd >= 0;
    }
    ~CaptureFile()
    {
        close();
        if (m_created)
            ::unlink(QFile::encodeName(m_path).constData());
    }
    CaptureFile(const CaptureFile &) = delete;
    CaptureFile &operator=(const CaptureFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0) {
            ::fsync(m_fd);
            ::close(m_fd);
            m_fd = -1;
        }
    }
    QByteArray readAll() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QString m_path;
    int m_fd = -1;
    bool m_created = false;
};

DataResult failure(const QByteArray &reason)
{
    return DataResult{-1, QByteArray(), reason};
}

// A death by signal is no exit status of the program; it reads like the shell's 128 + N.
std::int32_t statusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

} // namespace

DataResult runData(const QString &executablePath, const QStringList &arguments)
{
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString base = QDir(QDir::tempPath()).filePath(QStringLiteral("veristamp-") + token);
    CaptureFile out(base + QStringLiteral("-stdout"));
    CaptureFile err(base + QStringLiteral("-stderr"));
    if (!out.isOpen() || !err.isOpen())
        return failure(QByteArray(kCaptureFailure));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.fd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fd(), STDERR_FILENO);

    const QByteArray program = QFile::encodeName(executablePath);
    std::vector<QByteArray> storage;
    storage.reserve(arguments.size() + 1);
    storage.push_back(program);
    for (const QString &argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        const QString reason = QStringLiteral("The program \u201C%1\u201D could not be started: %2.")
                                   .arg(executablePath, QString::fromLocal8Bit(std::strerror(spawnError)));
        return failure(reason.toUtf8());
    }

    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    out.close();
    err.close();
    return DataResult{statusOf(waitStatus), out.readAll(), err.readAll()};
}

TextResult decoded(const DataResult &result)
{
    auto decode = [](const QByteArray &bytes) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(bytes);
        return decoder.hasError() ? QString() : text;
    };
    return TextResult{result.exitCode, decode(result.stdoutData), decode(result.stderrData)};
}

TextResult run(const QString &executablePath, const QStringList &arguments)
{
    return decoded(runData(executablePath, arguments));
}

} // namespace Shell
