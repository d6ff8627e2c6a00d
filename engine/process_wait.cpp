#include "engine/process_wait.h"

#include "engine/child_exit_watch.h"

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
// How often the stop flag is looked at while the program runs. The program's
// own end wakes the wait at once, whatever this is.
constexpr auto kStopLook = std::chrono::milliseconds(25);
// Without a watch the end itself is only seen this often.
constexpr auto kFallbackLook = std::chrono::milliseconds(2);

void pause(std::chrono::milliseconds interval)
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

// As reaped(), after waiting at most `timeout` for the program to end.
pid_t reapedWithin(ChildExitWatch &watch, pid_t pid, int *status, std::chrono::milliseconds timeout)
{
    if (const pid_t waited = reaped(pid, status, WNOHANG); waited != 0)
        return waited;
    if (watch.usable())
        watch.waitFor(timeout);
    else
        pause(std::min(timeout, std::chrono::milliseconds(kFallbackLook)));
    return reaped(pid, status, WNOHANG);
}

std::optional<int> statusOf(pid_t waited, pid_t pid, int status)
{
    return waited == pid ? std::optional<int>(status) : std::nullopt;
}

// Sends the signal and waits until the deadline for the program to go.
// Zero when it is still there.
pid_t endedBy(ChildExitWatch &watch, pid_t pid, int signal, Clock::time_point deadline, int *status)
{
    ::kill(pid, signal);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const pid_t waited = reapedWithin(watch, pid, status, std::clamp(left, std::chrono::milliseconds(0), kStopLook));
        if (waited != 0 || Clock::now() >= deadline)
            return waited;
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

    ChildExitWatch watch(pid);
    for (;;) {
        const pid_t waited = reapedWithin(watch, pid, &status, kStopLook);
        if (waited != 0)
            return ProcessEnd{statusOf(waited, pid, status), false};
        if (stop->load())
            break;
    }
    pid_t waited = endedBy(watch, pid, SIGTERM, Clock::now() + kGrace, &status);
    if (waited == 0) {
        ::kill(pid, SIGKILL);
        waited = reaped(pid, &status, 0);
    }
    return ProcessEnd{statusOf(waited, pid, status), true};
}
