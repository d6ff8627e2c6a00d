#pragma once
// The notary forecast of one package, where this build reads code from its
// bytes; the run carries it to the JSON and JUnit documents as a plain value.

#include "contract/notary_forecast_records.h"
#include "engine/package_intake.h"
#include "engine/release_tools.h"

#include <optional>

// nullopt where no forecast can be made: a build without the code reader, or
// a disk image that cannot be attached.
std::optional<NotaryForecast> forecastFor(const AcceptedPackage &package, const ReleaseTools &tools);
