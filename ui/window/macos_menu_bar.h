#pragma once
// macOS only: the menu bar of the application. "About Veristamp" replaces the
// standard About item of the application menu; File holds New Window and
// Open… (for the active window). All other items are the platform's own.

#include <QObject>

#include <memory>

class AppCommands;

std::unique_ptr<QObject> makeApplicationMenuBar(AppCommands &commands);
