#include "forecast/package_forecast.h"

#include "codesig/notary_forecast.h"
#include "engine/disk_image_volume.h"

#include <QFileInfo>

// A disk image is attached again for the forecast: the inspection has
// detached it, and the volume's files are what the notary would read.
std::optional<NotaryForecast> forecastFor(const AcceptedPackage &package, const ReleaseTools &tools)
{
    const QString path = package.location.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    if (package.kind == PackageKind::application)
        return codesig::forecastPackage(path, name);
    const DiskImageMount mounted = mountDiskImage(package.location, tools);
    if (!mounted.mountPoint)
        return std::nullopt;
    NotaryForecast forecast = codesig::forecastPackage(mounted.mountPoint->toLocalFile(), name);
    detachDiskImage(*mounted.mountPoint, tools);
    return forecast;
}
