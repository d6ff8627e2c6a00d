#include "ui/report_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

std::optional<QString> WidgetReportSaveDialogs::chooseReportLocation(const QString &proposedFileName)
{
    QFileDialog dialog;
    dialog.setWindowTitle(reportSaveDialogTitle());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::Accept, reportSaveDialogPrompt());
    dialog.setNameFilter(QStringLiteral("Plain text (*.txt)"));
    // A name typed without an extension still gets ".txt", as the filter promises.
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog.selectFile(proposedFileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

void WidgetReportSaveDialogs::showSaveFailure(const QString &errorDescription)
{
    QMessageBox alert(QMessageBox::Warning, QString(), reportSaveFailureMessage(), QMessageBox::NoButton);
    alert.setWindowModality(Qt::ApplicationModal);
    alert.setInformativeText(errorDescription);
    alert.setDefaultButton(alert.addButton(reportSaveFailureButton(), QMessageBox::AcceptRole));
    alert.exec();
}

QString reportSaveDialogTitle()
{
    return QStringLiteral("Save Veristamp Release Report");
}

QString reportSaveDialogPrompt()
{
    return QStringLiteral("Save Report");
}

QString reportSaveFailureMessage()
{
    return QStringLiteral("The release report could not be saved.");
}

QString reportSaveFailureButton()
{
    return QStringLiteral("OK");
}

QString saveButtonTitle(bool saved)
{
    return saved ? QStringLiteral("Saved") : QStringLiteral("Save Release Report\u2026");
}

QString saveButtonSymbol(bool saved)
{
    return saved ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("square.and.arrow.down");
}
