// The tiny program the command runner is tested against, instead of the
// host's own sh, echo or cat: `veristamp-test-helper <mode> <arguments>`.
// Without a mode it writes nothing and exits 0.
//   hex OUT ERR STATUS  writes OUT to standard output and ERR to standard error,
//                       both decoded from hexadecimal, and exits with STATUS
//   arguments A...      writes each argument followed by a NUL byte
//   megabytes N M       writes N MiB of a counting pattern (byte i is i % 251)
//                       to standard output and M MiB to standard error
//   signal N            writes "dying" on standard error, then raises signal N
//   touch PATH          creates PATH: proof that it was started
//   stdin               copies standard input to standard output
//   sleep MS            sleeps MS milliseconds, then exits 0
//   run PROGRAM A...    runs PROGRAM with the arguments and exits as it did:
//                       a parent a test can kill
//   hang PATH [term]    creates PATH, then sleeps two minutes and exits 0; with
//                       "term" it ignores SIGTERM meanwhile
// Under any other name (a link in a test's tool root, say usr/bin/hdiutil) it
// plays a release tool: it appends its name and arguments as one line to the
// file $VERISTAMP_HELPER_LOG, then hangs as above if its first argument is
// $VERISTAMP_HELPER_HANG (creating $VERISTAMP_HELPER_LOG.hanging), else exits
// 0 with no output.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

static void writeAll(int fd, const char *data, size_t size)
{
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n < 0)
            std::exit(100);
        done += static_cast<size_t>(n);
    }
}

static void writeHex(int fd, const char *hex)
{
    std::string bytes;
    for (const char *p = hex; p[0] && p[1]; p += 2)
        bytes += static_cast<char>(std::strtol(std::string(p, 2).c_str(), nullptr, 16));
    writeAll(fd, bytes.data(), bytes.size());
}

static void writePattern(int fd, long mebibytes)
{
    std::vector<char> block(1 << 20);
    long index = 0;
    for (long m = 0; m < mebibytes; ++m) {
        for (char &byte : block)
            byte = static_cast<char>(index++ % 251);
        writeAll(fd, block.data(), block.size());
    }
}

static int touch(const char *path)
{
    const int fd = open(path, O_WRONLY | O_CREAT, 0600);
    return fd >= 0 && close(fd) == 0 ? 0 : 1;
}

static int hang(const char *marker, bool ignoreTerm)
{
    if (ignoreTerm)
        std::signal(SIGTERM, SIG_IGN);
    if (touch(marker) != 0)
        return 1;
    timespec left{120, 0};
    while (nanosleep(&left, &left) != 0) {
    }
    return 0;
}

static int copyStandardInput()
{
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0)
        writeAll(STDOUT_FILENO, buffer, static_cast<size_t>(n));
    return n == 0 ? 0 : 1;
}

static int runChild(char *argv[])
{
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0)
        return 127;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int playTool(const std::string &name, int argc, char *argv[])
{
    std::string line = name;
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    line += '\n';
    const char *log = std::getenv("VERISTAMP_HELPER_LOG");
    const int fd = log ? open(log, O_WRONLY | O_CREAT | O_APPEND, 0600) : -1;
    if (fd >= 0) {
        writeAll(fd, line.data(), line.size());
        close(fd);
    }
    const char *hangOn = std::getenv("VERISTAMP_HELPER_HANG");
    if (argc > 1 && hangOn && std::strcmp(argv[1], hangOn) == 0)
        return hang(log ? (std::string(log) + ".hanging").c_str() : "/dev/null", false);
    return 0;
}

int main(int argc, char *argv[])
{
    const char *slash = std::strrchr(argv[0], '/');
    const std::string name = slash ? slash + 1 : argv[0];
    if (name != "veristamp-test-helper")
        return playTool(name, argc, argv);

    const std::string mode = argc > 1 ? argv[1] : "";
    const char *first = argc > 2 ? argv[2] : "";
    const char *second = argc > 3 ? argv[3] : "";
    if (mode == "hex") {
        writeHex(STDOUT_FILENO, first);
        writeHex(STDERR_FILENO, second);
        return argc > 4 ? std::atoi(argv[4]) : 0;
    }
    if (mode == "arguments") {
        for (int i = 2; i < argc; ++i)
            writeAll(STDOUT_FILENO, argv[i], std::strlen(argv[i]) + 1);
    } else if (mode == "megabytes") {
        writePattern(STDOUT_FILENO, std::atol(first));
        writePattern(STDERR_FILENO, std::atol(second));
    } else if (mode == "signal") {
        writeAll(STDERR_FILENO, "dying", 5);
        std::signal(std::atoi(first), SIG_DFL);
        std::raise(std::atoi(first));
        return 101;
    } else if (mode == "touch") {
        return touch(first);
    } else if (mode == "stdin") {
        return copyStandardInput();
    } else if (mode == "sleep") {
        timespec left{std::atol(first) / 1000, std::atol(first) % 1000 * 1000000};
        while (nanosleep(&left, &left) != 0) {
        }
    } else if (mode == "run" && argc > 2) {
        return runChild(argv + 2);
    } else if (mode == "hang") {
        return hang(first, std::strcmp(second, "term") == 0);
    }
    return 0;
}
