// The machine-readable outputs against the text report, the schema and XML,
// on every sample and fixture package inspected through the stand-in tools;
// and the release set's comparison.

#include "cli/host_facts.h"
#include "engine/package_inspection.h"
#include "report/evidence_json.h"
#include "report/junit_report.h"
#include "report/report_text.h"
#include "report/verdict.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString orNull(const QJsonValue &value, const QString &placeholder = QStringLiteral("Not found"))
{
    return value.isNull() ? placeholder : value.toString();
}

// What python3-jsonschema (installed by scripts/install-deps) finds wrong
// with the document, the schema checked first; empty when it conforms.
QString schemaViolations(const QJsonObject &document)
{
    QProcess python;
    python.start("python3", {"-c",
                             "import json, sys, jsonschema\n"
                             "schema = json.load(open(sys.argv[1]))\n"
                             "jsonschema.Draft202012Validator.check_schema(schema)\n"
                             "for e in jsonschema.Draft202012Validator(schema).iter_errors(json.load(sys.stdin)):\n"
                             "    print(list(e.absolute_path), e.message)\n",
                             VERISTAMP_SCHEMA});
    python.write(QJsonDocument(document).toJson());
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return "no validator: " + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

// The lines the text report must hold for a check list, rebuilt from the JSON.
QString checkLines(const QString &heading, const QJsonArray &checks)
{
    QString text = heading + QLatin1Char('\n') + QString(heading.size(), QLatin1Char('-')) + QLatin1Char('\n');
    for (const QJsonValue &check : checks) {
        text += QLatin1Char('[') + check["status"].toString() + QStringLiteral("] ") + check["title"].toString()
            + QStringLiteral("\n    ") + check["detail"].toString() + QLatin1Char('\n');
    }
    return text;
}

QStringList expectedFragments(const QJsonObject &package)
{
    const QJsonObject tallies = package["tallies"].toObject();
    QStringList fragments{QStringLiteral("Verdict: %1\nSummary: %2\nResults: %3 PASS / %4 WARN / %5 FAIL\n")
                              .arg(package["verdict"].toString(), package["summary"].toString())
                              .arg(tallies["pass"].toInt()).arg(tallies["warn"].toInt()).arg(tallies["fail"].toInt())};
    const QJsonObject metadata = package["metadata"].toObject();
    const QJsonObject app = package["packagedApp"].toObject();
    if (package["kind"] == QLatin1String("macOS Application")) {
        fragments << QStringLiteral("Bundle Identifier: %1\nVersion: %2\nBuild: %3\nMinimum macOS: %4\nExecutable: %5\n")
                         .arg(orNull(metadata["bundleIdentifier"]), orNull(metadata["shortVersion"]),
                              orNull(metadata["buildVersion"]), orNull(metadata["minimumSystemVersion"], "Not declared"),
                              orNull(metadata["executableName"]))
                  << checkLines("RELEASE PREFLIGHT", package["checks"].toArray());
        if (const QString entitlements = package["entitlements"]["text"].toString(); !entitlements.isEmpty())
            fragments << "SIGNED ENTITLEMENTS\n-------------------\n" + entitlements + "\n\nREPORT NOTE";
    } else {
        fragments << checkLines("DMG PREFLIGHT", package["checks"].toArray());
        if (!app.isEmpty()) {
            const QJsonObject appMetadata = app["metadata"].toObject();
            fragments << QStringLiteral("App: %1\nBundle Identifier: %2\nVersion: %3\nBuild: %4\n")
                             .arg(app["name"].toString(), orNull(appMetadata["bundleIdentifier"]),
                                  orNull(appMetadata["shortVersion"]), orNull(appMetadata["buildVersion"]))
                      << checkLines("PACKAGED APP PREFLIGHT", app["checks"].toArray());
        }
    }
    return fragments;
}

// testcase and failure elements, or -1 each when the document is not well-formed XML.
std::pair<int, int> junitCounts(const QByteArray &document)
{
    QXmlStreamReader xml(document);
    int cases = 0;
    int failures = 0;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        cases += xml.isStartElement() && xml.name() == QLatin1String("testcase");
        failures += xml.isStartElement() && xml.name() == QLatin1String("failure");
    }
    return xml.hasError() ? std::pair{-1, -1} : std::pair{cases, failures};
}

InspectionResult withApp(const QString &path, const QString &version, const QString &developerIdDetail)
{
    const QList<InspectionCheck> checks{makeCheck("Developer ID", CheckStatus::pass, developerIdDetail)};
    const bool image = path.endsWith(".dmg");
    const AppInspection app{"Tidewater", "com.tidewater", version, "3200", std::nullopt, std::nullopt, checks, {}};
    if (image)
        return {QUrl::fromLocalFile(path), 0, DiskImageInspection{"Tidewater", checks, app}};
    return {QUrl::fromLocalFile(path), 0, app};
}

} // namespace

class EvidenceTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;
    RunEvidence m_run;
    QList<CheckedPackage> m_everyPackage;

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_temp.path().toUtf8());
        m_run = RunEvidence{"veristamp-check", "1.0", "1", QDateTime::currentDateTimeUtc(), 0,
                            hostFacts(VERISTAMP_TOOL_ROOT), {}, {{"Missing.app", "no such file or folder"}}, {}};
    }

    void everyPackageReadsAlikeInEveryFormat_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString folder : {VERISTAMP_SAMPLES, VERISTAMP_TEST_PACKAGES "/apps", VERISTAMP_TEST_PACKAGES "/dmgs"}) {
            for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
                QTest::newRow(qPrintable(entry.fileName())) << entry.filePath();
        }
    }

    void everyPackageReadsAlikeInEveryFormat()
    {
        QFETCH(QString, path);
        const PackageKind kind = path.endsWith(".dmg") ? PackageKind::diskImage : PackageKind::application;
        const InspectionResult result =
            inspectPackage(QUrl::fromLocalFile(path), kind, releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)));
        m_run.packages = {CheckedPackage{path, path, result, packageDigest(kind, path)}};
        m_everyPackage << m_run.packages;
        const QJsonObject json = evidenceJsonObject(m_run);

        const QString text = releaseReportText(result);
        for (const QString &fragment : expectedFragments(json["packages"][0].toObject()))
            QVERIFY2(text.contains(fragment), qPrintable(fragment));

        const auto [cases, failures] = junitCounts(junitXml(m_run));
        QCOMPARE(cases, allChecks(result).size() + 1); // and the skipped path's error case
        QCOMPARE(failures, failCount(result));
    }

    void everyPackageFitsTheSchema()
    {
        m_run.packages = m_everyPackage;
        QList<InspectionResult> results;
        for (const CheckedPackage &package : m_everyPackage)
            results << package.result;
        m_run.releaseSet = compareReleaseSet(results);
        const QString violations = schemaViolations(evidenceJsonObject(m_run));
#ifdef __APPLE__
        if (violations.startsWith("no validator"))
            QSKIP("python3 with jsonschema is not installed");
#endif
        QCOMPARE(violations, QString());
        QVERIFY(!schemaViolations(QJsonObject{{"schemaVersion", 1}}).isEmpty());
    }

    void junitCarriesAnyTextAsWellFormedXml()
    {
        const QString hostile = QStringLiteral("a\x01<b> & \"c\" ]]> \U0001F680\nd");
        InspectionResult result = withApp("/tmp/T.app", "1", "x");
        std::get<AppInspection>(result.package).checks = {makeCheck(hostile, CheckStatus::fail, hostile)};
        RunEvidence run = m_run;
        run.packages = {CheckedPackage{hostile, hostile, result, {}}};
        QXmlStreamReader xml(junitXml(run));
        while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("failure"))) {}
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const QString expected = QString(hostile).replace(QChar(1), QChar::ReplacementCharacter);
        QCOMPARE(xml.attributes().value("message"), expected);
        QCOMPARE(xml.readElementText(), expected);
    }

    void releaseSetComparesEveryApp_data()
    {
        QTest::addColumn<QString>("imageVersion");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("agrees") << "3.2.0" << "consistent";
        QTest::newRow("version differs")
            << "3.1.0" << "Version does not agree: 3.2.0 (Tidewater.app); 3.1.0 (Tidewater in Tidewater 3.2.dmg)";
    }

    void releaseSetComparesEveryApp()
    {
        QFETCH(QString, imageVersion);
        QFETCH(QString, verdict);
        const QString team = "Developer ID Application: Tidewater Labs (K7WQ3N2ZP4)";
        const ReleaseSet set = compareReleaseSet({withApp("/tmp/Tidewater.app", "3.2.0", team),
                                                  withApp("/tmp/Tidewater 3.2.dmg", imageVersion, team)});
        QCOMPARE(releaseSetLines(set),
                 QStringList({"RELEASE SET", "-----------", "Tidewater.app: com.tidewater 3.2.0 (3200), " + team,
                              "Tidewater in Tidewater 3.2.dmg: com.tidewater " + imageVersion + " (3200), " + team, verdict}));
        QCOMPARE(set.consistent(), verdict == "consistent");
    }
};

QTEST_GUILESS_MAIN(EvidenceTest)
#include "evidence_test.moc"
