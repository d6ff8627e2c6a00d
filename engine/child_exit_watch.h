#pragma once
// Learns that a child program has ended the moment it does, without reaping
// it and without sleeping in steps: a pidfd on Linux, a kqueue process filter
// on macOS. Where the system offers neither (an old kernel, a sandbox that
// refuses the call), the watch is unusable and the caller falls back to
// looking now and then.

#include <chrono>
#include <sys/types.h>

class ChildExitWatch {
public:
    explicit ChildExitWatch(pid_t pid);
    ~ChildExitWatch();
    ChildExitWatch(const ChildExitWatch &) = delete;
    ChildExitWatch &operator=(const ChildExitWatch &) = delete;

    bool usable() const { return m_fd >= 0 || m_ended; }
    // Blocks until the child has ended (true) or the timeout has passed, a
    // signal interrupted the wait, or the watch is unusable (false).
    bool waitFor(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    bool m_ended = false; // known to have ended already when the watch was set up
};
