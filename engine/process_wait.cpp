#include "engine/process_wait.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;

// A program that ignores SIGTERM gets this long to tidy up before SIGKILL.
constexpr auto kGrace = std::chrono::seconds(2);

void pause(std::chrono::microseconds interval)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(interval);
    timespec delay{static_cast<time_t>(seconds.count()),
                   static_cast<long>(std::chrono::nanoseconds(interval - seconds).count())};
    while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

// The pid when the program has ended (status filled in), 0 while it runs, -1 on error.
pid_t reaped(pid_t pid, int *status, int options)
{
    pid_t waited = 0;
    do {
        waited = ::waitpid(pid, status, options);
    } while (waited < 0 && errno == EINTR);
    return waited;
}

std::optional<int> statusOf(pid_t waited, pid_t pid, int status)
{
    return waited == pid ? std::optional<int>(status) : std::nullopt;
}

// Sends the signal and waits until the deadline for the program to go.
// Zero when it is still there.
pid_t endedBy(pid_t pid, int signal, Clock::time_point deadline, int *status)
{
    ::kill(pid, signal);
    for (;;) {
        const pid_t waited = reaped(pid, status, WNOHANG);
        if (waited != 0 || Clock::now() >= deadline)
            return waited;
        pause(std::chrono::milliseconds(10));
    }
}

} // namespace

ProcessEnd waitForProcess(pid_t pid, const std::atomic<bool> *stop)
{
    int status = 0;
    if (!stop) {
        const pid_t waited = reaped(pid, &status, 0);
        return ProcessEnd{statusOf(waited, pid, status), false};
    }

    // Most tools are done within milliseconds: look often at first, then
    // settle at a pace that costs nothing and still answers a stop at once.
    auto interval = std::chrono::microseconds(250);
    for (;;) {
        const pid_t waited = reaped(pid, &status, WNOHANG);
        if (waited != 0)
            return ProcessEnd{statusOf(waited, pid, status), false};
        if (stop->load())
            break;
        pause(interval);
        interval = std::min<std::chrono::microseconds>(interval * 2, std::chrono::milliseconds(20));
    }
    pid_t waited = endedBy(pid, SIGTERM, Clock::now() + kGrace, &status);
    if (waited == 0) {
        ::kill(pid, SIGKILL);
        waited = reaped(pid, &status, 0);
    }
    return ProcessEnd{statusOf(waited, pid, status), true};
}
