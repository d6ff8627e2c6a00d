#include "engine/program_run.h"

#include "engine/capture_file.h"
#include "engine/capture_folder.h"
#include "engine/process_wait.h"
#include "engine/system_error_text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUuid>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Program {
namespace {

const char kCaptureFailure[] = "Veristamp could not create temporary command-output files.";

DataResult failure(Outcome outcome, const QByteArray &reason)
{
    return DataResult{outcome, QByteArray(), reason};
}

DataResult stoppedRun(const QString &executablePath, bool started)
{
    const QString reason = started
        ? QStringLiteral("The program \u201C%1\u201D was stopped before it finished.")
        : QStringLiteral("The program \u201C%1\u201D was not started: the inspection was stopped.");
    return failure(Outcome::stopped(), reason.arg(executablePath).toUtf8());
}

// The argument vector as the program receives it: its own path first, then
// each argument unchanged. The byte arrays own the storage argv points into.
class ArgumentVector {
public:
    ArgumentVector(const QByteArray &program, const QStringList &arguments)
    {
        m_storage.reserve(static_cast<size_t>(arguments.size()) + 1);
        m_storage.push_back(program);
        for (const QString &argument : arguments)
            m_storage.push_back(argument.toUtf8());
        for (QByteArray &bytes : m_storage)
            m_pointers.push_back(bytes.data());
        m_pointers.push_back(nullptr);
    }
    char *const *argv() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_storage;
    std::vector<char *> m_pointers;
};

// Starts the program by its path alone (posix_spawn, never posix_spawnp: no
// search path) with its two streams on the capture files. The program gets a
// clean signal mask and the default SIGPIPE action, whatever the calling
// thread had; it inherits environment and working directory, and reads
// /dev/null: nothing any program Veristamp runs may wait for input.
int spawn(const QByteArray &program, ArgumentVector &argv, int outFd, int errFd, pid_t *pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signalSet;
    sigemptyset(&signalSet);
    posix_spawnattr_setsigmask(&attributes, &signalSet);
    sigaddset(&signalSet, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signalSet);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const int error = posix_spawn(pid, program.constData(), &actions, &attributes, argv.argv(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

// A death by signal is no exit of the program, and its reason is added to
// what the program wrote on standard error, since that is what the user
// reads of a failed tool. So is the reason when no end could be collected.
void applyWaitStatus(std::optional<int> waitStatus, const QString &executablePath, DataResult *result)
{
    if (waitStatus && WIFEXITED(*waitStatus)) {
        result->outcome = Outcome::exited(WEXITSTATUS(*waitStatus));
        return;
    }
    const int number = waitStatus && WIFSIGNALED(*waitStatus) ? WTERMSIG(*waitStatus) : 0;
    result->outcome = number > 0 ? Outcome::endedBySignal(number) : Outcome::endUnknown();
    const QString reason = number > 0
        ? QStringLiteral("The program \u201C%1\u201D was ended by signal %2 (%3).")
              .arg(executablePath, QString::number(number), signalText(number))
        : QStringLiteral("The program \u201C%1\u201D could not be waited for.").arg(executablePath);
    if (!result->standardError.isEmpty() && !result->standardError.endsWith('\n'))
        result->standardError += '\n';
    result->standardError += reason.toUtf8();
}

} // namespace

DataResult runData(const QString &executablePath, const QStringList &arguments, const std::atomic<bool> *stop)
{
    if (stop && stop->load())
        return stoppedRun(executablePath, false);
    const QString folder = captureFolder();
    if (folder.isEmpty())
        return failure(Outcome::notStarted(), QByteArray(kCaptureFailure));
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString base = QDir(folder).filePath(QStringLiteral("veristamp-") + token);
    CaptureFile out(base + QStringLiteral("-stdout"));
    CaptureFile err(base + QStringLiteral("-stderr"));
    if (!out.isOpen() || !err.isOpen())
        return failure(Outcome::notStarted(), QByteArray(kCaptureFailure));

    const QByteArray program = QFile::encodeName(executablePath);
    ArgumentVector argv(program, arguments);
    pid_t pid = 0;
    if (const int error = spawn(program, argv, out.fd(), err.fd(), &pid); error != 0) {
        return failure(Outcome::notStarted(), QStringLiteral("The program \u201C%1\u201D could not be started: %2.")
                           .arg(executablePath, systemErrorText(error))
                           .toUtf8());
    }

    const ProcessEnd end = waitForProcess(pid, stop);
    // A program ended on request did not finish: what it wrote is not its answer.
    if (end.stopped && !(end.waitStatus && WIFEXITED(*end.waitStatus)))
        return stoppedRun(executablePath, true);
    // The program wrote through its own descriptors; once it has exited, its
    // bytes are there to read without any flush.
    DataResult result{0, out.readAll(), err.readAll()};
    applyWaitStatus(end.waitStatus, executablePath, &result);
    return result;
}

TextResult decoded(const DataResult &result)
{
    auto decode = [](const QByteArray &bytes) {
        // Stateless: a sequence cut off at the end is an error too. A leading
        // byte-order mark is kept, as the text is not otherwise changed.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder(bytes);
        return decoder.hasError() ? QString() : text;
    };
    return TextResult{result.outcome, decode(result.standardOutput), decode(result.standardError)};
}

TextResult run(const QString &executablePath, const QStringList &arguments)
{
    return decoded(runData(executablePath, arguments));
}

} // namespace Program
