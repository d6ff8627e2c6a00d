#include "engine/package_intake.h"

std::optional<PackageKind> acceptedPackageKind(const QUrl &location)
{
    const QString extension = pathExtension(location).toLower();
    if (extension == QLatin1String("app"))
        return PackageKind::application;
    if (extension == QLatin1String("dmg"))
        return PackageKind::diskImage;
    return std::nullopt;
}
