#pragma once
// What every QML engine showing Veristamp's windows needs, shared by the
// application and the tests: the Controls style, the symbol images and the
// root window's location.

#include <QUrl>

class QObject;
class QQmlApplicationEngine;
class QQmlEngine;

// Before the first engine exists: the plain "Basic" Controls style, which
// every screen is drawn against.
void setUpQuickControlsStyle();

// The "symbol" image provider.
void setUpEngine(QQmlEngine &engine);

// The main window (Main.qml in the Veristamp module's resources).
QUrl mainWindowUrl();

// Loads one more main window into the engine, which tracks it as a root
// object; the window, or nullptr when it did not load.
QObject *openMainWindow(QQmlApplicationEngine &engine);
