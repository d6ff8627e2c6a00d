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

// Why a location inside the package being checked is refused; `packageName`
// as its last path component ("Harbor.app").
QString reportInsidePackageRefusal(const QString &packageName);
// Said once a report is saved: "Release report saved as “Name.txt”."
QString reportSavedAnnouncement(const QString &path);

class WidgetReportSaveDialogs : public ReportSaveDialogs {
public:
    std::optional<QString> chooseReportLocation(const QString &proposedFileName) override;
    void showSaveFailure(const QString &errorDescription) override;
    // Where the next save panel opens (Qt's dialog otherwise opens in the
    // last folder visited, which may be inside the package).
    void setStartFolder(const QString &folder) { m_startFolder = folder; }

private:
    QString m_startFolder;
};

// Another save's dialogs that never hand out a location inside the package
// at `packagePath`: such a choice is refused with an alert saying why, as if
// cancelled, and the user saves again elsewhere.
class PackageGuardedDialogs : public ReportSaveDialogs {
public:
    PackageGuardedDialogs(ReportSaveDialogs &inner, QString packagePath);
    std::optional<QString> chooseReportLocation(const QString &proposedFileName) override;
    void showSaveFailure(const QString &errorDescription) override;
    // The location last handed out, empty when none was.
    QString chosen() const { return m_chosen; }

private:
    ReportSaveDialogs &m_inner;
    QString m_chosen;
    QString m_packagePath;
};
