#include "ui/saving/report_dialogs.h"

#include "report/report_folder.h"
#include "report/report_saving.h"

#include <QFileDialog>
#include <QFileInfo>
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
    dialog.setDirectory(m_startFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                                : m_startFolder);
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

PackageGuardedDialogs::PackageGuardedDialogs(ReportSaveDialogs &inner, QString packagePath)
    : m_inner(inner), m_packagePath(std::move(packagePath))
{
}

std::optional<QString> PackageGuardedDialogs::chooseReportLocation(const QString &proposedFileName)
{
    std::optional<QString> chosen = m_inner.chooseReportLocation(proposedFileName);
    if (chosen && liesWithinPackage(*chosen, m_packagePath)) {
        m_inner.showSaveFailure(reportInsidePackageRefusal(QFileInfo(m_packagePath).fileName()));
        return std::nullopt;
    }
    m_chosen = chosen.value_or(QString());
    return chosen;
}

void PackageGuardedDialogs::showSaveFailure(const QString &errorDescription)
{
    m_inner.showSaveFailure(errorDescription);
}

QString reportInsidePackageRefusal(const QString &packageName)
{
    return QStringLiteral("The chosen location is inside \u201C%1\u201D, the package being checked. Writing the report "
                          "there would change the package and break its code signature. Choose a folder outside it.")
        .arg(packageName);
}

QString reportSavedAnnouncement(const QString &path)
{
    return QStringLiteral("Release report saved as \u201C%1\u201D.").arg(QFileInfo(path).fileName());
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
    return reportNotSavedSentence();
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
