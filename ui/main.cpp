// Veristamp: creates the application and opens its first window. Everything
// else happens inside the windows (Main.qml).

#include "ui/engine_setup.h"

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
    engine.load(mainWindowUrl());
    if (engine.rootObjects().isEmpty())
        return 1;
    return QApplication::exec();
}
