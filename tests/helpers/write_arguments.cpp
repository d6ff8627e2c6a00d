// Writes its arguments, each followed by a NUL byte, to standard output; with
// --stderr first, to standard error instead. No arguments: writes nothing.
#include <cstring>
#include <unistd.h>

int main(int argc, char *argv[])
{
    int fd = STDOUT_FILENO;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--stderr") == 0) {
        fd = STDERR_FILENO;
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        if (write(fd, argv[i], std::strlen(argv[i]) + 1) < 0)
            return 1;
    }
    return 0;
}
