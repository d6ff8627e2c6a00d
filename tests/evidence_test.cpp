// The machine-readable outputs: one golden file per format of a run that holds
// every shape (an app with every field and one with none, a disk image with its
// packaged app and one without, a digest that could not be made, a skipped path,
// a disagreeing release set, text XML cannot carry), its JSON against the schema.

#include "report/evidence_json.h"
#include "report/junit_report.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTest>

namespace {

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

const QString kHostile = QStringLiteral("a\x01<b> & \"c\" ]]> \U0001F680\nd");

RunEvidence goldenRun()
{
    InspectionCheck undecided = makeCheck("Gatekeeper assessment", CheckStatus::warning, "Only a Mac can assess it.");
    undecided.decidedOnHost = false;
    const QList<InspectionCheck> appChecks{
        makeCheck("Developer ID", CheckStatus::pass, "Developer ID Application: Tidewater Labs (K7WQ3N2ZP4)"),
        makeCheck("Hardened Runtime", CheckStatus::warning, "Veristamp did not find the Hardened Runtime flag."),
        makeCheck(kHostile, CheckStatus::fail, kHostile), undecided};
    const QString entitlements = "<plist version=\"1.0\"><dict><key>com.apple.security.app-sandbox</key><true/>"
                                 "<key>data</key><data>AAE=</data></dict></plist>";
    const AppInspection app{"Tidewater", "com.tidewater", "3.2.0", "3200", "12.0", "Tidewater", appChecks, entitlements};
    AppInspection packaged{"Tidewater", "com.tidewater", "3.1.0", {}, {}, {}, appChecks.mid(0, 1), {}};
    const QList<InspectionCheck> imageChecks{
        makeCheck("Disk image integrity", CheckStatus::pass, "The DMG passed hdiutil verification.")};
    RunEvidence run{"veristamp-check", "1.0", "1", QDateTime({2025, 1, 15}, {8, 0, 0}, Qt::UTC), 2,
                    EvidenceHost{"Debian GNU/Linux", "12", "x86_64", "/opt/release-tools",
                                 {{"/usr/bin/codesign", QString(64, 'a')}, {"/usr/bin/hdiutil", std::nullopt}}},
                    {{"Tidewater.app", "/builds/Tidewater.app",
                      {QUrl::fromLocalFile("/builds/Tidewater.app"), 48'213'504, app}, {QString(64, 'b'), {}}},
                     {"dist/T.dmg", "/builds/dist/Tidewater 3.2.dmg",
                      {QUrl::fromLocalFile("/builds/dist/Tidewater 3.2.dmg"), 52'480'000,
                       DiskImageInspection{"Tidewater 3.2", imageChecks, packaged}},
                      {std::nullopt, "Permission denied"}},
                     {"Bare.app", "/builds/Bare.app",
                      {QUrl::fromLocalFile("/builds/Bare.app"), 0, AppInspection{"Bare", {}, {}, {}, {}, {}, {}, {}}},
                      {QString(64, 'c'), {}}},
                     {"Empty.dmg", "/builds/Empty.dmg",
                      {QUrl::fromLocalFile("/builds/Empty.dmg"), 4096, DiskImageInspection{"Empty", imageChecks, {}}},
                      {QString(64, 'd'), {}}}},
                    {{"Missing.app", "no such file or folder"}},
                    {}};
    run.releaseSet = compareReleaseSet({run.packages[0].result, run.packages[1].result});
    return run;
}

} // namespace

class EvidenceTest : public QObject {
    Q_OBJECT

private slots:
    void goldenDocuments()
    {
        const RunEvidence run = goldenRun();
        for (const auto &[name, document] : {std::pair{"json", evidenceJson(run)}, std::pair{"xml", junitXml(run)}}) {
            QFile golden(QFINDTESTDATA(QStringLiteral("golden/evidence.%1").arg(name)));
            QVERIFY2(golden.open(QIODevice::ReadOnly), name);
            QCOMPARE(document, golden.readAll());
        }
        QVERIFY(releaseSetLines(*run.releaseSet)
                    .contains("Version does not agree: 3.2.0 (Tidewater.app); 3.1.0 (Tidewater in Tidewater 3.2.dmg)"));
    }

    void theDocumentFitsTheSchema()
    {
        const QString violations = schemaViolations(evidenceJsonObject(goldenRun()));
#ifdef __APPLE__
        if (violations.startsWith("no validator"))
            QSKIP("python3 with jsonschema is not installed");
#endif
        QCOMPARE(violations, QString());
        QVERIFY(!schemaViolations(QJsonObject{{"schemaVersion", 1}}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(EvidenceTest)
#include "evidence_test.moc"
