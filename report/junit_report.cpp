#include "report/junit_report.h"

#include "report/app_facts.h"
#include "report/forecast_junit.h"
#include "report/report_text.h"
#include "report/verdict.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace {

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

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

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
                        {QStringLiteral("kind"), displayWords(result.kind())},
                        {QStringLiteral("sha256"), package.digest.sha256.value_or(package.digest.error)},
                        {QStringLiteral("verdict"), verdictTitle(releaseVerdict(result))}};
    if (result.kind() == PackageKind::application) {
        appendCases(suite, applicationChecksHeading(), result.checks());
    } else {
        appendCases(suite, diskImageChecksHeading(), result.checks());
        if (const std::optional<AppFacts> app = packagedApp(result))
            appendCases(suite, packagedAppChecksHeading(), app->checks);
    }
    return suite;
}

// A path that could not be inspected shows as an error, not as a missing suite.
Suite skippedSuite(const SkippedPackage &package)
{
    return Suite{package.path, {}, {Case{QStringLiteral("PACKAGE"), QStringLiteral("Package"), QStringLiteral("ERROR"), package.reason}}};
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
    return countOf(suite, QStringLiteral("ERROR"));
}

class JUnitWriter {
public:
    explicit JUnitWriter(QByteArray *bytes) : m_xml(bytes) { m_xml.setAutoFormatting(true); }

    void write(const QList<Suite> &suites, const QDateTime &timestamp)
    {
        qsizetype tests = 0;
        qsizetype failed = 0;
        qsizetype broken = 0;
        for (const Suite &suite : suites) {
            tests += suite.cases.size();
            failed += failures(suite);
            broken += errors(suite);
        }
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("testsuites"));
        attribute(QStringLiteral("name"), QStringLiteral("veristamp-check"));
        attribute(QStringLiteral("tests"), QString::number(tests));
        attribute(QStringLiteral("failures"), QString::number(failed));
        attribute(QStringLiteral("errors"), QString::number(broken));
        for (const Suite &suite : suites)
            writeSuite(suite, timestamp.toUTC().toString(Qt::ISODate));
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    QXmlStreamWriter m_xml;

    void attribute(const QString &name, const QString &value) { m_xml.writeAttribute(name, xmlSafeText(value)); }

    void property(const QString &name, const QString &value)
    {
        m_xml.writeStartElement(QStringLiteral("property"));
        attribute(QStringLiteral("name"), name);
        attribute(QStringLiteral("value"), value);
        m_xml.writeEndElement();
    }

    void writeSuite(const Suite &suite, const QString &timestamp)
    {
        m_xml.writeStartElement(QStringLiteral("testsuite"));
        attribute(QStringLiteral("name"), suite.name);
        attribute(QStringLiteral("tests"), QString::number(suite.cases.size()));
        attribute(QStringLiteral("failures"), QString::number(failures(suite)));
        attribute(QStringLiteral("errors"), QString::number(errors(suite)));
        attribute(QStringLiteral("skipped"), QStringLiteral("0"));
        attribute(QStringLiteral("timestamp"), timestamp);
        if (!suite.properties.isEmpty()) {
            m_xml.writeStartElement(QStringLiteral("properties"));
            for (const auto &[name, value] : suite.properties)
                property(name, value);
            m_xml.writeEndElement();
        }
        for (const Case &c : suite.cases)
            writeCase(c);
        m_xml.writeEndElement();
    }

    void writeCase(const Case &c)
    {
        m_xml.writeStartElement(QStringLiteral("testcase"));
        attribute(QStringLiteral("classname"), c.className);
        attribute(QStringLiteral("name"), c.name);
        m_xml.writeStartElement(QStringLiteral("properties"));
        property(QStringLiteral("status"), c.status);
        m_xml.writeEndElement();
        const bool failed = c.status == label(CheckStatus::fail);
        if (failed || c.status == QLatin1String("ERROR")) {
            m_xml.writeStartElement(failed ? QStringLiteral("failure") : QStringLiteral("error"));
            attribute(QStringLiteral("message"), c.detail);
            attribute(QStringLiteral("type"), c.status);
            m_xml.writeCharacters(xmlSafeText(c.detail));
            m_xml.writeEndElement();
        } else {
            m_xml.writeTextElement(QStringLiteral("system-out"), xmlSafeText(c.detail));
        }
        m_xml.writeEndElement();
    }
};

} // namespace

QString xmlSafeText(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (char32_t c : text.toUcs4())
        safe.append(isXmlCharacter(c) ? QString::fromUcs4(&c, 1) : QString(QChar::ReplacementCharacter));
    return safe;
}

QByteArray junitXml(const RunEvidence &run)
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
    QByteArray bytes;
    JUnitWriter(&bytes).write(suites, run.generatedAt);
    return bytes;
}
