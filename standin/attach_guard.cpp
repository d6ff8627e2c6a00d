#include "attach_guard.h"

#include "volume_folders.h"

#include <csignal>
#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

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

void holdUntilStopped()
{
    for (;;) {
        stopIfInterrupted();
        if (wakeUp[0] < 0) {
            ::pause();
            continue;
        }
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(wakeUp[0], &ready);
        ::select(wakeUp[0] + 1, &ready, nullptr, nullptr, nullptr);
    }
}

void endWithParent()
{
#ifdef __linux__
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) // it ended before the request was in place
        ::raise(SIGTERM);
#endif
}
