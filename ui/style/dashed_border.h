#pragma once
// The drop zone's outline: a rounded rectangle stroked with flat-capped,
// mitred dashes. Painted here rather than with Qt Quick Shapes: the landing
// screen is the first thing the window shows, and that module (loaded,
// then triangulating the dashes) was on its way for this outline alone.

#include <QColor>
#include <QList>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class DashedBorder : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY appearanceChanged)
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY appearanceChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY appearanceChanged)
    // Dash and gap lengths, in stroke widths.
    Q_PROPERTY(QList<qreal> dashPattern READ dashPattern WRITE setDashPattern NOTIFY appearanceChanged)

public:
    explicit DashedBorder(QQuickItem *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    qreal strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(qreal width);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QList<qreal> dashPattern() const { return m_dashPattern; }
    void setDashPattern(const QList<qreal> &pattern);

    // The stroke's centre line runs on the item's edges: the item paints half
    // a stroke width beyond them, so size it that much larger on each side.
    void paint(QPainter *painter) override;

signals:
    void appearanceChanged();

private:
    template <typename T>
    void change(T &field, const T &value);

    QColor m_color;
    qreal m_strokeWidth = 1;
    qreal m_radius = 0;
    QList<qreal> m_dashPattern;
};
