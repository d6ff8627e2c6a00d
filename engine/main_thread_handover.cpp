#include "engine/main_thread_handover.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

class Reply {
public:
    void give(bool answer)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_answer)
                return;
            m_answer = answer;
        }
        m_answered.notify_all();
    }

    bool await()
    {
        std::unique_lock lock(m_mutex);
        m_answered.wait(lock, [this] { return m_answer.has_value(); });
        return *m_answer;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::optional<bool> m_answer;
};

// Travels inside the queued work: if the work is destroyed without having
// run (its event dropped at application exit), the waiting thread still wakes.
class ReplyGuard {
public:
    explicit ReplyGuard(std::shared_ptr<Reply> reply) : m_reply(std::move(reply)) {}
    ReplyGuard(const ReplyGuard &) = delete;
    ReplyGuard &operator=(const ReplyGuard &) = delete;
    ~ReplyGuard() { m_reply->give(false); }

    void give(bool answer) { m_reply->give(answer); }

private:
    std::shared_ptr<Reply> m_reply;
};

struct HandOverRegistry {
    std::mutex mutex;
    bool routineInstalled = false;
    bool closed = false;
    std::vector<std::shared_ptr<Reply>> waiting;
};

HandOverRegistry &registry()
{
    static HandOverRegistry instance;
    return instance;
}

// Runs as a post routine, on the main thread, at the start of the
// application object's destruction: before it waits for the global thread
// pool, and after the last event has been processed.
void closeHandOvers()
{
    std::vector<std::shared_ptr<Reply>> waiting;
    {
        HandOverRegistry &handOvers = registry();
        std::lock_guard lock(handOvers.mutex);
        handOvers.closed = true;
        handOvers.routineInstalled = false;
        waiting.swap(handOvers.waiting);
    }
    for (const std::shared_ptr<Reply> &reply : waiting)
        reply->give(false);
}

void forget(const std::shared_ptr<Reply> &reply)
{
    HandOverRegistry &handOvers = registry();
    std::lock_guard lock(handOvers.mutex);
    std::erase(handOvers.waiting, reply);
}

// Qt's event queue and thread pool pass work on through locks of their own,
// which ThreadSanitizer cannot see (Qt is not built with it). So every hand-over
// is made under the registry mutex, and the receiving side takes that mutex
// once before it touches what it was given: the order is then visible to it.
void acknowledgeHandOver()
{
    std::lock_guard lock(registry().mutex);
}

} // namespace

void prepareMainThreadHandOver()
{
    HandOverRegistry &handOvers = registry();
    std::lock_guard lock(handOvers.mutex);
    if (handOvers.routineInstalled)
        return;
    // Post routines are run and forgotten by each application object; a new
    // application object (a test program may make several) gets its own.
    qAddPostRoutine(closeHandOvers);
    handOvers.routineInstalled = true;
    handOvers.closed = false;
}

bool runOnMainThreadAndWait(std::function<bool()> work)
{
    auto reply = std::make_shared<Reply>();
    {
        HandOverRegistry &handOvers = registry();
        std::lock_guard lock(handOvers.mutex);
        QCoreApplication *application = QCoreApplication::instance();
        if (handOvers.closed || application == nullptr)
            return false;
        handOvers.waiting.push_back(reply);
        auto guard = std::make_shared<ReplyGuard>(reply);
        QMetaObject::invokeMethod(
            application,
            [guard, work = std::move(work)] {
                acknowledgeHandOver();
                guard->give(work());
            },
            Qt::QueuedConnection);
    }
    const bool answer = reply->await();
    forget(reply);
    return answer;
}

void postToMainThread(std::function<void()> work)
{
    HandOverRegistry &handOvers = registry();
    std::lock_guard lock(handOvers.mutex);
    QCoreApplication *application = QCoreApplication::instance();
    if (handOvers.closed || application == nullptr)
        return;
    QMetaObject::invokeMethod(
        application,
        [work = std::move(work)] {
            acknowledgeHandOver();
            work();
        },
        Qt::QueuedConnection);
}

void startOnWorker(std::function<void()> work)
{
    std::lock_guard lock(registry().mutex);
    // A run spends its life blocked on tools and pacing sleeps, not on the
    // CPU: the runs of several windows must not queue behind one another for
    // want of a thread, however few cores the machine has.
    QThreadPool *pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(std::max(pool->maxThreadCount(), pool->activeThreadCount() + 1));
    pool->start([work = std::move(work)] {
        acknowledgeHandOver();
        work();
    });
}
