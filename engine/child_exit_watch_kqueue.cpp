#include "engine/child_exit_watch.h"

#include <cerrno>
#include <sys/event.h>
#include <sys/time.h>
#include <unistd.h>

// A process filter on a private kqueue fires when the child exits. A child
// that has already exited (a zombie the runner has not reaped) cannot be
// registered: that refusal (ESRCH) is itself the news.
ChildExitWatch::ChildExitWatch(pid_t pid)
{
    m_fd = ::kqueue();
    if (m_fd < 0)
        return;
    struct kevent change;
    EV_SET(&change, static_cast<uintptr_t>(pid), EVFILT_PROC, EV_ADD | EV_ONESHOT, NOTE_EXIT, 0, nullptr);
    if (::kevent(m_fd, &change, 1, nullptr, 0, nullptr) == 0)
        return;
    m_ended = errno == ESRCH;
    ::close(m_fd);
    m_fd = -1;
}

ChildExitWatch::~ChildExitWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ChildExitWatch::waitFor(std::chrono::milliseconds timeout)
{
    if (m_ended)
        return true;
    if (m_fd < 0)
        return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec limit{static_cast<time_t>(seconds.count()),
                         static_cast<long>(std::chrono::nanoseconds(timeout - seconds).count())};
    struct kevent event;
    return ::kevent(m_fd, nullptr, 0, &event, 1, &limit) > 0;
}
