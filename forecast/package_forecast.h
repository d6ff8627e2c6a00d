#pragma once
// The notary forecast of one package, read from its bytes; the command line
// carries it to the JSON and JUnit documents, the window to its results.

#include "contract/notary_forecast_records.h"
#include "engine/package_intake.h"
#include "engine/release_tools.h"

#include <optional>

// nullopt where no forecast can be made: a disk image that cannot be attached.
std::optional<NotaryForecast> forecastFor(const AcceptedPackage &package, const ReleaseTools &tools);
