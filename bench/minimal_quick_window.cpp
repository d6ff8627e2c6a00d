// The yardstick for the window's cold start: the least a Qt Quick program
// does to put one window on screen (a Gui application, an engine, one
// declarative rectangle).

#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick\nWindow { width: 760; height: 560; visible: true; color: \"#1a1a1a\"\n"
                    "Rectangle { anchors.fill: parent; anchors.margins: 40; radius: 12; color: \"#262626\" } }");
    return engine.rootObjects().isEmpty() ? 1 : QGuiApplication::exec();
}
