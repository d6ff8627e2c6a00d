// Writes "dying" on standard error, then kills itself with signal N.
#include <csignal>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (write(STDERR_FILENO, "dying", 5) < 0)
        return 100;
    const int number = argc > 1 ? std::atoi(argv[1]) : SIGKILL;
    std::signal(number, SIG_DFL);
    std::raise(number);
    return 101;
}
