#pragma once
// Scrolling a view from the keyboard, for the screens whose content can be
// taller than the window (results, live inspection, About): the arrow keys
// move by a line, Page Up and Page Down by a view less one line, Home and End
// to the ends, always within the content.

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

class QQuickItem;

// Where the top of the view goes for a key; nothing for a key that does not scroll.
std::optional<qreal> keyboardScrollTarget(int key, qreal top, qreal viewHeight, qreal contentHeight);

class KeyboardScroll : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    // Scrolls a Flickable for the key; true when the key was one that scrolls.
    Q_INVOKABLE bool scroll(QQuickItem *flickable, int key) const;
};
