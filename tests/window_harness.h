#pragma once
// Main windows on the offscreen platform for tests and screen renders: one
// QML engine loading Main.qml as the application does, scripted release tools
// (test_doubles.h), and drags sent to a window at a point.

#include "engine/release_tools.h"
#include "test_doubles.h"
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

    // Tools for every window's state from now on; their runs complete as fast
    // as their inspection, unless at the real pace.
    void prepareRuns(const ReleaseTools &tools, bool atRealPace = false);

    // A drag entering and moving to a point: true when a target there takes it.
    static bool hover(QQuickWindow *window, QPointF at, const QMimeData &data);
    static void leave(QQuickWindow *window);
    // Hover, then drop at the same point: true when the drop is accepted.
    static bool drop(QQuickWindow *window, QPointF at, const QMimeData &data);

private:
    ManualClock m_clock{true};
    QQmlApplicationEngine m_engine;
};
