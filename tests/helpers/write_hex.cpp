// Decodes its first argument from hexadecimal onto standard output and its
// second onto standard error, then exits with the third (default 0): the
// way to produce exact bytes, invalid UTF-8 included.
#include <cstdlib>
#include <string>
#include <unistd.h>

static void writeHex(int fd, const char *hex)
{
    std::string bytes;
    for (const char *p = hex; p[0] && p[1]; p += 2)
        bytes += static_cast<char>(std::strtol(std::string(p, 2).c_str(), nullptr, 16));
    if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) < 0)
        std::exit(100);
}

int main(int argc, char *argv[])
{
    if (argc > 1)
        writeHex(STDOUT_FILENO, argv[1]);
    if (argc > 2)
        writeHex(STDERR_FILENO, argv[2]);
    return argc > 3 ? std::atoi(argv[3]) : 0;
}
