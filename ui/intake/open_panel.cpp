#include "ui/intake/open_panel.h"

#include "engine/package_intake.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// An application bundle is a folder: Qt's own panel would open it, whether
// double-clicked or typed as a path and confirmed. Here either chooses it.
class BundleChoosingPanel : public QFileDialog {
public:
    std::optional<QUrl> bundle;

    void chooseIfBundle(const QString &path)
    {
        const std::optional<AcceptedPackage> package = acceptPackage(QUrl::fromLocalFile(path));
        if (!package || package->kind != PackageKind::application || !QFileInfo(path).isDir())
            return;
        bundle = package->location;
        QDialog::done(QDialog::Accepted);
    }

    void accept() override
    {
        const QStringList typed = selectedFiles();
        if (!typed.isEmpty())
            chooseIfBundle(typed.first());
        if (!bundle)
            QFileDialog::accept();
    }
};

} // namespace

std::optional<QUrl> OpenPanelChooser::choosePackage()
{
    BundleChoosingPanel panel;
    panel.setWindowTitle(QStringLiteral("Open"));
    panel.setWindowModality(Qt::ApplicationModal);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setFileMode(QFileDialog::ExistingFile);
    panel.setNameFilter(QStringLiteral("Apps and disk images (*.app *.dmg)"));
    panel.setDirectory(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
#ifndef Q_OS_MACOS
    panel.setOption(QFileDialog::DontUseNativeDialog);
    QObject::connect(&panel, &QFileDialog::directoryEntered, &panel,
                     [&panel](const QString &folder) { panel.chooseIfBundle(folder); });
#endif
    if (panel.exec() != QDialog::Accepted)
        return std::nullopt;
    if (panel.bundle)
        return panel.bundle;
    const QStringList chosen = panel.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(chosen.first());
}
