#include "ui/intake/file_open_intake.h"

#include "ui/views/content_view_state.h"
#include "ui/window/engine_setup.h"

#include <QFileOpenEvent>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QWindow>

namespace {
ContentViewState *landingStateOf(QObject *window)
{
    auto *state = window ? window->findChild<ContentViewState *>() : nullptr;
    return state && state->screen() == ContentViewState::Screen::landing ? state : nullptr;
}
} // namespace

FileOpenIntake::FileOpenIntake(QQmlApplicationEngine &engine, QObject *parent) : QObject(parent), m_engine(engine)
{
}

void FileOpenIntake::openPackage(const QUrl &url)
{
    if (ContentViewState *state = receivingState())
        state->receiveDroppedUrl(url);
}

bool FileOpenIntake::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FileOpen)
        return QObject::eventFilter(watched, event);
    openPackage(static_cast<QFileOpenEvent *>(event)->url());
    return true;
}

ContentViewState *FileOpenIntake::receivingState()
{
    const QList<QObject *> windows = m_engine.rootObjects();
    QObject *active = QGuiApplication::focusWindow();
    if (windows.contains(active) && landingStateOf(active))
        return landingStateOf(active);
    for (QObject *window : windows) {
        if (ContentViewState *state = landingStateOf(window))
            return state;
    }
    return landingStateOf(openMainWindow(m_engine));
}
