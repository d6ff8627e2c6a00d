#include "ui/keyboard_scroll.h"

#include <QQuickItem>

#include <algorithm>

namespace {

constexpr qreal lineStep = 40;

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
