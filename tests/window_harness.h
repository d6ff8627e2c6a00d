#pragma once
// Main windows on the offscreen platform for tests and screen renders: one
// QML engine loading Main.qml as the application does, scripted release tools
// that can hold a run at a chosen call, a virtual pacing clock, and drags
// sent to a window at a point.

#include "engine/inspection_run.h"
#include "engine/release_tools.h"
#include "ui/content_view_state.h"

#include <QList>
#include <QMimeData>
#include <QPointF>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

#include <functional>
#include <memory>

// Answers each tool call by a script; a call whose executable and first
// argument match `holdAt` waits until release() (or the gate's end).
class ToolScript {
public:
    using Answer = std::function<Shell::DataResult(const ToolCall &)>;

    explicit ToolScript(Answer answer = {}, QStringList holdAt = {});
    ~ToolScript();
    ToolScript(const ToolScript &) = delete;
    ToolScript &operator=(const ToolScript &) = delete;

    ReleaseTools tools() const;
    void release();

private:
    struct Gate;
    std::shared_ptr<Gate> m_gate;
    Answer m_answer;
    QStringList m_holdAt;
};

// Time that passes only when the run sleeps: a paced run completes at once.
PacingClock virtualPacingClock();

// Tool answers with outcomes of every colour: the app signed for development
// only, with the Hardened Runtime flag; the image Developer ID signed but
// without a stapled ticket.
Shell::DataResult mixedToolOutcomes(const ToolCall &call);

class WindowHarness {
public:
    WindowHarness();
    ~WindowHarness();

    QQmlApplicationEngine &engine();
    QList<QQuickWindow *> windows() const;
    QQuickWindow *window(int index = 0) const;
    ContentViewState *state(int index = 0) const;
    // The first item of that objectName in a window, or nullptr.
    QQuickItem *item(const QString &objectName, int index = 0) const;
    // The centre of an item in its window's coordinates.
    static QPointF centreOf(const QQuickItem *item);

    // Tools and clock for every window's state from now on.
    void prepareRuns(const ReleaseTools &tools, const PacingClock &clock);

    // A drag entering and moving to a point: true when a target there takes it.
    static bool hover(QQuickWindow *window, QPointF at, const QMimeData &data);
    static void leave(QQuickWindow *window);
    // Hover, then drop at the same point: true when the drop is accepted.
    static bool drop(QQuickWindow *window, QPointF at, const QMimeData &data);

private:
    QQmlApplicationEngine m_engine;
};
