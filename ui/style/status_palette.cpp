#include "ui/style/status_palette.h"

#include "ui/views/host_limits.h"

#include <QFont>

QColor systemGreen()
{
    return QColor(0x30, 0xD1, 0x58);
}

QColor systemOrange()
{
    return QColor(0xFF, 0x9F, 0x0A);
}

// The platform's red for the dark appearance (FF453A) leaves small red
// labels on their red-tinted fills below 4.5 : 1, and so does its
// increased-contrast red (FF6961) on the verdict badge: a shade lighter
// still, which all red text on the screens meets (ui_contrast_test).
QColor systemRed()
{
    return QColor(0xFF, 0x73, 0x6B);
}

QColor whiteAt(double opacity)
{
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, static_cast<float>(opacity));
}

namespace {

QColor withOpacity(QColor colour, double opacity)
{
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

} // namespace

QColor rowColour(LiveStageStatus status, double pending, double active, double pass, double warningOrFail)
{
    switch (status) {
    case LiveStageStatus::pending:
        return whiteAt(pending);
    case LiveStageStatus::active:
        return whiteAt(active);
    case LiveStageStatus::pass:
        return withOpacity(systemGreen(), pass);
    case LiveStageStatus::warning:
    case LiveStageStatus::hostLimit:
        return withOpacity(systemOrange(), warningOrFail);
    case LiveStageStatus::fail:
        return withOpacity(systemRed(), warningOrFail);
    }
    return whiteAt(pending);
}

StageRowLook stageRowLook(LiveStageStatus status)
{
    StageRowLook look{
        .iconName = {},
        .iconColour = whiteAt(1.0),
        .titleWeight = QFont::Medium,
        .titleColour = whiteAt(0.95),
        .label = {},
        .labelColour = whiteAt(0.0),
        .fill = rowColour(status, 0.025, 0.075, 0.09, 0.09),
        .border = rowColour(status, 0.06, 0.18, 0.28, 0.3),
    };
    switch (status) {
    case LiveStageStatus::pending:
        look.iconName = QStringLiteral("circle");
        look.iconColour = whiteAt(0.42);
        look.titleColour = whiteAt(0.62);
        break;
    case LiveStageStatus::active:
        look.iconColour = whiteAt(1.0);
        look.titleWeight = QFont::DemiBold;
        look.titleColour = whiteAt(1.0);
        look.label = QStringLiteral("CHECKING");
        look.labelColour = whiteAt(0.72);
        break;
    case LiveStageStatus::pass:
        look.iconName = QStringLiteral("checkmark.circle.fill");
        look.iconColour = look.labelColour = systemGreen();
        look.label = label(status);
        break;
    case LiveStageStatus::warning:
        look.iconName = QStringLiteral("exclamationmark.triangle.fill");
        look.iconColour = look.labelColour = systemOrange();
        look.label = label(status);
        break;
    case LiveStageStatus::fail:
        look.iconName = QStringLiteral("xmark.circle.fill");
        look.iconColour = look.labelColour = systemRed();
        look.label = label(status);
        break;
    case LiveStageStatus::hostLimit:
        look.iconName = hostLimitSymbol();
        look.iconColour = look.labelColour = systemOrange();
        look.label = hostLimitBadge();
        break;
    }
    return look;
}

QColor StatusPalette::green() const
{
    return systemGreen();
}

QColor StatusPalette::orange() const
{
    return systemOrange();
}

QColor StatusPalette::red() const
{
    return systemRed();
}

StageRowLook StatusPalette::stageRowLook(StageStatus::Value status) const
{
    return ::stageRowLook(StageStatus::toLive(status));
}
