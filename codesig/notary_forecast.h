#pragma once
// What the notary service will say about a package's code, read from its
// bytes before anything is uploaded: its issues in the service's own words,
// per file and architecture, and besides them what it lets through but will
// break at launch or at the next release, each with a one-line fix.

#include "codesig/code_inventory.h"

#include "contract/notary_forecast_records.h"

#include <QDateTime>

namespace codesig {

// now: when certificates are judged for their coming expiry.
NotaryForecast forecastOf(const CodeInventory &inventory, const QDateTime &now);

// The forecast of an app bundle, or of a folder such as a disk image's volume,
// named displayName in the issues' paths.
NotaryForecast forecastPackage(const QString &root, const QString &displayName,
                               const QDateTime &now = QDateTime::currentDateTimeUtc());

} // namespace codesig
