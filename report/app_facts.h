#pragma once
// An application's facts as the evidence formats and the release set read
// them, whether the app was named on the command line or found inside a disk
// image. The one place that knows how a result holds its apps.

#include "engine/inspection_records.h"

#include <optional>

// The app a result of kind application describes; nothing for a disk image.
std::optional<AppInspection> namedApp(const InspectionResult &result);

// The app inspected inside a disk image, without the minimum system version
// and executable name that no report shows for it; nothing for an
// application or an image without one.
std::optional<AppInspection> packagedApp(const InspectionResult &result);

// The app of a result whichever way it came: named, else packaged.
std::optional<AppInspection> anyApp(const InspectionResult &result);
