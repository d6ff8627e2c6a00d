#include "report/junit_report.h"

#include "report/app_facts.h"
#include "report/forecast_junit.h"
#include "report/report_text.h"
#include "report/verdict.h"

#include "report/text_stream.h"

#include <QBuffer>

#include <algorithm>

namespace {

// The status of a path that could not be inspected: no check's, so JUnit's own word.
const QString errorStatus = QStringLiteral("ERROR");

// A suite's cases before they are written: the counts go in the suite's attributes.
struct Case {
    QString className;
    QString name;
    QString status; // "PASS", "WARN", "FAIL", "NEXT", or "ERROR" for a package not inspected
    QString detail;
};

struct Suite {
    QString name;
    QList<std::pair<QString, QString>> properties;
    QList<Case> cases;
};

void appendCases(Suite &suite, const QString &className, const QList<InspectionCheck> &checks)
{
    for (const InspectionCheck &check : checks)
        suite.cases << Case{className, check.title, label(check.status), check.detail};
}

Suite packageSuite(const CheckedPackage &package)
{
    const InspectionResult &result = package.result;
    Suite suite{lastPathComponent(result.url), {}, {}};
    suite.properties = {{QStringLiteral("path"), package.givenPath},
                        {QStringLiteral("resolvedPath"), package.resolvedPath},
                        {QStringLiteral("kind"), kindId(result.kind())},
                        {QStringLiteral("sha256"), package.digest.sha256.value_or(package.digest.error)},
                        {QStringLiteral("verdict"), verdictId(releaseVerdict(result))}};
    if (result.kind() == PackageKind::application) {
        appendCases(suite, applicationChecksHeading(), result.checks());
    } else {
        appendCases(suite, diskImageChecksHeading(), result.checks());
        if (const std::optional<AppInspection> app = packagedApp(result))
            appendCases(suite, packagedAppChecksHeading(), app->checks);
    }
    return suite;
}

// A path that could not be inspected shows as an error, not as a missing suite.
Suite skippedSuite(const SkippedPackage &package)
{
    return Suite{package.path, {}, {Case{QStringLiteral("PACKAGE"), QStringLiteral("Package"), errorStatus, package.reason}}};
}

Suite releaseSetSuite(const ReleaseSet &set)
{
    Suite suite{QStringLiteral("Release set"), {}, {}};
    for (const ReleaseSetComparison &comparison : set.comparisons) {
        suite.cases << Case{QStringLiteral("RELEASE SET"), comparison.title,
                            label(comparison.agrees ? CheckStatus::pass : CheckStatus::fail), comparison.detail};
    }
    return suite;
}

qsizetype countOf(const Suite &suite, const QString &status)
{
    return std::count_if(suite.cases.cbegin(), suite.cases.cend(), [&](const Case &c) { return c.status == status; });
}

qsizetype failures(const Suite &suite)
{
    return countOf(suite, label(CheckStatus::fail));
}

qsizetype errors(const Suite &suite)
{
    return countOf(suite, errorStatus);
}

// Laid out as QXmlStreamWriter's auto-formatting lays it out (four spaces a
// level, an element without content closed as "/>", text kept on the line of
// its element), but written as it is made: a detail can be a tool's whole
// output, and is escaped straight onto the device.
class JUnitWriter {
public:
    explicit JUnitWriter(QIODevice *device) : m_out(device) {}

    bool write(const QList<Suite> &suites, const QDateTime &timestamp)
    {
        qsizetype tests = 0;
        qsizetype failed = 0;
        qsizetype broken = 0;
        for (const Suite &suite : suites) {
            tests += suite.cases.size();
            failed += failures(suite);
            broken += errors(suite);
        }
        m_out.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        start("testsuites");
        attribute("name", QStringLiteral("veristamp-check"));
        attribute("tests", QString::number(tests));
        attribute("failures", QString::number(failed));
        attribute("errors", QString::number(broken));
        for (const Suite &suite : suites)
            writeSuite(suite, timestamp.toUTC().toString(Qt::ISODate));
        end("testsuites");
        m_out.raw("\n");
        m_out.flush();
        return m_out.ok();
    }

private:
    TextStream m_out;
    int m_depth = 0;
    bool m_open = false;         // a start tag waits for its ">" or "/>"
    bool m_hadChildren = false;  // the element being closed holds elements

    void start(const char *name)
    {
        closeStartTag();
        m_out.raw("\n");
        indent(m_depth);
        m_out.raw("<");
        m_out.raw(name);
        ++m_depth;
        m_open = true;
        m_hadChildren = false;
    }

    void closeStartTag()
    {
        if (m_open)
            m_out.raw(">");
        m_open = false;
    }

    void end(const char *name)
    {
        --m_depth;
        if (m_open) {
            m_out.raw("/>");
            m_open = false;
        } else {
            if (m_hadChildren) {
                m_out.raw("\n");
                indent(m_depth);
            }
            m_out.raw("</");
            m_out.raw(name);
            m_out.raw(">");
        }
        m_hadChildren = true; // for the parent, which this element was a child of
    }

    void characters(const QString &text)
    {
        closeStartTag();
        m_out.xmlText(text, false);
        m_hadChildren = false;
    }

    void textElement(const char *name, const QString &text)
    {
        start(name);
        characters(text);
        end(name);
    }

    void indent(int level)
    {
        for (int i = 0; i < level; ++i)
            m_out.raw("    ");
    }

    void attribute(const char *name, const QString &value)
    {
        m_out.raw(" ");
        m_out.raw(name);
        m_out.raw("=\"");
        m_out.xmlText(value, true);
        m_out.raw("\"");
    }

    void property(const QString &name, const QString &value)
    {
        start("property");
        attribute("name", name);
        attribute("value", value);
        end("property");
    }

    void writeSuite(const Suite &suite, const QString &timestamp)
    {
        start("testsuite");
        attribute("name", suite.name);
        attribute("tests", QString::number(suite.cases.size()));
        attribute("failures", QString::number(failures(suite)));
        attribute("errors", QString::number(errors(suite)));
        attribute("skipped", QStringLiteral("0"));
        attribute("timestamp", timestamp);
        if (!suite.properties.isEmpty()) {
            start("properties");
            for (const auto &[name, value] : suite.properties)
                property(name, value);
            end("properties");
        }
        for (const Case &c : suite.cases)
            writeCase(c);
        end("testsuite");
    }

    void writeCase(const Case &c)
    {
        start("testcase");
        attribute("classname", c.className);
        attribute("name", c.name);
        start("properties");
        property(QStringLiteral("status"), c.status);
        end("properties");
        const bool failed = c.status == label(CheckStatus::fail);
        if (failed || c.status == errorStatus) {
            const char *element = failed ? "failure" : "error";
            start(element);
            attribute("message", c.detail);
            attribute("type", c.status);
            characters(c.detail);
            end(element);
        } else {
            textElement("system-out", c.detail);
        }
        end("testcase");
    }
};

} // namespace

bool writeJunitXml(const RunEvidence &run, QIODevice *device)
{
    QList<Suite> suites;
    for (const CheckedPackage &package : run.packages) {
        suites << packageSuite(package);
        if (package.forecast) {
            suites << Suite{forecastSuiteName(lastPathComponent(package.result.url)), {{QStringLiteral("status"), package.forecast->status()}}, {}};
            for (const ForecastCase &c : forecastCases(*package.forecast))
                suites.last().cases << Case{c.className, c.name, c.status, c.detail};
        }
    }
    for (const SkippedPackage &package : run.skipped)
        suites << skippedSuite(package);
    if (run.releaseSet)
        suites << releaseSetSuite(*run.releaseSet);
    return JUnitWriter(device).write(suites, run.generatedAt);
}

QByteArray junitXml(const RunEvidence &run)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeJunitXml(run, &buffer);
    return bytes;
}
