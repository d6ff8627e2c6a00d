// Creates the file named by its argument: proof that it was started.
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const int fd = open(argv[1], O_WRONLY | O_CREAT, 0600);
    return fd >= 0 && close(fd) == 0 ? 0 : 1;
}
