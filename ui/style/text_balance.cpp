#include "ui/style/text_balance.h"

#include <QTextLayout>

#include <cmath>

namespace {

// A few points the text item's own layout may need beyond this one's, whose
// metrics can differ by hinting.
constexpr qreal slack = 4;

int lineCount(const QString &text, const QFont &font, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal balancedTextWidth(const QString &text, const QFont &font, qreal availableWidth)
{
    if (text.isEmpty() || availableWidth <= slack)
        return std::max<qreal>(availableWidth, 0);
    const qreal full = availableWidth - slack;
    const int lines = lineCount(text, font, full);
    qreal low = full / (lines + 1);
    qreal high = full;
    while (high - low > 0.5) {
        const qreal middle = (low + high) / 2;
        if (lineCount(text, font, middle) > lines)
            low = middle;
        else
            high = middle;
    }
    return std::min(availableWidth, std::ceil(high) + slack);
}

qreal TextBalance::width(const QString &text, const QFont &font, qreal availableWidth) const
{
    return balancedTextWidth(text, font, availableWidth);
}
