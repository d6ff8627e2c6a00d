#include "engine/child_exit_watch.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

// A pidfd becomes readable when the process ends, zombie or not; the pid
// cannot be reused meanwhile, since only the runner reaps it.
ChildExitWatch::ChildExitWatch(pid_t pid)
{
#ifdef SYS_pidfd_open
    m_fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
#endif
}

ChildExitWatch::~ChildExitWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ChildExitWatch::waitFor(std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        return false;
    pollfd watched{m_fd, POLLIN, 0};
    return ::poll(&watched, 1, static_cast<int>(timeout.count())) > 0;
}
