#pragma once
// Whether keyboard focus is drawn: while the user works by keyboard, as a
// browser's :focus-visible decides. Any key press turns focus rings on; a
// press of a mouse button, a touch or a pen turns them off. So a new screen
// that moves focus to its first element shows the ring after Enter or a
// shortcut, and not after a click or a drop.

#include <QEvent>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// The state after an input event, given the state before it.
bool keyboardInUseAfter(QEvent::Type event, bool before);

class FocusVisibility : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool keyboardInUse READ keyboardInUse NOTIFY keyboardInUseChanged)

public:
    // Watches every input event of the application.
    explicit FocusVisibility(QObject *parent = nullptr);

    bool keyboardInUse() const;

signals:
    void keyboardInUseChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_keyboardInUse = false;
};
