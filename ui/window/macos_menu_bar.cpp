#include "ui/window/macos_menu_bar.h"

#include "ui/window/app_commands.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QQuickWindow>

std::unique_ptr<QObject> makeApplicationMenuBar(AppCommands &commands)
{
    // A menu bar without a parent is the application-wide one on macOS.
    auto menuBar = std::make_unique<QMenuBar>();

    QMenu *fileMenu = menuBar->addMenu(QStringLiteral("File"));
    QAction *newWindow = fileMenu->addAction(QStringLiteral("New Window"));
    newWindow->setShortcut(QKeySequence::New);
    QObject::connect(newWindow, &QAction::triggered, &commands, &AppCommands::newWindow);

    QAction *open = fileMenu->addAction(QStringLiteral("Open\u2026"));
    open->setShortcut(QKeySequence::Open);
    QObject::connect(open, &QAction::triggered, &commands, [&commands] {
        commands.openPackage(qobject_cast<QQuickWindow *>(QGuiApplication::focusWindow()));
    });

    // The About role moves the item into the application menu, where it
    // takes the standard About item's place.
    QAction *about = fileMenu->addAction(QStringLiteral("About Veristamp"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, &commands, &AppCommands::showAbout);

    return menuBar;
}
