#pragma once
// The application-wide commands: a new window with fresh state, "About
// Veristamp", which every open window answers by opening its own About sheet,
// and "Open…", which the window it names answers with its open panel.
// One instance per QML engine (a singleton); each window connects to it.
// On macOS the commands live in the menu bar (About in the application menu,
// New Window in File); elsewhere each window offers them itself through a
// shortcut and a context menu, so the top bar keeps its layout.

#include <QObject>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

#include <memory>

class AppCommands : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    // False where the menu bar carries the commands (macOS).
    Q_PROPERTY(bool commandsInWindow READ commandsInWindow CONSTANT)

public:
    explicit AppCommands(QObject *parent = nullptr);
    ~AppCommands() override;

    bool commandsInWindow() const;

    // Opens another main window through the engine that made this instance.
    Q_INVOKABLE void newWindow();
    Q_INVOKABLE void showAbout();
    // "Open…" for a window; without one (no window is active) in a new window.
    Q_INVOKABLE void openPackage(QQuickWindow *window);
    // Called by each main window once it exists: closing it destroys it (and
    // with it its state), and on macOS its title bar is hidden. Returns the
    // width the window's own buttons take at its top leading corner, which
    // the top bar keeps clear (0 where the buttons are not in the content).
    Q_INVOKABLE qreal prepareWindow(QQuickWindow *window);

signals:
    void showAboutRequested();
    void openPackageRequested(QQuickWindow *window);

private:
    std::unique_ptr<QObject> m_menuBar;
};
