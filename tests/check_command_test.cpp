// veristamp-check: its command line, and the program run as a process on
// fixture packages through the stand-in tools. A package never vouches for
// itself: answers recorded inside it are replayed only when the run asks for
// replay, and every check of such a run says so; without replay the
// stand-ins read the package's own bytes, records or not.

#include "check_program.h"
#include "test_files.h"

#include "cli/check_options.h"
#include "engine/package_inspection.h"
#include "report/report_text.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString fixture(const QString &relative) { return QStringLiteral(VERISTAMP_TEST_PACKAGES "/") + relative; }

// The report without its "Generated:" line, the one line that depends on the moment.
QString undated(const QString &report) { return QString(report).remove(QRegularExpression("\nGenerated: [^\n]*")); }

// The report of a fixture as the window makes it, without its moment.
QString windowReport(const QString &relative)
{
    const PackageKind kind = relative.endsWith(".dmg") ? PackageKind::diskImage : PackageKind::application;
    return undated(releaseReportText(
        inspectPackage(QUrl::fromLocalFile(fixture(relative)), kind, releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT)))),
        QDateTime::currentDateTime()));
}

// Every decidedBy of a package's checks and of its packaged app's.
QSet<QString> decidersOf(const QJsonObject &package)
{
    QSet<QString> found;
    for (const QJsonArray &checks : {package["checks"].toArray(), package["packagedApp"]["checks"].toArray()})
        for (const QJsonValue &check : checks)
            found << check["decidedBy"].toString();
    return found;
}

} // namespace

class CheckCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase() { qputenv("TMPDIR", m_temp.path().toUtf8()); }

    // What the command line accepts, and the exact reason it refuses.
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("unknown option") << QStringList{"--fast", "A.app"} << "Unknown option 'fast'.";
        QTest::newRow("unknown letter in a cluster") << QStringList{"-hx", "A.app"} << "Unknown option 'x'.";
        QTest::newRow("value for a switch") << QStringList{"--release-set=yes", "A.app"} << "Unexpected value after '--release-set'.";
        QTest::newRow("folder missing") << QStringList{"A.app", "--output-dir"} << "Missing value after '--output-dir'.";
        QTest::newRow("folder empty") << QStringList{"--output-dir=", "A.app"} << "--output-dir needs a folder";
        QTest::newRow("format missing") << QStringList{"A.app", "--format"} << "Missing value after '--format'.";
        QTest::newRow("format unknown") << QStringList{"--format", "xml", "A.app"} << "unknown format xml (text, json or junit)";
        QTest::newRow("no package") << QStringList{"--output-dir", "out"} << "no package given";
        QTest::newRow("values and packages that look like options")
            << QStringList{"--output-dir", "-d", "--format=junit", "--", "-x.app", "-"} << "junit out=-d: -x.app -";
        QTest::newRow("options after packages") << QStringList{"A.app", "--release-set", "B.dmg", "--format", "json"}
                                                << "json set: A.app B.dmg";
        QTest::newRow("help") << QStringList{"-h"} << "text help: ";
        QTest::newRow("version") << QStringList{"--version"} << "text version: ";
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        const ParsedCheckOptions parsed = parseCheckOptions(arguments);
        const CheckOptions o = parsed.options.value_or(CheckOptions{});
        const QString format = o.format == CheckFormat::json ? "json" : o.format == CheckFormat::junit ? "junit" : "text";
        const QString settings = format + (o.releaseSet ? " set" : "")
            + (o.outputDir ? " out=" + *o.outputDir : "") + (o.showHelp ? " help" : "") + (o.showVersion ? " version" : "");
        QTEST(parsed.options ? settings + ": " + o.packages.join(' ') : parsed.error, "outcome");
    }

    // The worst verdict decides (DO NOT SHIP 2, review 1), except that a path that
    // cannot be checked (66) outranks a review; a usage error is 64.
    void exitStatusFollowsTheWorstPackage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("risky entitlements") << QStringList{fixture("apps/RiskyEntitlements.app")} << 1;
        QTest::newRow("missing beside review")
            << QStringList{fixture("apps/RiskyEntitlements.app"), fixture("apps/Missing.app")} << 66;
        QTest::newRow("do not ship beside missing")
            << QStringList{fixture("apps/Missing.app"), fixture("apps/BrokenSignature.app")} << 2;
        QTest::newRow("unknown option") << QStringList{"--fast", fixture("apps/Ready.app")} << 64;
        QTest::newRow("release set that disagrees") << QStringList{"--release-set", "--format", "junit",
            fixture("apps/Ready.app"), fixture("apps/LaterDeveloperID.app")} << 1;
    }
    void exitStatusFollowsTheWorstPackage()
    {
        QFETCH(QStringList, arguments);
        QTEST(check(arguments).exitCode, "exitCode");
    }

    // Each package's report as the window writes it, then the release set; what
    // cannot be checked is named and skipped. As JSON, one document for the run.
    void printsTheWindowsReportForEachPackage()
    {
        const QString missing = fixture("apps/Missing.app"), archive = m_temp.filePath(QStringLiteral("Release.zip"));
        QFile(archive).open(QIODevice::WriteOnly);
        const QStringList packages{fixture("apps/Ready.app"), missing, archive, fixture("dmgs/Notarized.dmg")};
        const CheckRun run = check(QStringList{"--release-set"} + packages);
        QCOMPARE(run.exitCode, 66);
        QCOMPARE(QString::fromUtf8(run.err), "veristamp-check: answers recorded inside the packages are replayed: a demonstration, not a "
                          "judgement\nveristamp-check: " + missing + ": No such file or directory\nveristamp-check: "
                              + archive + ": not an .app bundle or a .dmg disk image\n"); // not a terminal: no stage lines
        QCOMPARE(undated(run.out),
                 windowReport("apps/Ready.app") + '\n' + windowReport("dmgs/Notarized.dmg")
                     + "\nRELEASE SET\n-----------\n"
                       "Ready.app: com.northwind.ready 2.4.1 (241), Developer ID Application: Northwind Software (7Q2XK4M9PL)\n"
                       "Ready in Notarized.dmg: com.northwind.ready 2.4.1 (241), Developer ID Application: Northwind "
                       "Software (7Q2XK4M9PL)\nconsistent\n");

        const CheckRun json = check(QStringList{"--format", "json", "--release-set"} + packages);
        const QJsonObject document = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(json.exitCode, 66);
        QCOMPARE(document["exitStatus"].toInt(), 66);
        QCOMPARE(document["packages"].toArray().size(), 2);
        QCOMPARE(document["skipped"][1]["path"].toString(), archive);
        QCOMPARE(document["releaseSet"]["consistent"].toBool(), true);
    }

    void savesEachReportInTheOutputFolder_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("packageMark"); // once in a document of one package
        QTest::newRow("text") << "text" << "txt" << "VERISTAMP RELEASE PREFLIGHT REPORT";
        QTest::newRow("json") << "json" << "json" << "\"resolvedPath\"";
        QTest::newRow("junit") << "junit" << "xml" << "<property name=\"resolvedPath\"";
    }
    // The same name in the same minute does not replace the first report.
    void savesEachReportInTheOutputFolder()
    {
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QFETCH(QString, packageMark);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("reports/today"));
        const CheckRun run = check({"--format", format, "--output-dir", folder, fixture("apps/Ready.app"), fixture("apps/Ready.app")});
        QCOMPARE(run.exitCode, 0);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
        const QRegularExpression name("^Ready-Veristamp-\\d{4}-\\d\\d-\\d\\d-\\d{4}(-2)?\\." + extension + "$");
        for (const QString &file : files) {
            QVERIFY2(name.match(file).hasMatch(), qPrintable(file));
            QCOMPARE(QString::fromUtf8(readAll(QDir(folder).filePath(file))).count(packageMark), 1);
        }
    }

    void aPackageNeverVouchesForItself_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("replay");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QStringList>("deciders"); // those a check may name

        // A Developer ID app made on a Mac, one of its resources changed after signing, carrying a ready app's records.
        const QString tampered = unpackSignedApp(m_temp.filePath(QStringLiteral("signed")));
        const QString nib = tampered + QStringLiteral("/Contents/Resources/Base.lproj/MainMenu.nib");
        QVERIFY(!tampered.isEmpty() && writeAll(nib, readAll(nib) + "x"));
        QVERIFY(copyTree(fixture("apps/Ready.app/Contents/_ReleaseToolRecords"), tampered + "/Contents/_ReleaseToolRecords"));
        const QStringList fromBytes{QStringLiteral("notOnThisHost"), QStringLiteral("packageBytes")};
        const QStringList recorded{QStringLiteral("recordedAnswers")};
        QTest::newRow("unsigned script app, records of a ready app")
            << fixture("apps/Ready.app") << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("tar image, unsigned app, both with records")
            << fixture("dmgs/Notarized.dmg") << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("Developer ID app, resource changed, records added") << tampered << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("replay asked for: the records answer, and every check says so")
            << fixture("apps/Ready.app") << true << 0 << "READY TO SHIP" << recorded;
        QTest::newRow("replay asked for: an image and its app")
            << fixture("dmgs/Notarized.dmg") << true << 0 << "READY TO SHIP" << recorded;
    }
    // Deciders may be a subset of those allowed (an app without host questions), but never one outside them.
    void aPackageNeverVouchesForItself()
    {
        QFETCH(QString, path);
        QFETCH(bool, replay);
        QFETCH(QStringList, deciders);
        const CheckRun run = check({"--format", "json", path}, {}, replay);
        const QJsonObject package = QJsonDocument::fromJson(run.out)["packages"][0].toObject();
        QTEST(package["verdict"].toString(), "verdict");
        QTEST(run.exitCode, "exitCode");
        const QSet<QString> named = decidersOf(package);
        QVERIFY2(!named.isEmpty(), "no checks");
        for (const QString &decider : named)
            QVERIFY2(deciders.contains(decider), qPrintable(decider));
    }

    // A folder below a regular file cannot be made or written, whoever runs the test.
    void anUnwritableOutputFolderFailsWithoutPartialFiles()
    {
        QTemporaryDir scratch;
        const QString blocker = scratch.filePath(QStringLiteral("not-a-folder"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        const CheckRun run = check({"--output-dir", blocker + QStringLiteral("/reports"), fixture("apps/Ready.app")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("could not be saved"), run.err.constData());
        QVERIFY(run.out.contains("READY TO SHIP"));
        QCOMPARE(QDir(scratch.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QStringLiteral("not-a-folder")});
    }
};

QTEST_GUILESS_MAIN(CheckCommandTest)
#include "check_command_test.moc"
