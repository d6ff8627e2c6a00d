#include "engine/package_inspection.h"

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "engine/disk_image_inspection.h"

InspectionResult inspectPackage(const QUrl &package, PackageKind kind, const ReleaseTools &tools,
                                const StageProgress &progress)
{
    if (kind == PackageKind::diskImage)
        return inspectDiskImage(package, tools, progress);

    AppInspection app = inspectApplication(package, tools, progress);
    return InspectionResult{package, measureByteSize(package), std::move(app)};
}
