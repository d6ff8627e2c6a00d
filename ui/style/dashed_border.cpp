#include "ui/style/dashed_border.h"

#include <QPainter>
#include <QPen>

DashedBorder::DashedBorder(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

template <typename T>
void DashedBorder::change(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    emit appearanceChanged();
    update();
}

void DashedBorder::setColor(const QColor &color)
{
    change(m_color, color);
}

void DashedBorder::setStrokeWidth(qreal width)
{
    change(m_strokeWidth, width);
}

void DashedBorder::setRadius(qreal radius)
{
    change(m_radius, radius);
}

void DashedBorder::setDashPattern(const QList<qreal> &pattern)
{
    change(m_dashPattern, pattern);
}

void DashedBorder::paint(QPainter *painter)
{
    QPen pen(m_color, m_strokeWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    if (!m_dashPattern.isEmpty())
        pen.setDashPattern(m_dashPattern);
    else
        pen.setStyle(Qt::SolidLine);
    pen.setMiterLimit(10);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const qreal half = m_strokeWidth / 2;
    painter->drawRoundedRect(boundingRect().adjusted(half, half, -half, -half), m_radius, m_radius);
}
