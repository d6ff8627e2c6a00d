#include "ui/access/keyboard_scroll.h"

#include <QQuickItem>

#include <algorithm>

namespace {

constexpr qreal lineStep = 40;
// Room kept around a revealed item, so its focus ring shows whole.
constexpr qreal revealMargin = 12;

} // namespace

std::optional<qreal> keyboardScrollTarget(int key, qreal top, qreal viewHeight, qreal contentHeight)
{
    const qreal page = std::max(lineStep, viewHeight - lineStep);
    qreal target = top;
    switch (key) {
    case Qt::Key_Up: target = top - lineStep; break;
    case Qt::Key_Down: target = top + lineStep; break;
    case Qt::Key_PageUp: target = top - page; break;
    case Qt::Key_PageDown: target = top + page; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = contentHeight; break;
    default: return std::nullopt;
    }
    return std::clamp(target, qreal(0), std::max(qreal(0), contentHeight - viewHeight));
}

bool KeyboardScroll::scroll(QQuickItem *flickable, int key) const
{
    if (!flickable)
        return false;
    const qreal origin = flickable->property("originY").toReal();
    const auto target = keyboardScrollTarget(key, flickable->property("contentY").toReal() - origin,
                                             flickable->height(), flickable->property("contentHeight").toReal());
    if (!target)
        return false;
    flickable->setProperty("contentY", origin + *target);
    return true;
}

qreal revealScrollTarget(qreal spanTop, qreal spanBottom, qreal top, qreal viewHeight, qreal contentHeight)
{
    qreal target = top;
    if (spanBottom - spanTop > viewHeight || spanTop < top)
        target = spanTop;
    else if (spanBottom > top + viewHeight)
        target = spanBottom - viewHeight;
    return std::clamp(target, qreal(0), std::max(qreal(0), contentHeight - viewHeight));
}

QPointF keyboardMenuPoint(const std::optional<QRectF> &focused, const QSizeF &area)
{
    const QPointF wanted = focused ? focused->bottomLeft() : QPointF(area.width() / 2, area.height() / 2);
    return {std::clamp(wanted.x(), qreal(0), area.width()), std::clamp(wanted.y(), qreal(0), area.height())};
}

bool KeyboardScroll::reveal(const QVariantList &flickables, QQuickItem *item) const
{
    for (const QVariant &each : flickables) {
        auto *flickable = qobject_cast<QQuickItem *>(each.value<QObject *>());
        auto *content = flickable ? flickable->property("contentItem").value<QQuickItem *>() : nullptr;
        if (!item || !content || !content->isAncestorOf(item))
            continue;
        const QRectF span = item->mapRectToItem(content, QRectF(0, 0, item->width(), item->height()));
        const qreal origin = flickable->property("originY").toReal();
        const qreal target = revealScrollTarget(span.top() - revealMargin, span.bottom() + revealMargin,
                                                flickable->property("contentY").toReal() - origin, flickable->height(),
                                                flickable->property("contentHeight").toReal());
        flickable->setProperty("contentY", origin + target);
        return true;
    }
    return false;
}

QPointF KeyboardScroll::menuPoint(QQuickItem *focused, QQuickItem *area) const
{
    if (!area)
        return {};
    std::optional<QRectF> rect;
    if (focused)
        rect = focused->mapRectToItem(area, QRectF(0, 0, focused->width(), focused->height()));
    return keyboardMenuPoint(rect, area->size());
}
