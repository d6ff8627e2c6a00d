#include "cli/run_writer.h"

#include "cli/exit_status.h"
#include "cli/host_facts.h"
#include "report/evidence_json.h"
#include "report/junit_report.h"
#include "report/report_text.h"
#include "report/verdict.h"

#include <QFile>
#include <QFileInfo>

namespace {

void write(std::FILE *out, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

// The reports go out as each package finishes, one blank line between them,
// so a long run shows its progress; the release set follows the last one.
class TextWriter : public RunWriter {
public:
    explicit TextWriter(std::FILE *out) : m_out(out) {}

    PackageDocument addPackage(const QString &, const QString &, const InspectionResult &result,
                               const std::optional<NotaryForecast> &) override
    {
        // Made as bytes at once: a detail can be a tool's whole output.
        const QByteArray report = releaseReportUtf8(result, QDateTime::currentDateTime());
        if (m_printed)
            write(m_out, QByteArray("\n"));
        write(m_out, report);
        m_printed = true;
        return {checkFormatRow(CheckFormat::text).extension, [report] { return report; }};
    }

    void addSkipped(const QString &, const QString &) override {}

    void finish(const std::optional<ReleaseSet> &releaseSet, int) override
    {
        if (releaseSet)
            write(m_out, (QLatin1Char('\n') + releaseSetLines(*releaseSet).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }

private:
    std::FILE *m_out;
    bool m_printed = false;
};

using Serializer = QByteArray (*)(const RunEvidence &);
using StreamSerializer = bool (*)(const RunEvidence &, QIODevice *);

// The run's document goes to the stream as it is made, not built first.
void stream(std::FILE *out, StreamSerializer serializer, const RunEvidence &run)
{
    std::fflush(out);
    QFile device;
    if (device.open(out, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        serializer(run, &device);
    std::fflush(out);
}

// JSON and JUnit: the evidence gathered package by package, one document at the end.
class EvidenceWriter : public RunWriter {
public:
    EvidenceWriter(const RunGenerator &generator, Serializer serializer, StreamSerializer streamer,
                   const QString &extension, std::FILE *out)
        : m_serializer(serializer), m_streamer(streamer), m_extension(extension), m_out(out)
    {
        m_run.generatorName = generator.name;
        m_run.generatorVersion = generator.version;
        m_run.generatorBuild = generator.build;
        m_run.host = hostFacts(generator.toolRoot);
    }

    PackageDocument addPackage(const QString &givenPath, const QString &readablePath, const InspectionResult &result,
                               const std::optional<NotaryForecast> &forecast) override
    {
        const QFileInfo info(readablePath);
        const QString canonical = info.canonicalFilePath();
        const QString resolved = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
        const CheckedPackage package{givenPath, resolved, result, packageDigest(result.kind(), readablePath), forecast};
        m_run.packages << package;

        RunEvidence alone = m_run;
        alone.packages = {package};
        alone.skipped.clear();
        CheckExitStatus status;
        status.addVerdict(releaseVerdict(result));
        alone.exitStatus = status.code();
        alone.generatedAt = QDateTime::currentDateTimeUtc();
        return {m_extension, [alone, serializer = m_serializer] { return serializer(alone); }};
    }

    void addSkipped(const QString &path, const QString &reason) override { m_run.skipped << SkippedPackage{path, reason}; }

    void finish(const std::optional<ReleaseSet> &releaseSet, int exitStatus) override
    {
        m_run.releaseSet = releaseSet;
        m_run.exitStatus = exitStatus;
        m_run.generatedAt = QDateTime::currentDateTimeUtc();
        stream(m_out, m_streamer, m_run);
    }

private:
    RunEvidence m_run;
    Serializer m_serializer;
    StreamSerializer m_streamer;
    QString m_extension;
    std::FILE *m_out;
};

} // namespace

std::unique_ptr<RunWriter> makeRunWriter(CheckFormat format, const RunGenerator &generator, std::FILE *out)
{
    const QString extension = checkFormatRow(format).extension;
    switch (format) {
    case CheckFormat::json: return std::make_unique<EvidenceWriter>(generator, &evidenceJson, &writeEvidenceJson, extension, out);
    case CheckFormat::junit: return std::make_unique<EvidenceWriter>(generator, &junitXml, &writeJunitXml, extension, out);
    case CheckFormat::text: break;
    }
    return std::make_unique<TextWriter>(out);
}
