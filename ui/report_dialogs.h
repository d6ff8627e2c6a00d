#pragma once
// The platform's modal dialogs of a report save, through Qt Widgets: the
// native save panel on macOS, Qt's own file dialog elsewhere.

#include "report/report_saving.h"

class WidgetReportSaveDialogs : public ReportSaveDialogs {
public:
    std::optional<QString> chooseReportLocation(const QString &proposedFileName) override;
    void showSaveFailure(const QString &errorDescription) override;
};
