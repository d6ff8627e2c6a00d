#pragma once
// Packages the system hands to the application rather than to a window:
// Finder's "Open With", a drop on the Dock icon (QFileOpenEvent on macOS).
// Each goes through a window's intake exactly as a drop does, refusal beep
// included. The active window takes it when it shows the landing screen,
// else another window on its landing screen, else a new window, so a run or
// a result on screen is never replaced.

#include <QObject>
#include <QUrl>

class ContentViewState;
// The generated meta-object code needs the whole type of ContentViewState *.
Q_MOC_INCLUDE("ui/views/content_view_state.h")
class QQmlApplicationEngine;

class FileOpenIntake : public QObject {
    Q_OBJECT

public:
    // Windows are found among, and opened through, the engine's root objects.
    explicit FileOpenIntake(QQmlApplicationEngine &engine, QObject *parent = nullptr);

    void openPackage(const QUrl &url);

protected:
    // Installed on the application: takes its FileOpen events.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ContentViewState *receivingState();

    QQmlApplicationEngine &m_engine;
};
