#include "report/report_saving.h"

#include "report/report_file_name.h"
#include "report/report_text.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString writeFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("The file \u201C%1\u201D could not be written: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

bool saveReleaseReport(const InspectionResult &result, ReportSaveDialogs &dialogs,
                       const std::function<QDateTime()> &clock)
{
    const std::optional<QString> path = dialogs.chooseReportLocation(defaultReportFileName(result, clock()));
    if (!path || path->isEmpty())
        return false;
    const std::optional<QString> failure = writeReportFile(*path, releaseReportText(result, clock()));
    if (failure) {
        dialogs.showSaveFailure(*failure);
        return false;
    }
    return true;
}

std::optional<QString> writeReportFile(const QString &path, const QString &text)
{
    // QSaveFile writes beside the target and renames over it on commit; the
    // direct-write fallback stays off, so a folder that refuses the temporary
    // file fails the save instead of leaving a half-written report.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(path, file.errorString());
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return writeFailure(path, reason);
    }
    if (!file.commit())
        return writeFailure(path, file.errorString());
    return std::nullopt;
}

QString reportNotSavedSentence()
{
    return QStringLiteral("The release report could not be saved.");
}
