#include "ui/window/app_commands.h"

#include "ui/access/accessibility_announcer.h"
#include "ui/views/content_view_state.h"
#include "ui/window/engine_setup.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

#ifdef Q_OS_MACOS
#include "ui/window/macos_menu_bar.h"
#include "ui/window/macos_window.h"
#endif

AppCommands::AppCommands(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_MACOS
    m_menuBar = makeApplicationMenuBar(*this);
#endif
}

AppCommands::~AppCommands() = default;

bool AppCommands::commandsInWindow() const
{
#ifdef Q_OS_MACOS
    return false;
#else
    return true;
#endif
}

void AppCommands::newWindow()
{
    // Loading through the application engine lets it track the window as a
    // root object: destroyed with the engine unless closed first.
    if (auto *engine = qobject_cast<QQmlApplicationEngine *>(qmlEngine(this)))
        openMainWindow(*engine);
}

void AppCommands::showAbout()
{
    emit showAboutRequested();
}

void AppCommands::openPackage(QQuickWindow *window)
{
    auto *engine = qobject_cast<QQmlApplicationEngine *>(qmlEngine(this));
    if (!window && engine)
        window = qobject_cast<QQuickWindow *>(openMainWindow(*engine));
    if (window)
        emit openPackageRequested(window);
}

qreal AppCommands::prepareWindow(QQuickWindow *window)
{
    if (!window)
        return 0;
    // By name: the signal's argument type is private to Qt Quick.
    connect(window, SIGNAL(closing(QQuickCloseEvent *)), window, SLOT(deleteLater()));
    refocusForAccessibilityOnActivation(window);
    // Queued: a threaded render loop reports its frames from the render thread.
    if (auto *state = window->findChild<ContentViewState *>()) {
        state->setPacedByScreen(true);
        connect(window, &QQuickWindow::frameSwapped, state, &ContentViewState::screenPainted, Qt::QueuedConnection);
    }
#ifdef Q_OS_MACOS
    return hideTitleBar(*window);
#else
    return 0;
#endif
}
