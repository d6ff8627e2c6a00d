// Veristamp: creates the application and opens its first window, or one per
// package named on the command line. Everything else happens inside the
// windows (Main.qml).

#include "ui/engine_setup.h"
#include "ui/launch_packages.h"

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
    setUpQuickControlsStyle();

    QQmlApplicationEngine engine;
    setUpEngine(engine);
    // `veristamp PATH...`: a window per package, each inspecting it at once.
    if (!openMainWindows(engine, packagesFromArguments(QApplication::arguments())))
        return 1;
    return QApplication::exec();
}
