#pragma once
// A release set: every application of one run, named or packaged in a disk
// image, must carry the same bundle identifier, version, build and first
// signing authority (the authority names the team). The comparison is made
// once here; the text, JSON and JUnit outputs only print it.

#include "engine/inspection_records.h"

#include <QStringList>

#include <optional>

struct ReleaseSetApp {
    QString label; // "Tidewater.app", or "Tidewater in Tidewater 3.2.dmg" for a packaged app
    std::optional<QString> bundleIdentifier;
    std::optional<QString> shortVersion;
    std::optional<QString> buildVersion;
    std::optional<QString> signingAuthority;
};

// One compared value: it agrees only when every app has it and all are equal.
struct ReleaseSetComparison {
    QString title; // "Bundle Identifier", "Version", "Build", "Signing authority"
    bool agrees = true;
    QString detail; // "Version: 3.2.0 in every app" or "Version does not agree: 3.2.0 (A); 3.1.0 (B)"
};

struct ReleaseSet {
    QList<ReleaseSetApp> apps;
    QList<ReleaseSetComparison> comparisons; // empty when there is no app
    bool consistent() const;
};

// The apps of the results, in order, and the four comparisons.
ReleaseSet compareReleaseSet(const QList<InspectionResult> &results);

// The text block: heading, one line per app, then "consistent" or each disagreement.
QStringList releaseSetLines(const ReleaseSet &set);
