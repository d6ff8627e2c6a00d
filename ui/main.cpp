// Veristamp: creates the application and opens its first window. Everything
// else happens inside the windows (Main.qml).

#include "ui/engine_setup.h"
#include "ui/file_open_intake.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

int main(int argc, char *argv[])
{
    // Widgets, not only Gui: report saving uses the platform's modal save
    // panel and alert.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veristamp"));
    // Links the windows to the installed launcher entry (Linux).
    QGuiApplication::setDesktopFileName(QStringLiteral(VERISTAMP_BUNDLE_IDENTIFIER));
    setUpQuickControlsStyle();

    QQmlApplicationEngine engine;
    setUpEngine(engine);
    // Packages opened from Finder or the Dock icon; one that comes with the
    // launch may already have opened the first window.
    FileOpenIntake fileOpenIntake(engine);
    application.installEventFilter(&fileOpenIntake);
    if (engine.rootObjects().isEmpty() && !openMainWindow(engine))
        return 1;
    return QApplication::exec();
}
