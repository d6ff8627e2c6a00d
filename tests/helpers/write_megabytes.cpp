// Writes N MiB of a counting byte pattern (byte i is i % 251) to standard
// output and M MiB to standard error: write_megabytes N M.
#include <cstdlib>
#include <unistd.h>
#include <vector>

static void writePattern(int fd, long mebibytes)
{
    std::vector<char> block(1 << 20);
    long index = 0;
    for (long m = 0; m < mebibytes; ++m) {
        for (char &byte : block)
            byte = static_cast<char>(index++ % 251);
        for (size_t done = 0; done < block.size();) {
            const ssize_t n = write(fd, block.data() + done, block.size() - done);
            if (n < 0)
                std::exit(100);
            done += static_cast<size_t>(n);
        }
    }
}

int main(int argc, char *argv[])
{
    writePattern(STDOUT_FILENO, argc > 1 ? std::atol(argv[1]) : 0);
    writePattern(STDERR_FILENO, argc > 2 ? std::atol(argv[2]) : 0);
    return 0;
}
