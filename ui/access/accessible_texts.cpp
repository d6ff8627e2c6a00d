#include "ui/access/accessible_texts.h"

#include "ui/views/host_limits.h"

namespace {

QString stageStatusWord(LiveStageStatus status)
{
    switch (status) {
    case LiveStageStatus::pending: return QStringLiteral("waiting");
    case LiveStageStatus::active: return QStringLiteral("checking");
    case LiveStageStatus::pass: return QStringLiteral("passed");
    case LiveStageStatus::warning: return QStringLiteral("warning");
    case LiveStageStatus::fail: return QStringLiteral("failed");
    case LiveStageStatus::hostLimit: return hostLimitSpoken();
    }
    return {};
}

QString checkStatusWord(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return QStringLiteral("passed");
    case CheckStatus::warning: return QStringLiteral("warning");
    case CheckStatus::fail: return QStringLiteral("failed");
    case CheckStatus::pending: return QStringLiteral("not yet checked");
    }
    return {};
}

} // namespace

QString dropZoneAccessibleName()
{
    return QStringLiteral("Drop an app or DMG here, or press to choose one");
}

QString stageAccessibleName(const QString &title, LiveStageStatus status)
{
    return title + QStringLiteral(": ") + stageStatusWord(status);
}

QString stageAnnouncement(const QString &title, LiveStageStatus status)
{
    return isFinal(status) ? stageAccessibleName(title, status) : QString();
}

QString checkAccessibleName(const QString &title, CheckStatus status, const QString &detail)
{
    return QStringLiteral("%1, %2. %3").arg(title, checkStatusWord(status), detail);
}

QString verdictAccessibleName(const QString &title, const QString &summary, int passed, int warnings, int failed)
{
    return QStringLiteral("%1. %2 %3 passed, %4 %5, %6 failed.")
        .arg(title, summary)
        .arg(passed)
        .arg(warnings)
        .arg(warnings == 1 ? QStringLiteral("warning") : QStringLiteral("warnings"))
        .arg(failed);
}

QString AccessibleTexts::dropZone() const
{
    return dropZoneAccessibleName();
}

QString AccessibleTexts::liveCard(const QString &heading, const QString &target) const
{
    return target.isEmpty() ? heading : heading + QStringLiteral(" ") + target;
}

QString AccessibleTexts::stage(const QString &title, StageStatus::Value status) const
{
    return stageAccessibleName(title, StageStatus::toLive(status));
}

QString AccessibleTexts::stageAnnouncement(const QString &title, StageStatus::Value status) const
{
    return ::stageAnnouncement(title, StageStatus::toLive(status));
}

QString AccessibleTexts::check(const QString &title, const QString &badge, const QString &detail) const
{
    if (badge == hostLimitBadge())
        return QStringLiteral("%1, %2. %3").arg(title, hostLimitSpoken(), detail);
    for (CheckStatus status : {CheckStatus::pass, CheckStatus::warning, CheckStatus::fail, CheckStatus::pending}) {
        if (label(status) == badge)
            return checkAccessibleName(title, status, detail);
    }
    return QStringLiteral("%1, %2. %3").arg(title, badge, detail);
}

QString AccessibleTexts::packageHeader(const QString &name, const QString &kind, const QString &path) const
{
    return QStringList{name, kind, path}.join(QStringLiteral(", "));
}

QString AccessibleTexts::labelled(const QString &label, const QString &value) const
{
    const QString spoken = label == label.toUpper() ? label.left(1) + label.mid(1).toLower() : label;
    return spoken + QStringLiteral(": ") + value;
}
