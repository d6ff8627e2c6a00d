#include "contrast_audit.h"

#include "contrast.h"

#include <QFont>
#include <QJSValue>
#include <QQmlListReference>
#include <QQuickItem>
#include <QQuickWindow>

#include <algorithm>

namespace {

const QString focusRingName = QStringLiteral("focusRing");

struct Stop { double position; QColor colour; };

QColor fadedBy(QColor colour, double opacity)
{
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

QList<Stop> gradientStops(QObject *gradient)
{
    QList<Stop> stops;
    QQmlListReference list(gradient, "stops");
    for (qsizetype index = 0; index < list.count(); ++index) {
        QObject *stop = list.at(index);
        stops.append({stop->property("position").toDouble(), stop->property("color").value<QColor>()});
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop &a, const Stop &b) { return a.position < b.position; });
    return stops;
}

QColor colourAlong(const QList<Stop> &stops, double at)
{
    if (stops.isEmpty())
        return Qt::transparent;
    if (at <= stops.first().position)
        return stops.first().colour;
    for (qsizetype index = 1; index < stops.size(); ++index) {
        const Stop &from = stops[index - 1];
        const Stop &to = stops[index];
        if (at > to.position)
            continue;
        const double t = to.position > from.position ? (at - from.position) / (to.position - from.position) : 1.0;
        const auto mix = [t](double a, double b) { return float(a + (b - a) * t); };
        return QColor::fromRgbF(mix(from.colour.redF(), to.colour.redF()), mix(from.colour.greenF(), to.colour.greenF()),
                                mix(from.colour.blueF(), to.colour.blueF()), mix(from.colour.alphaF(), to.colour.alphaF()));
    }
    return stops.last().colour;
}

// A Rectangle's fill at a point of it: its gradient along its orientation, else its colour.
QColor rectangleFill(const QQuickItem &rectangle, QPointF local)
{
    QObject *gradient = rectangle.property("gradient").value<QJSValue>().toQObject();
    if (!gradient)
        return rectangle.property("color").value<QColor>();
    const bool horizontal = gradient->property("orientation").toInt() == Qt::Horizontal;
    const double along = horizontal ? local.x() / std::max(1.0, rectangle.width())
                                    : local.y() / std::max(1.0, rectangle.height());
    return colourAlong(gradientStops(gradient), along);
}

// A Shape's paths, each taken to fill the shape's bounds: their fill colours
// or linear gradients, one over the other.
QColor shapeFill(const QQuickItem &shape, QPointF local)
{
    QColor fill = Qt::transparent;
    for (QObject *path : shape.children()) {
        if (!path->inherits("QQuickShapePath"))
            continue;
        QColor colour = path->property("fillColor").value<QColor>();
        if (auto *gradient = path->property("fillGradient").value<QObject *>()) {
            const QPointF from(gradient->property("x1").toDouble(), gradient->property("y1").toDouble());
            const QPointF to(gradient->property("x2").toDouble(), gradient->property("y2").toDouble());
            const QPointF span = to - from;
            const double length = QPointF::dotProduct(span, span);
            const double along = length > 0 ? QPointF::dotProduct(local - from, span) / length : 0.0;
            colour = colourAlong(gradientStops(gradient), along);
        }
        fill = fill.alpha() == 0 ? colour : composited(colour, fill);
    }
    return fill;
}

class Audit {
public:
    explicit Audit(QQuickWindow &window) : m_base(window.color()) { m_base.setAlphaF(1.0f); }

    void visit(QQuickItem *item, double opacity)
    {
        const bool ring = item->objectName() == focusRingName;
        if (!item->isVisible() && !(ring && item->parentItem() && item->parentItem()->isVisible()))
            return;
        opacity *= item->opacity();
        QList<QQuickItem *> children = item->childItems();
        std::stable_sort(children.begin(), children.end(),
                         [](const QQuickItem *a, const QQuickItem *b) { return a->z() < b->z(); });
        for (QQuickItem *child : children) {
            if (child->z() < 0)
                visit(child, opacity);
        }
        if (ring)
            measureRing(*item, opacity);
        else if (isText(*item))
            measureText(*item, opacity);
        else if (item->inherits("QQuickRectangle") || item->inherits("QQuickShape"))
            m_painted.append({item, opacity});
        for (QQuickItem *child : children) {
            if (child->z() >= 0)
                visit(child, opacity);
        }
    }

    QList<ContrastSample> samples() const { return m_samples; }

private:
    struct Painted { QQuickItem *item; double opacity; };

    static bool isText(const QQuickItem &item)
    {
        return item.inherits("QQuickText") || item.inherits("QQuickTextEdit") || item.inherits("QQuickTextInput");
    }

    QColor backgroundAt(QPointF scenePoint) const
    {
        QColor background = m_base;
        for (const Painted &painted : m_painted) {
            const QPointF local = painted.item->mapFromScene(scenePoint);
            if (!QRectF(0, 0, painted.item->width(), painted.item->height()).contains(local))
                continue;
            const QColor fill = painted.item->inherits("QQuickShape") ? shapeFill(*painted.item, local)
                                                                       : rectangleFill(*painted.item, local);
            background = composited(fadedBy(fill, painted.opacity), background);
        }
        return background;
    }

    double lowestRatio(const QColor &mark, const QList<QPointF> &scenePoints) const
    {
        double lowest = 21.0;
        for (const QPointF &point : scenePoints) {
            const QColor background = backgroundAt(point);
            lowest = std::min(lowest, contrastRatio(composited(mark, background), background));
        }
        return lowest;
    }

    void measureText(const QQuickItem &item, double opacity)
    {
        const QString text = item.property("text").toString();
        if (text.trimmed().isEmpty() || opacity <= 0.0)
            return;
        const QFont font = item.property("font").value<QFont>();
        const double height = std::min(item.height(), std::max(1.0, item.property("contentHeight").toDouble()));
        const double x = item.width() / 2;
        const QList<QPointF> points{item.mapToScene({x, std::min(1.0, height)}),
                                    item.mapToScene({x, std::max(0.0, height - 1.0)})};
        const double size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
        m_samples.append({text.left(60), whereIs(item),
                          lowestRatio(fadedBy(item.property("color").value<QColor>(), opacity), points),
                          requiredTextContrast(size, font.weight())});
    }

    // The ring against what lies just outside the control it surrounds.
    void measureRing(const QQuickItem &ring, double opacity)
    {
        const QColor colour = fadedBy(ring.property("border").value<QObject *>()->property("color").value<QColor>(), opacity);
        const double edge = ring.property("border").value<QObject *>()->property("width").toDouble() / 2;
        const QList<QPointF> points{ring.mapToScene({ring.width() / 2, edge}), ring.mapToScene({edge, ring.height() / 2})};
        m_samples.append({QStringLiteral("focus ring"), whereIs(ring), lowestRatio(colour, points), requiredMarkContrast()});
    }

    static QString whereIs(const QQuickItem &item)
    {
        QStringList names;
        for (const QQuickItem *at = &item; at; at = at->parentItem()) {
            if (!at->objectName().isEmpty())
                names.prepend(at->objectName());
        }
        return names.join(QLatin1Char('/'));
    }

    QColor m_base;
    QList<Painted> m_painted;
    QList<ContrastSample> m_samples;
};

} // namespace

QList<ContrastSample> windowContrast(QQuickWindow &window)
{
    Audit audit(window);
    audit.visit(window.contentItem(), 1.0);
    return audit.samples();
}
