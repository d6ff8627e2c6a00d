#pragma once
// Waiting for a program the command runner started. Without a stop flag the
// wait simply blocks until the program exits. With one, the wait still wakes
// the moment the program ends (see ChildExitWatch) and looks at the flag in
// between; once it is raised the program is asked to end
// (SIGTERM), killed (SIGKILL) if it is still there after a grace period, and
// reaped either way, so no program outlives a stopped run.

#include <atomic>
#include <optional>
#include <sys/types.h>

struct ProcessEnd {
    std::optional<int> waitStatus; // empty when the program could not be waited for
    bool stopped = false;          // the flag was raised and the program had to be ended
};

ProcessEnd waitForProcess(pid_t pid, const std::atomic<bool> *stop);
