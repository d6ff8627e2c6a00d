#pragma once
// What one veristamp-check run writes, in the format the user chose: the text
// reports as each package finishes, or one JSON or JUnit document for the
// whole run at its end. Each package also gets a document of its own, in the
// same format, for --output-dir.

#include "cli/check_options.h"
#include "engine/inspection_records.h"
#include "contract/notary_forecast_records.h"
#include "engine/tool_root.h"
#include "report/release_set.h"

#include <QByteArray>

#include <cstdio>
#include <functional>
#include <memory>

struct PackageDocument {
    QString extension; // ".txt", ".json" or ".xml"
    std::function<QByteArray()> bytes; // made only when the document is saved
};

struct RunGenerator {
    QString name;
    QString version;
    QString build;
    ToolRoot toolRoot;
};

class RunWriter {
public:
    virtual ~RunWriter() = default;
    // The package's own document. The text format prints its report now.
    // `readablePath` leads to the package as `givenPath` does; it differs
    // only for a name text cannot carry.
    virtual PackageDocument addPackage(const QString &givenPath, const QString &readablePath,
                                       const InspectionResult &result,
                                       const std::optional<NotaryForecast> &forecast = std::nullopt) = 0;
    virtual void addSkipped(const QString &path, const QString &reason) = 0;
    // The end of the run: the release set block or the whole run's document.
    virtual void finish(const std::optional<ReleaseSet> &releaseSet, int exitStatus) = 0;
};

std::unique_ptr<RunWriter> makeRunWriter(CheckFormat format, const RunGenerator &generator, std::FILE *out);
