#pragma once
// Main windows on the offscreen platform for tests and screen renders: one
// QML engine loading Main.qml as the application does (or a window of the
// test's own), scripted release tools (test_doubles.h), drags sent to a
// window at a point, and a save dialog.

#include "engine/release_tools.h"
#include "report/report_saving.h"
#include "test_doubles.h"
#include "ui/views/content_view_state.h"
#include "ui/window/engine_setup.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>

// The save dialog answering with a fixed path (none: cancelled), recording
// the names it proposed and the failures shown.
struct FakeSaveDialogs : ReportSaveDialogs {
    std::optional<QString> answer;
    QStringList proposedNames;
    QStringList failures;

    std::optional<QString> chooseReportLocation(const QString &proposed) override
    {
        proposedNames << proposed;
        return answer;
    }
    void showSaveFailure(const QString &errorDescription) override { failures << errorDescription; }
};

class WindowHarness {
public:
    // The application outlives the windows a test closes.
    explicit WindowHarness(const QByteArray &qml = {})
    {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        setUpEngine(m_engine);
        m_engine.addImportPath(QStringLiteral("qrc:/"));
        qml.isEmpty() ? m_engine.load(mainWindowUrl()) : m_engine.loadData(qml);
    }

    QQmlApplicationEngine &engine() { return m_engine; }
    QList<QQuickWindow *> windows() const
    {
        QList<QQuickWindow *> windows;
        for (QObject *object : m_engine.rootObjects()) {
            if (auto *window = qobject_cast<QQuickWindow *>(object))
                windows << window;
        }
        return windows;
    }
    QQuickWindow *window(int index = 0) const { return windows().value(index); }
    ContentViewState *state(int index = 0) const { return window(index)->findChild<ContentViewState *>(); }
    // The first item of that objectName in a window, or nullptr.
    QQuickItem *item(const QString &objectName, int index = 0) const
    {
        return window(index)->findChild<QQuickItem *>(objectName);
    }
    // The centre of an item in its window's coordinates.
    static QPointF centreOf(const QQuickItem *item) { return item->mapToScene(QPointF(item->width(), item->height()) / 2); }

    // Tools for every window's state from now on; their runs complete as fast
    // as their inspection, unless at the real pace.
    void prepareRuns(const ReleaseTools &tools, bool atRealPace = false)
    {
        for (int index = 0; index < windows().size(); ++index) {
            state(index)->setReleaseTools(tools);
            state(index)->setPacingClock(atRealPace ? nullptr : &m_clock);
        }
    }

    // A drag entering and moving to a point: true when a target there takes it.
    static bool hover(QQuickWindow *window, QPointF at, const QMimeData &data)
    {
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
        return move.isAccepted();
    }
    static void leave(QQuickWindow *window)
    {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window, &leave);
    }
    // Hover, then drop at the same point: true when the drop is accepted.
    static bool drop(QQuickWindow *window, QPointF at, const QMimeData &data)
    {
        hover(window, at, data);
        QDropEvent drop(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return drop.isAccepted();
    }

private:
    ManualClock m_clock{true};
    QQmlApplicationEngine m_engine;
};
