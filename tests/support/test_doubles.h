#pragma once
// Stand-ins for the world around a run, shared by the tests and the screen
// renders: release tools answered by a script (and able to hold a run at a
// chosen call), one set of tool outcomes of every colour, and a pacing clock that moves only when a test, or the run itself, moves it.

#include "contract/release_tool_contract.h"
#include "engine/release_tools.h"
#include "live/pacing_clock.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Answers each tool call by a script; a call whose executable and first
// argument match `holdAt` waits until release() (or the script's end).
// Calls come from the run's thread.
class ToolScript {
public:
    using Answer = std::function<Program::DataResult(const ToolCall &)>;

    explicit ToolScript(Answer answer = {}, QStringList holdAt = {}) : m_answer(std::move(answer)), m_holdAt(std::move(holdAt)) {}
    // A run outlives its window; it must not wait for a test that has ended.
    ~ToolScript() { release(); }

    // `limits`: the questions this host leaves to a Mac, as under the stand-ins.
    ReleaseTools tools(HostLimits limits = {}) const
    {
        return ReleaseTools{[gate = m_gate, answer = m_answer, holdAt = m_holdAt](const ToolCall &call) {
            const QStringList key{call.executable, call.arguments.value(0)};
            std::unique_lock lock(gate->mutex);
            gate->calls << key.join(QLatin1Char(' '));
            gate->reached = gate->reached || key == holdAt;
            gate->opened.wait(lock, [&] { return gate->open || key != holdAt; });
            lock.unlock();
            return answer ? answer(call) : Program::DataResult{};
        }, std::move(limits)};
    }
    void release()
    {
        std::lock_guard lock(m_gate->mutex);
        m_gate->open = true;
        m_gate->opened.notify_all();
    }
    // True once a call reached the hold.
    bool holding() const
    {
        std::lock_guard lock(m_gate->mutex);
        return m_gate->reached;
    }
    // "<executable> <first argument>" of every call so far, in order.
    QStringList calls() const
    {
        std::lock_guard lock(m_gate->mutex);
        return m_gate->calls;
    }

private:
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        bool reached = false;
        QStringList calls;
    };
    std::shared_ptr<Gate> m_gate = std::make_shared<Gate>();
    Answer m_answer;
    QStringList m_holdAt;
};

// The app signed for development only, with the Hardened Runtime flag; the
// image Developer ID signed but without a stapled ticket; everything else
// succeeds silently.
inline Program::DataResult mixedToolOutcomes(const ToolCall &call)
{
    const QString first = call.arguments.value(0);
    if (first == "-dv" && call.arguments.last().endsWith(".dmg"))
        return {0, {}, "Authority=Developer ID Application: Jane Doe (ABCDE12345)\n"};
    if (first == "-dv")
        return {0, {}, "Authority=Apple Development: Jane Doe (ABCDE12345)\nCodeDirectory flags=0x10000(runtime)\n"};
    if (first == "stapler")
        return {65, {}, "does not have a ticket stapled to it.\n"};
    return {};
}

// The same, on a host that leaves the ticket's signature and Gatekeeper to a
// Mac (run with standInToolRoot's limits).
inline Program::DataResult macOnlyToolOutcomes(const ToolCall &call)
{
    const QString first = call.arguments.value(0);
    if (first == "stapler" || first == "--assess")
        return {kUndecidedStatus, {}, {}};
    return mixedToolOutcomes(call);
}

// Time on the main thread that moves only by advanceTo(); an eager clock
// instead makes each wait at once, moving time on by the wait, so a paced
// run completes as fast as its inspection.
class ManualClock : public PacingClock {
public:
    explicit ManualClock(bool eager = false) : m_eager(eager) {}

    std::chrono::nanoseconds now() const override { return m_now; }
    void callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due) override
    {
        if (!m_eager) {
            m_waits.push_back({m_now + delay, context, std::move(due)});
            return;
        }
        QTimer::singleShot(0, context, [this, at = m_now + delay, due = std::move(due)] {
            m_now = std::max(m_now, at);
            due();
        });
    }
    // Makes every call due by `moment`, in time order, time standing at each.
    void advanceTo(std::chrono::nanoseconds moment)
    {
        for (auto next = earliest(); next != m_waits.end() && next->at <= moment; next = earliest()) {
            const Wait wait = *next;
            m_waits.erase(next);
            m_now = std::max(m_now, wait.at);
            if (wait.context)
                wait.due();
        }
        m_now = std::max(m_now, moment);
    }

private:
    struct Wait {
        std::chrono::nanoseconds at;
        QPointer<QObject> context;
        std::function<void()> due;
    };
    std::vector<Wait>::iterator earliest()
    {
        return std::min_element(m_waits.begin(), m_waits.end(), [](const Wait &a, const Wait &b) { return a.at < b.at; });
    }
    bool m_eager;
    std::chrono::nanoseconds m_now{0};
    std::vector<Wait> m_waits;
};
