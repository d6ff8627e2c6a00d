// veristamp-check run as a process on fixture packages through the stand-in tools.

#include "engine/package_inspection.h"
#include "engine/release_tools.h"
#include "report/report_text.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct CheckRun {
    int exitCode = -1;
    QString out;
    QString err;
};

QString fixture(const QString &relative)
{
    return QStringLiteral(VERISTAMP_TEST_PACKAGES "/") + relative;
}

// The reports differ only in the moment they were made.
QString withoutGeneratedLines(QString report)
{
    static const QRegularExpression generated(QStringLiteral("^Generated: .*$"), QRegularExpression::MultilineOption);
    return report.replace(generated, QStringLiteral("Generated: -"));
}

} // namespace

class CheckCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

    CheckRun check(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_temp.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VERISTAMP_CHECK_PROGRAM), arguments);
        if (!process.waitForFinished(120000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString expectedReport(const QString &path, PackageKind kind)
    {
        const ReleaseTools tools = releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT));
        return releaseReportText(inspectPackage(QUrl::fromLocalFile(path), kind, tools));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", m_temp.path().toUtf8());
    }

    void exitStatusFollowsTheWorstPackage_data()
    {
        QTest::addColumn<QStringList>("packages");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("ready app") << QStringList{fixture("apps/Ready.app")} << 0;
        QTest::newRow("review app") << QStringList{fixture("apps/Development.app")} << 2;
        QTest::newRow("risky entitlements") << QStringList{fixture("apps/RiskyEntitlements.app")} << 1;
        QTest::newRow("broken signature") << QStringList{fixture("apps/BrokenSignature.app")} << 2;
        QTest::newRow("notarized disk image") << QStringList{fixture("dmgs/Notarized.dmg")} << 0;
        QTest::newRow("missing path") << QStringList{fixture("apps/Missing.app")} << 66;
        QTest::newRow("zip path") << QStringList{fixture("../CMakeFiles/Ready.zip")} << 66;
        QTest::newRow("missing beside ready") << QStringList{fixture("apps/Ready.app"), fixture("apps/Missing.app")} << 66;
        QTest::newRow("missing beside review")
            << QStringList{fixture("apps/RiskyEntitlements.app"), fixture("apps/Missing.app")} << 66;
        QTest::newRow("do not ship beside missing")
            << QStringList{fixture("apps/Missing.app"), fixture("apps/BrokenSignature.app")} << 2;
        QTest::newRow("no package") << QStringList{} << 64;
        QTest::newRow("unknown option") << QStringList{"--fast", fixture("apps/Ready.app")} << 64;
        QTest::newRow("output dir without folder") << QStringList{fixture("apps/Ready.app"), "--output-dir"} << 64;
        QTest::newRow("unknown format") << QStringList{"--format", "xml", fixture("apps/Ready.app")} << 64;
        QTest::newRow("json of a ready app") << QStringList{"--format", "json", fixture("apps/Ready.app")} << 0;
        QTest::newRow("release set that agrees")
            << QStringList{"--release-set", fixture("apps/Ready.app"), fixture("dmgs/Notarized.dmg")} << 0;
        QTest::newRow("release set that disagrees")
            << QStringList{"--release-set", "--format", "junit", fixture("apps/Ready.app"), fixture("apps/LaterDeveloperID.app")} << 1;
    }

    void exitStatusFollowsTheWorstPackage()
    {
        QFETCH(QStringList, packages);
        QFETCH(int, exitCode);
        QCOMPARE(check(packages).exitCode, exitCode);
    }

    void printsTheWindowsReportForEachPackage()
    {
        const QString app = fixture("apps/Ready.app");
        const QString image = fixture("dmgs/Notarized.dmg");
        const CheckRun run = check({app, image});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err)); // not a terminal: no stage lines
        const QString expected = expectedReport(app, PackageKind::application) + QLatin1Char('\n')
            + expectedReport(image, PackageKind::diskImage);
        QCOMPARE(withoutGeneratedLines(run.out), withoutGeneratedLines(expected));
    }

    void namesWhatItCannotCheckAndGoesOn()
    {
        const QString missing = fixture("apps/Missing.app");
        const QString archive = m_temp.filePath(QStringLiteral("Release.zip"));
        QFile(archive).open(QIODevice::WriteOnly);
        const CheckRun run = check({missing, archive, fixture("apps/Ready.app")});
        QCOMPARE(run.exitCode, 66);
        QVERIFY(run.err.contains(missing));
        QVERIFY(run.err.contains(archive));
        QCOMPARE(run.out.count(QStringLiteral("VERISTAMP RELEASE PREFLIGHT REPORT")), 1);
    }

    void savesEachReportInTheOutputFolder_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("packageMark"); // once in a document of one package
        QTest::newRow("text") << "text" << "txt" << "VERISTAMP RELEASE PREFLIGHT REPORT";
        QTest::newRow("json") << "json" << "json" << "\"resolvedPath\"";
        QTest::newRow("junit") << "junit" << "xml" << "<testsuite ";
    }

    void savesEachReportInTheOutputFolder()
    {
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QFETCH(QString, packageMark);
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("reports/today"));
        const QString app = fixture("apps/Ready.app");
        const CheckRun run = check({"--format", format, "--output-dir", folder, app, app});
        QCOMPARE(run.exitCode, 0);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2); // the same name in the same minute does not replace the first report
        const QRegularExpression name("^Ready-Veristamp-\\d{4}-\\d\\d-\\d\\d-\\d{4}(-2)?\\." + extension + "$");
        const QString expected = withoutGeneratedLines(expectedReport(app, PackageKind::application));
        for (const QString &file : files) {
            QVERIFY2(name.match(file).hasMatch(), qPrintable(file));
            QFile report(QDir(folder).filePath(file));
            QVERIFY(report.open(QIODevice::ReadOnly));
            const QString saved = QString::fromUtf8(report.readAll());
            QCOMPARE(saved.count(packageMark), 1);
            if (format == "text")
                QCOMPARE(withoutGeneratedLines(saved), expected);
        }
    }

    void jsonIsOneDocumentForTheWholeRun()
    {
        const QString missing = fixture("apps/Missing.app");
        const CheckRun run = check({"--format", "json", "--release-set", fixture("apps/Ready.app"), missing,
                                    fixture("dmgs/Notarized.dmg")});
        QCOMPARE(run.exitCode, 66);
        const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(json["exitStatus"].toInt(), 66);
        QCOMPARE(json["packages"].toArray().size(), 2);
        QCOMPARE(json["skipped"][0]["path"].toString(), missing);
        QCOMPARE(json["releaseSet"]["consistent"].toBool(), true);
    }

    // The authority is the first one the signature display names, for a named and a packaged app alike.
    void releaseSetFollowsTheReports()
    {
        const CheckRun run = check({"--release-set", fixture("apps/Ready.app"), fixture("dmgs/Notarized.dmg")});
        QVERIFY2(run.out.endsWith("Release Preflight for macOS\n\nRELEASE SET\n-----------\n"
                                  "Ready.app: com.northwind.ready 2.4.1 (241), Developer ID Application: Northwind Software (7Q2XK4M9PL)\n"
                                  "Ready in Notarized.dmg: com.northwind.ready 2.4.1 (241), Developer ID Application: Northwind Software (7Q2XK4M9PL)\n"
                                  "consistent\n"),
                 qPrintable(run.out.right(400)));
    }

    void anUnwritableOutputFolderFailsWithoutPartialFiles()
    {
        // A folder below a regular file cannot be made or written, whoever runs the test.
        QTemporaryDir scratch;
        const QString blocker = scratch.filePath(QStringLiteral("not-a-folder"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        const CheckRun run = check({"--output-dir", blocker + QStringLiteral("/reports"), fixture("apps/Ready.app")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("could not be saved")), qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("READY TO SHIP")));
        QCOMPARE(QDir(scratch.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QStringLiteral("not-a-folder")});
    }
};

QTEST_GUILESS_MAIN(CheckCommandTest)
#include "check_command_test.moc"
