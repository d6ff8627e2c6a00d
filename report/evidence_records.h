#pragma once
// What a machine-readable release record holds beyond the inspection results:
// which bytes were checked (paths and digests), on which host, with which
// tools, by which program, and what the run came to.

#include "engine/file_digest.h"
#include "engine/inspection_records.h"
#include "contract/notary_forecast_records.h"
#include "report/release_set.h"

#include <QDateTime>

struct EvidenceTool {
    QString path;                  // the absolute path the run starts the tool at
    std::optional<QString> sha256; // of the tool's file, when it can be read
};

struct EvidenceHost {
    QString osName;
    QString osVersion;
    QString architecture;
    QString toolRoot;
    QList<EvidenceTool> tools;
    bool toolsReadPackageBytes = false;       // stand-ins, not the platform's tools
    bool toolsReplayRecordedAnswers = false;  // a test or demonstration run
};

struct CheckedPackage {
    QString givenPath;    // as the user wrote it
    QString resolvedPath; // absolute, symbolic links resolved
    InspectionResult result;
    Digest digest; // of the image file, or the tree digest of the bundle
    std::optional<NotaryForecast> forecast = std::nullopt; // where the run could read the code from its bytes
};

// A path that was not inspected, with the reason the user was told.
struct SkippedPackage {
    QString path;
    QString reason;
};

struct RunEvidence {
    QString generatorName;
    QString generatorVersion;
    QString generatorBuild;
    QDateTime generatedAt;
    int exitStatus = 0;
    EvidenceHost host;
    QList<CheckedPackage> packages;
    QList<SkippedPackage> skipped;
    std::optional<ReleaseSet> releaseSet; // only when asked for
};

// The digest a package is recorded with: the file of a disk image, the tree of an app bundle.
Digest packageDigest(PackageKind kind, const QString &resolvedPath);
