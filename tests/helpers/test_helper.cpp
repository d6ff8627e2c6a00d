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
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

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

int main(int argc, char *argv[])
{
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
        const int fd = open(first, O_WRONLY | O_CREAT, 0600);
        return fd >= 0 && close(fd) == 0 ? 0 : 1;
    }
    return 0;
}
