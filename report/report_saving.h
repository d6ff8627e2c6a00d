#pragma once
// Saving the release report: propose a name, let the user choose where, build
// the text, write it atomically, tell the user when writing failed. Free of
// any toolkit: the dialogs come in through ReportSaveDialogs, the clock as a
// function, so the user interface and the tests drive the same flow.

#include "engine/inspection_records.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// The modal dialogs of one save, provided by the user interface.
struct ReportSaveDialogs {
    virtual ~ReportSaveDialogs() = default;
    // A modal save dialog for plain-text files, folder creation allowed,
    // proposing `proposedFileName`. The full path to write, or nothing when the
    // user cancelled or the dialog gave no path.
    virtual std::optional<QString> chooseReportLocation(const QString &proposedFileName) = 0;
    // A modal warning that the report could not be saved, with
    // `errorDescription` as its informative text.
    virtual void showSaveFailure(const QString &errorDescription) = 0;
};

// What a failed save is told with, before the reason: "The release report could not be saved."
QString reportNotSavedSentence();

// True only when the report reached the file. The proposed name carries the
// clock's time when the dialog opens; "Generated:" the time after it closed.
// Cancelling is silent; a failed write is shown once through the dialogs.
bool saveReleaseReport(const InspectionResult &result, ReportSaveDialogs &dialogs,
                       const std::function<QDateTime()> &clock);

// Writes `text` as UTF-8 without a byte-order mark, replacing any file at
// `path`. Atomic: either the whole text is there or the old file (or none) is.
// Nothing on success, else a description of the failure for the user.
std::optional<QString> writeReportFile(const QString &path, const QString &text);
