#include "engine/package_intake.h"

std::optional<AcceptedPackage> acceptPackage(const QUrl &location)
{
    QString path = location.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QUrl normalised = QUrl::fromLocalFile(path);
    const QString extension = pathExtension(normalised).toLower();
    if (extension == QLatin1String("app"))
        return AcceptedPackage{normalised, PackageKind::application};
    if (extension == QLatin1String("dmg"))
        return AcceptedPackage{normalised, PackageKind::diskImage};
    return std::nullopt;
}
