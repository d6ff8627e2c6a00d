// Writes where its standard output and standard error lead, one path a line,
// to standard output (Linux: read through /proc/self/fd).
#include <string>
#include <unistd.h>

int main()
{
    std::string text;
    for (const char *fd : {"/proc/self/fd/1", "/proc/self/fd/2"}) {
        char target[4096];
        const ssize_t n = readlink(fd, target, sizeof target);
        if (n < 0)
            return 1;
        text.append(target, static_cast<size_t>(n)).append("\n");
    }
    return write(STDOUT_FILENO, text.data(), text.size()) < 0 ? 1 : 0;
}
