#include "ui/open_panel.h"

#include "engine/package_intake.h"

#include <QFileDialog>
#include <QStandardPaths>

std::optional<QUrl> OpenPanelChooser::choosePackage()
{
    QFileDialog panel;
    panel.setWindowTitle(QStringLiteral("Open"));
    panel.setWindowModality(Qt::ApplicationModal);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setFileMode(QFileDialog::ExistingFile);
    panel.setNameFilter(QStringLiteral("Apps and disk images (*.app *.dmg)"));
    panel.setDirectory(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
    std::optional<QUrl> enteredBundle;
#ifndef Q_OS_MACOS
    panel.setOption(QFileDialog::DontUseNativeDialog);
    QObject::connect(&panel, &QFileDialog::directoryEntered, &panel, [&](const QString &folder) {
        const std::optional<AcceptedPackage> package = acceptPackage(QUrl::fromLocalFile(folder));
        if (!package || package->kind != PackageKind::application)
            return;
        enteredBundle = package->location;
        static_cast<QDialog &>(panel).done(QDialog::Accepted);
    });
#endif
    if (panel.exec() != QDialog::Accepted)
        return std::nullopt;
    if (enteredBundle)
        return enteredBundle;
    const QStringList chosen = panel.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(chosen.first());
}
