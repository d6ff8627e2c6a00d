#pragma once
// The platform's modal dialogs of a report save, through Qt Widgets: the
// native save panel on macOS, Qt's own file dialog elsewhere; and the fixed
// texts the save flow shows, on its dialogs and on the save button.

#include "report/report_saving.h"

// The save panel's title and confirm button; the alert's message and button.
QString reportSaveDialogTitle();
QString reportSaveDialogPrompt();
QString reportSaveFailureMessage();
QString reportSaveFailureButton();
// "Save Release Report…" and "square.and.arrow.down" until the report is
// saved, then "Saved" and "checkmark.circle.fill".
QString saveButtonTitle(bool saved);
QString saveButtonSymbol(bool saved);

class WidgetReportSaveDialogs : public ReportSaveDialogs {
public:
    std::optional<QString> chooseReportLocation(const QString &proposedFileName) override;
    void showSaveFailure(const QString &errorDescription) override;
};
