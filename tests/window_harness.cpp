#include "window_harness.h"

#include "ui/engine_setup.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>

struct ToolScript::Gate {
    QMutex mutex;
    QWaitCondition opened;
    bool open = false;

    void wait()
    {
        QMutexLocker lock(&mutex);
        while (!open)
            opened.wait(&mutex);
    }
    void release()
    {
        QMutexLocker lock(&mutex);
        open = true;
        opened.wakeAll();
    }
};

ToolScript::ToolScript(Answer answer, QStringList holdAt)
    : m_gate(std::make_shared<Gate>()), m_answer(std::move(answer)), m_holdAt(std::move(holdAt))
{
}

// A run outlives its window; it must not wait for a test that has ended.
ToolScript::~ToolScript()
{
    m_gate->release();
}

ReleaseTools ToolScript::tools() const
{
    return ReleaseTools{[gate = m_gate, answer = m_answer, holdAt = m_holdAt](const ToolCall &call) {
        const QStringList key{call.executable, call.arguments.value(0)};
        if (!holdAt.isEmpty() && key == holdAt)
            gate->wait();
        return answer ? answer(call) : Shell::DataResult{};
    }};
}

void ToolScript::release()
{
    m_gate->release();
}

PacingClock virtualPacingClock()
{
    auto elapsed = std::make_shared<std::atomic<std::int64_t>>(0);
    return PacingClock{
        [elapsed] { return std::chrono::nanoseconds(elapsed->load()); },
        [elapsed](std::chrono::nanoseconds duration) { elapsed->fetch_add(duration.count()); },
    };
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

WindowHarness::WindowHarness()
{
    setUpEngine(m_engine);
    m_engine.load(mainWindowUrl());
}

WindowHarness::~WindowHarness() = default;

QQmlApplicationEngine &WindowHarness::engine()
{
    return m_engine;
}

QList<QQuickWindow *> WindowHarness::windows() const
{
    QList<QQuickWindow *> windows;
    for (QObject *object : m_engine.rootObjects()) {
        if (auto *window = qobject_cast<QQuickWindow *>(object))
            windows << window;
    }
    return windows;
}

QQuickWindow *WindowHarness::window(int index) const
{
    return windows().value(index);
}

ContentViewState *WindowHarness::state(int index) const
{
    QQuickWindow *w = window(index);
    return w ? w->findChild<ContentViewState *>() : nullptr;
}

QQuickItem *WindowHarness::item(const QString &objectName, int index) const
{
    QQuickWindow *w = window(index);
    return w ? w->findChild<QQuickItem *>(objectName) : nullptr;
}

QPointF WindowHarness::centreOf(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
}

void WindowHarness::prepareRuns(const ReleaseTools &tools, const PacingClock &clock)
{
    for (int index = 0; index < windows().size(); ++index) {
        state(index)->setReleaseTools(tools);
        state(index)->setPacingClock(clock);
    }
}

bool WindowHarness::hover(QQuickWindow *window, QPointF at, const QMimeData &data)
{
    const QPoint point = at.toPoint();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    return move.isAccepted();
}

void WindowHarness::leave(QQuickWindow *window)
{
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(window, &leave);
}

bool WindowHarness::drop(QQuickWindow *window, QPointF at, const QMimeData &data)
{
    hover(window, at, data);
    QDropEvent drop(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}
