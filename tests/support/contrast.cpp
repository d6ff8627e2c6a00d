#include "contrast.h"

#include <QFont>

#include <algorithm>
#include <cmath>

namespace {

double linearised(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(const QColor &colour)
{
    return 0.2126 * linearised(colour.redF()) + 0.7152 * linearised(colour.greenF())
        + 0.0722 * linearised(colour.blueF());
}

double contrastRatio(const QColor &first, const QColor &second)
{
    const double a = relativeLuminance(first) + 0.05;
    const double b = relativeLuminance(second) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

QColor composited(const QColor &over, const QColor &under)
{
    const double alpha = over.alphaF();
    const auto mix = [alpha](double top, double bottom) { return top * alpha + bottom * (1.0 - alpha); };
    return QColor::fromRgbF(float(mix(over.redF(), under.redF())), float(mix(over.greenF(), under.greenF())),
                            float(mix(over.blueF(), under.blueF())), 1.0f);
}

double requiredTextContrast(double pixelSize, int weight)
{
    const bool large = pixelSize >= 18.0 || (weight >= QFont::Bold && pixelSize >= 14.0);
    return large ? 3.0 : 4.5;
}

double requiredMarkContrast()
{
    return 3.0;
}
