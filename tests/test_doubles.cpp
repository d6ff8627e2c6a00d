#include "test_doubles.h"

#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <mutex>

struct ToolScript::Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    bool reached = false;
    QStringList calls;
};

ToolScript::ToolScript(Answer answer, QStringList holdAt)
    : m_gate(std::make_shared<Gate>()), m_answer(std::move(answer)), m_holdAt(std::move(holdAt))
{
}

// A run outlives its window; it must not wait for a test that has ended.
ToolScript::~ToolScript()
{
    release();
}

ReleaseTools ToolScript::tools() const
{
    return ReleaseTools{[gate = m_gate, answer = m_answer, holdAt = m_holdAt](const ToolCall &call) {
        const QStringList key{call.executable, call.arguments.value(0)};
        {
            std::unique_lock lock(gate->mutex);
            gate->calls << key.join(QLatin1Char(' '));
            if (!holdAt.isEmpty() && key == holdAt) {
                gate->reached = true;
                gate->opened.wait(lock, [&gate] { return gate->open; });
            }
        }
        return answer ? answer(call) : Shell::DataResult{};
    }};
}

void ToolScript::release()
{
    {
        std::lock_guard lock(m_gate->mutex);
        m_gate->open = true;
    }
    m_gate->opened.notify_all();
}

bool ToolScript::holding() const
{
    std::lock_guard lock(m_gate->mutex);
    return m_gate->reached;
}

QStringList ToolScript::calls() const
{
    std::lock_guard lock(m_gate->mutex);
    return m_gate->calls;
}

Shell::DataResult mixedToolOutcomes(const ToolCall &call)
{
    const QString first = call.arguments.value(0);
    if (first == "-dv" && call.arguments.last().endsWith(".dmg"))
        return {0, {}, "Authority=Developer ID Application: Jane Doe (ABCDE12345)\n"};
    if (first == "-dv")
        return {0, {}, "Authority=Apple Development: Jane Doe (ABCDE12345)\nflags=0x10000(runtime)\n"};
    if (first == "stapler")
        return {65, {}, "does not have a ticket stapled to it.\n"};
    return {};
}

void ManualClock::callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due)
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

void ManualClock::advanceTo(std::chrono::nanoseconds moment)
{
    while (true) {
        const auto next = std::min_element(m_waits.begin(), m_waits.end(),
                                           [](const Wait &a, const Wait &b) { return a.at < b.at; });
        if (next == m_waits.end() || next->at > moment)
            break;
        const Wait wait = *next;
        m_waits.erase(next);
        m_now = std::max(m_now, wait.at);
        if (wait.context)
            wait.due();
    }
    m_now = std::max(m_now, moment);
}
