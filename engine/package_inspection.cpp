#include "engine/package_inspection.h"

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "engine/disk_image_inspection.h"

InspectionResult inspectPackage(const QUrl &package, PackageKind kind, const ReleaseTools &tools,
                                const StageProgress &progress)
{
    if (kind == PackageKind::diskImage)
        return inspectDiskImage(package, tools, progress);

    const InspectionResult::AppInspection app = inspectApplication(package, tools, progress);
    InspectionResult result;
    result.url = package;
    result.kind = PackageKind::application;
    result.displayName = app.displayName;
    result.byteSize = measureByteSize(package);
    result.bundleIdentifier = app.bundleIdentifier;
    result.shortVersion = app.shortVersion;
    result.buildVersion = app.buildVersion;
    result.minimumSystemVersion = app.minimumSystemVersion;
    result.executableName = app.executableName;
    result.checks = app.checks;
    result.entitlements = app.entitlements;
    return result;
}
