#include "window_harness.h"

#include "ui/engine_setup.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

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

void WindowHarness::prepareRuns(const ReleaseTools &tools, bool atRealPace)
{
    for (int index = 0; index < windows().size(); ++index) {
        state(index)->setReleaseTools(tools);
        state(index)->setPacingClock(atRealPace ? nullptr : &m_clock);
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
