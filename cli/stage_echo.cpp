#include "cli/stage_echo.h"

#include "engine/live_stages.h"

namespace {
QString statusWord(LiveStageStatus status)
{
    switch (status) {
    case LiveStageStatus::pass: return QStringLiteral("PASS");
    case LiveStageStatus::warning: return QStringLiteral("WARN");
    case LiveStageStatus::fail: return QStringLiteral("FAIL");
    case LiveStageStatus::pending:
    case LiveStageStatus::active: break;
    }
    return QStringLiteral("CHECKING");
}
} // namespace

QString stageLine(const QString &packageName, const QString &stageTitle, LiveStageStatus status)
{
    return packageName + QStringLiteral(": ") + stageTitle + QStringLiteral(": ") + statusWord(status);
}

StageProgress stageEcho(const QString &packageName, PackageKind kind, std::FILE *stream)
{
    QStringList titles;
    for (const LiveInspectionStage &stage : makeLiveStages(kind))
        titles << stage.title;
    return [=](int index, LiveStageStatus status) {
        const QString title = index >= 0 && index < titles.size() ? titles.at(index) : QString::number(index);
        std::fputs((stageLine(packageName, title, status) + QLatin1Char('\n')).toUtf8().constData(), stream);
        std::fflush(stream);
    };
}
