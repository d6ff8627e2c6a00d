// Veristamp: creates the application and opens its first window, or one per
// package named on the command line. Everything else happens inside the
// windows (Main.qml).

#include "ui/intake/file_open_intake.h"
#include "ui/intake/launch_packages.h"
#include "ui/window/engine_setup.h"

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
    // `veristamp PATH...`: a window per package, each inspecting it at once.
    const QList<QUrl> packages = packagesFromArguments(QApplication::arguments());
    if ((!packages.isEmpty() || engine.rootObjects().isEmpty()) && !openMainWindows(engine, packages))
        return 1;
    return QApplication::exec();
}
