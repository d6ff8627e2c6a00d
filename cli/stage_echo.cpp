#include "cli/stage_echo.h"

#include "engine/live_stages.h"
#include "report/visible_text.h"

namespace {
QString statusWord(LiveStageStatus status)
{
    return isFinal(status) ? label(status) : QStringLiteral("CHECKING");
}
} // namespace

QString stageLine(const QString &packageName, const QString &stageTitle, LiveStageStatus status)
{
    return visibleText(packageName) + QStringLiteral(": ") + visibleText(stageTitle) + QStringLiteral(": ")
           + statusWord(status);
}

StageProgress stageEcho(const QString &packageName, PackageKind kind, std::FILE *stream)
{
    QStringList titles;
    for (const LiveInspectionStage &stage : makeLiveStages(kind))
        titles << stage.title;
    return [=](int index, LiveStageStatus status) {
        const QString title = index >= 0 && index < titles.size() ? titles.at(index) : QString::number(index);
        const QByteArray line = (stageLine(packageName, title, status) + QLatin1Char('\n')).toUtf8();
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stream);
        std::fflush(stream);
    };
}
