#pragma once
// Packages named on the command line: `veristamp PATH...` opens one main
// window per path and starts its inspection there, through the window's
// intake as if the package had been dropped (a path the intake refuses
// leaves its window on the landing screen, with the beep). Without paths one
// empty window opens.

#include <QList>
#include <QStringList>
#include <QUrl>

#include <functional>

class ContentViewState;
class QQmlApplicationEngine;

// The package paths of a command line: every argument after the program's
// name that does not start with "-" (the platform's and Qt's own options
// do), made absolute against the working directory.
QList<QUrl> packagesFromArguments(const QStringList &arguments);

// Opens the windows; `prepare` sees each window's state before its
// inspection starts (a test sets its tools there). False when a window could
// not be loaded.
bool openMainWindows(QQmlApplicationEngine &engine, const QList<QUrl> &packages,
                     const std::function<void(ContentViewState &)> &prepare = {});
