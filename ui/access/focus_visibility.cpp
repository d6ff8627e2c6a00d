#include "ui/access/focus_visibility.h"

#include <QCoreApplication>

bool keyboardInUseAfter(QEvent::Type event, bool before)
{
    switch (event) {
    case QEvent::KeyPress:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return false;
    default:
        return before;
    }
}

FocusVisibility::FocusVisibility(QObject *parent) : QObject(parent)
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool FocusVisibility::keyboardInUse() const
{
    return m_keyboardInUse;
}

bool FocusVisibility::eventFilter(QObject *watched, QEvent *event)
{
    const bool inUse = keyboardInUseAfter(event->type(), m_keyboardInUse);
    if (inUse != m_keyboardInUse) {
        m_keyboardInUse = inUse;
        emit keyboardInUseChanged();
    }
    return QObject::eventFilter(watched, event);
}
