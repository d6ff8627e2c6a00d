// The machine-readable outputs: one golden file per format of a run that holds
// every shape (an app with every field and a notary forecast and one with
// neither, a disk image with its packaged app and one without, a digest that
// could not be made, a skipped path, a disagreeing release set, text XML cannot
// carry), its JSON against the schema.

#include "test_files.h"

#include "engine/check_catalog.h"
#include "report/evidence_json.h"
#include "report/junit_report.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <algorithm>

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
    InspectionCheck undecided = makeCheck(Checks::gatekeeperAssessment, CheckStatus::warning, "Only a Mac can assess it.");
    undecided.decidedOnHost = false;
    const QList<InspectionCheck> appChecks{
        makeCheck(Checks::developerId, CheckStatus::pass, "Developer ID Application: Tidewater Labs (K7WQ3N2ZP4)"),
        makeCheck(Checks::hardenedRuntime, CheckStatus::warning, "Veristamp did not find the Hardened Runtime flag."),
        InspectionCheck{"a-b-c-d", kHostile, kHostile, CheckStatus::fail}, undecided};
    const QString entitlements = "<plist version=\"1.0\"><dict><key>com.apple.security.app-sandbox</key><true/>"
                                 "<key>data</key><data>AAE=</data></dict></plist>";
    const QString authority = "Developer ID Application: Tidewater Labs (K7WQ3N2ZP4)";
    const AppInspection app{"Tidewater", "com.tidewater", "3.2.0", "3200", "12.0", "Tidewater", appChecks, entitlements,
                            authority};
    AppInspection packaged{"Tidewater", "com.tidewater", "3.1.0", {}, {}, {}, appChecks.mid(0, 1), {}, authority};
    const QList<InspectionCheck> imageChecks{
        makeCheck(Checks::diskImageIntegrity, CheckStatus::pass, "The DMG passed hdiutil verification.")};
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
    run.packages[0].forecast = NotaryForecast{{{"error", "Tidewater.app/Contents/MacOS/Tidewater", "The binary is not signed.",
                                                "arm64", "Sign it."},
                                               {"warning", "Tidewater.app", "Part of it could not be read.", "", "Make it readable."}},
                                              {}};
    return run;
}

// A run of one application with this detail on its only check and these entitlements.
RunEvidence oneAppRun(const QString &detail, const QString &entitlements)
{
    RunEvidence run = goldenRun();
    const AppInspection app{"App", {}, {}, {}, {}, {}, {makeCheck(Checks::codeSignature, CheckStatus::fail, detail)}, entitlements};
    run.packages = {{"A.app", "/A.app", {QUrl::fromLocalFile("/A.app"), 1, app}, {QString(64, 'e'), {}}}};
    run.releaseSet.reset();
    return run;
}

QString plist(const QString &dictBody)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + dictBody + "</dict></plist>";
}

// Keeps every write apart, to see how the document reached the device.
class WriteLog : public QIODevice {
public:
    WriteLog() { open(QIODevice::WriteOnly); }
    QByteArray bytes;
    qint64 largestWrite = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        bytes.append(data, size);
        largestWrite = std::max(largestWrite, size);
        return size;
    }
};

} // namespace

class EvidenceTest : public QObject {
    Q_OBJECT

private slots:
    void goldenDocuments()
    {
        const RunEvidence run = goldenRun();
        for (const auto &[name, document] : {std::pair{"json", evidenceJson(run)}, std::pair{"xml", junitXml(run)}})
            QCOMPARE(document, readAll(QFINDTESTDATA(QStringLiteral("golden/evidence.%1").arg(name))));
        QVERIFY(releaseSetLines(*run.releaseSet)
                    .contains("Version does not agree: 3.2.0 (Tidewater.app); 3.1.0 (Tidewater in Tidewater 3.2.dmg)"));
    }

    void theDocumentFitsTheSchema()
    {
        const QString violations = schemaViolations(QJsonDocument::fromJson(evidenceJson(goldenRun())).object());
#ifdef __APPLE__
        if (violations.startsWith("no validator"))
            QSKIP("python3 with jsonschema is not installed");
#endif
        QCOMPARE(violations, QString());
        QVERIFY(!schemaViolations(QJsonObject{{"schemaVersion", 1}}).isEmpty());
    }

    // The document is QJsonDocument's own indented form of what it holds,
    // whatever text and property list values go into it: reading it and
    // writing it again with Qt gives the same bytes.
    void jsonIsQtsIndentedForm_data()
    {
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("entitlements");
        QTest::newRow("controls, quotes, backslashes, separators")
            << QString::fromUtf8("\x01\x08\t\n\x0b\x0c\r\x1f\"\\/\x7f\u0080\u2028\u2029\uFEFF\uFFFF\U0001F680") << QString();
        QTest::newRow("a lone surrogate, which UTF-8 cannot carry") << QString(QChar(0xD83D)) + 'x' + QChar(0xDE80) << QString();
        QTest::newRow("keys in Qt's order")
            << "x" << plist("<key>b</key><true/><key>B</key><false/><key>\u00E9</key><string>e</string>"
                            "<key>\U0001F680</key><integer>1</integer><key>\uFFFD</key><integer>2</integer>"
                            "<key></key><string/>");
        QTest::newRow("numbers") << "x"
                                 << plist("<key>a</key><real>3.0</real><key>b</key><real>1e20</real><key>c</key><real>0.1</real>"
                                          "<key>d</key><real>-2.5e-7</real><key>e</key><integer>-9223372036854775808</integer>"
                                          "<key>f</key><integer>9223372036854775807</integer><key>g</key><real>1e300</real>");
        QTest::newRow("containers, data and dates")
            << "" << plist("<key>a</key><array/><key>b</key><dict/><key>c</key><array><dict><key>x</key><array><true/>"
                           "</array></dict><string>\u00FF</string></array><key>d</key><data>AAEC/w==</data>"
                           "<key>e</key><date>2024-02-29T12:00:00Z</date>");
    }
    void jsonIsQtsIndentedForm()
    {
        QFETCH(QString, detail);
        QFETCH(QString, entitlements);
        const QByteArray written = evidenceJson(oneAppRun(detail, entitlements));
        QJsonParseError error{};
        const QJsonDocument read = QJsonDocument::fromJson(written, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(written, read.toJson(QJsonDocument::Indented));
        QCOMPARE(read["packages"][0]["checks"][0]["detail"].toString(), detail);
        QCOMPARE(read["packages"][0]["entitlements"]["parsed"].isObject(), !entitlements.isEmpty());
    }

    // The parsed entitlements are the property list read from the text's
    // UTF-8 bytes, as the declaration says to decode them; a repeated key
    // keeps its last value.
    void parsedEntitlements_data()
    {
        QTest::addColumn<QString>("entitlements");
        QTest::addColumn<QByteArray>("parsed"); // as JSON
        QTest::newRow("a repeated key") << plist("<key>a</key><integer>1</integer><key>b</key><true/><key>a</key><integer>2</integer>")
                                        << QByteArray(R"({"a": 2, "b": true})");
        QTest::newRow("entity, comment and CDATA in keys")
            << plist("<key>a&amp;b</key><!-- c --><true/><key><![CDATA[<x>]]></key><false/>")
            << QByteArray(R"({"<x>": false, "a&b": true})");
        QTest::newRow("Latin-1 declared") << QString::fromUtf8("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                                                               "<plist><dict><key>\u00E9</key><true/></dict></plist>")
                                          << QByteArray("{\"\u00C3\u00A9\": true}");
    }
    void parsedEntitlements()
    {
        QFETCH(QString, entitlements);
        QFETCH(QByteArray, parsed);
        const QJsonDocument read = QJsonDocument::fromJson(evidenceJson(oneAppRun("x", entitlements)));
        QCOMPARE(read["packages"][0]["entitlements"]["text"].toString(), entitlements);
        QCOMPARE(read["packages"][0]["entitlements"]["parsed"].toObject(), QJsonDocument::fromJson(parsed).object());
    }

    // Values from Info.plist and names in the RELEASE SET block are shown, not
    // obeyed: a line break, a terminal control, a C1 control or DEL in a name or
    // a version cannot forge a line there.
    void releaseSetLinesShowControls()
    {
        const QString name = "A\x1b[2K\rB\u0085\x7f";
        const AppInspection first{name, "com.a", "1.0\nconsistent\u009b", "1", {}, {}, {}, {}};
        const AppInspection second{"B", "com.a", "2.0", "1", {}, {}, {}, {}};
        const QStringList lines = releaseSetLines(compareReleaseSet(
            {{QUrl::fromLocalFile("/r/" + name + ".app"), 1, first}, {QUrl::fromLocalFile("/r/B.app"), 1, second}}));
        QCOMPARE(lines.size(), 2 + 2 + 2); // heading, rule, two apps, version and signing authority disagreeing
        for (const QString &line : lines) {
            for (const QChar c : line)
                QVERIFY2(c >= u' ' && !(c >= u'\x7f' && c <= u'\x9f'), qPrintable(line));
        }
    }

    // Both documents reach the device in pieces while they are made, never
    // as one copy of a detail as long as a tool's whole output.
    void documentsAreStreamed_data()
    {
        QTest::addColumn<bool>("json");
        QTest::newRow("json") << true;
        QTest::newRow("junit") << false;
    }
    void documentsAreStreamed()
    {
        QFETCH(bool, json);
        const QString output = QString("a sealed resource is missing or invalid\n").repeated(100'000); // 4 MB
        const RunEvidence run = oneAppRun(output, {});
        WriteLog device;
        QVERIFY(json ? writeEvidenceJson(run, &device) : writeJunitXml(run, &device));
        QCOMPARE(device.bytes, json ? evidenceJson(run) : junitXml(run));
        QVERIFY(device.bytes.size() > output.size());
        QVERIFY2(device.largestWrite <= 256 * 1024, qPrintable(QString::number(device.largestWrite)));
    }
};

QTEST_GUILESS_MAIN(EvidenceTest)
#include "evidence_test.moc"
