#pragma once
// Scrolling a view from the keyboard, for the screens whose content can be
// taller than the window (results, live inspection, About): the arrow keys
// move by a line, Page Up and Page Down by a view less one line, Home and End
// to the ends, always within the content.

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVariantList>

#include <optional>

class QQuickItem;

// Where the top of the view goes for a key; nothing for a key that does not scroll.
std::optional<qreal> keyboardScrollTarget(int key, qreal top, qreal viewHeight, qreal contentHeight);

// Where the top of the view goes so a span of the content (an item that took
// the focus, with a margin) is in view: unchanged when it already is, else
// the least move that shows it, its top first when it is taller than the view.
qreal revealScrollTarget(qreal spanTop, qreal spanBottom, qreal top, qreal viewHeight, qreal contentHeight);

// Where a context menu asked for from the keyboard opens, in the coordinates
// of an area of `area` size: under the focused control's left edge (its
// rectangle in the same coordinates), kept inside the area; the area's
// centre when nothing has the focus.
QPointF keyboardMenuPoint(const std::optional<QRectF> &focused, const QSizeF &area);

class KeyboardScroll : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    // Scrolls a Flickable for the key; true when the key was one that scrolls.
    Q_INVOKABLE bool scroll(QQuickItem *flickable, int key) const;
    // Scrolls the first Flickable in `flickables` that holds `item` so it is
    // in view; true when one holds it.
    Q_INVOKABLE bool reveal(const QVariantList &flickables, QQuickItem *item) const;
    // keyboardMenuPoint for the focused item, in `area`'s coordinates.
    Q_INVOKABLE QPointF menuPoint(QQuickItem *focused, QQuickItem *area) const;
};
