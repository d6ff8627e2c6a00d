#include "seven_zip.h"

#include "attach_guard.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Lines past this are cut: 7zz's lines are short, a hostile file name is not.
constexpr qsizetype kLongestLine = 64 * 1024;
constexpr int kPollMilliseconds = 100;

QByteArray lookUpProgram()
{
    const QByteArray path = qgetenv("PATH");
    for (const QByteArray &folder : path.split(':')) {
        if (folder.isEmpty())
            continue;
        const QByteArray candidate = folder + "/7zz";
        if (candidate.startsWith('/') && ::access(candidate.constData(), X_OK) == 0)
            return candidate;
    }
    return {};
}

const QByteArray &program()
{
    static const QByteArray found = lookUpProgram();
    return found;
}

// Everything the child needs, built before fork: after it only
// async-signal-safe calls are made.
struct Launch {
    std::vector<QByteArray> argumentBytes;
    std::vector<QByteArray> environmentBytes;
    std::vector<char *> argv;
    std::vector<char *> envp;
};

Launch launchOf(const QStringList &arguments)
{
    Launch launch;
    launch.argumentBytes.push_back(program());
    for (const QString &argument : arguments)
        launch.argumentBytes.push_back(QFile::encodeName(argument));
    for (char **entry = environ; *entry; ++entry) {
        if (!QByteArray(*entry).startsWith("LC_ALL=") && !QByteArray(*entry).startsWith("LANG="))
            launch.environmentBytes.emplace_back(*entry);
    }
    launch.environmentBytes.emplace_back("LC_ALL=C.UTF-8");
    for (QByteArray &bytes : launch.argumentBytes)
        launch.argv.push_back(bytes.data());
    launch.argv.push_back(nullptr);
    for (QByteArray &bytes : launch.environmentBytes)
        launch.envp.push_back(bytes.data());
    launch.envp.push_back(nullptr);
    return launch;
}

[[noreturn]] void becomeChild(Launch &launch, int out, int err, const SevenZipLimits &limits)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // a stand-in killed outright takes 7zz along
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        ::signal(number, SIG_DFL);
    if (limits.largestFile > 0) {
        const struct rlimit ceiling {limits.largestFile, limits.largestFile};
        ::setrlimit(RLIMIT_FSIZE, &ceiling);
    }
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
        ::_exit(127);
    ::execve(launch.argv[0], launch.argv.data(), launch.envp.data());
    ::_exit(127);
}

// Splits one stream into lines, cutting each at kLongestLine.
struct LineSplitter {
    QByteArray pending;
    bool fromError = false;
    bool feed(const char *bytes, qsizetype size, const SevenZipLines &onLine)
    {
        for (qsizetype i = 0; i < size; ++i) {
            if (bytes[i] == '\n') {
                const bool more = onLine(QByteArrayView(pending).chopped(pending.endsWith('\r') ? 1 : 0), fromError);
                pending.clear();
                if (!more)
                    return false;
            } else if (pending.size() < kLongestLine) {
                pending += bytes[i];
            }
        }
        return true;
    }
    bool finish(const SevenZipLines &onLine)
    {
        return pending.isEmpty() || onLine(pending, fromError);
    }
};

// Reads both streams until both close; false when the reader asked to stop.
bool pump(int out, int err, pid_t child, const SevenZipLines &onLine)
{
    LineSplitter splitters[2];
    splitters[1].fromError = true;
    struct pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (interruptionPending()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            stopIfInterrupted();
        }
        if (::poll(fds, 2, kPollMilliseconds) < 0 && errno != EINTR)
            return true;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[16 * 1024];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (!splitters[i].finish(onLine))
                    return false;
                fds[i].fd = -1;
                --open;
            } else if (!splitters[i].feed(buffer, n, onLine)) {
                return false;
            }
        }
    }
    return true;
}

int waitFor(pid_t child)
{
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
        if (errno != EINTR)
            return -1;
        if (interruptionPending()) {
            ::kill(child, SIGKILL);
            stopIfInterrupted();
        }
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

} // namespace

QByteArray sevenZipMissing()
{
    return "7zz (7-Zip) was not found on PATH; install it (Debian package 7zip: apt-get install 7zip, "
           "or scripts/install-deps)";
}

SevenZipRun runSevenZip(const QStringList &arguments, const SevenZipLines &onLine, const SevenZipLimits &limits)
{
    SevenZipRun run;
    if (program().isEmpty()) {
        run.problem = sevenZipMissing();
        return run;
    }
    Launch launch = launchOf(arguments);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        run.problem = "cannot start 7zz";
        return run;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]), ::close(out[1]);
        run.problem = "cannot start 7zz";
        return run;
    }
    const pid_t child = ::fork();
    if (child == 0)
        becomeChild(launch, out[1], err[1], limits);
    ::close(out[1]), ::close(err[1]);
    if (child < 0) {
        ::close(out[0]), ::close(err[0]);
        run.problem = "cannot start 7zz";
        return run;
    }
    run.ran = true;
    run.stopped = !pump(out[0], err[0], child, onLine);
    if (run.stopped)
        ::kill(child, SIGKILL);
    ::close(out[0]), ::close(err[0]);
    run.status = waitFor(child);
    return run;
}
