#include "attach_guard.h"

#include "volume_folders.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t caughtSignal = 0;
int wakeUp[2] = {-1, -1}; // written by the handler, so a wait never misses a signal
QString heldVolume;

extern "C" void noteSignal(int number)
{
    if (caughtSignal == 0)
        caughtSignal = number;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &byte, 1);
}

} // namespace

void guardAttach()
{
    if (::pipe(wakeUp) != 0)
        return; // the signals keep their default action: nothing is half-guarded
    for (const int fd : wakeUp) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART; // select still wakes: the handler writes to the pipe
    sigemptyset(&action.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

void holdVolume(const QString &mountPoint)
{
    heldVolume = mountPoint;
}

void stopIfInterrupted()
{
    const int number = caughtSignal;
    if (number == 0)
        return;
    if (!heldVolume.isEmpty())
        removeVolumeFolder(heldVolume);
    std::signal(number, SIG_DFL);
    std::raise(number);
    ::_exit(128 + number);
}

bool interruptionPending()
{
    return caughtSignal != 0;
}

void waitUntilInputCloses()
{
    for (;;) {
        stopIfInterrupted();
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(STDIN_FILENO, &ready);
        if (wakeUp[0] >= 0)
            FD_SET(wakeUp[0], &ready);
        if (::select(std::max(STDIN_FILENO, wakeUp[0]) + 1, &ready, nullptr, nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (!FD_ISSET(STDIN_FILENO, &ready))
            continue;
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return;
    }
}
