#include "cli/interruption.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t firstSignal = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "the flag is raised from a signal handler");

const int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void noteSignal(int number)
{
    if (firstSignal == 0)
        firstSignal = number;
    stopRequested.store(true);
}

} // namespace

void watchForInterruptions()
{
    for (const int number : kWatchedSignals) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = noteSignal;
        action.sa_flags = SA_RESTART; // the check's own reads and writes go on whole
        sigemptyset(&action.sa_mask);
        ::sigaction(number, &action, nullptr);
    }
}

int interruptingSignal()
{
    return firstSignal;
}

QString signalName(int number)
{
    switch (number) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return QStringLiteral("signal %1").arg(number);
    }
}

ReleaseTools interruptibleToolsAt(const ToolRoot &toolRoot)
{
    return stoppedBy(releaseToolsAt(toolRoot), &stopRequested);
}
