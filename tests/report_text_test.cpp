// The release report: one golden file per shape, compared whole at a fixed
// moment, the lines a few odd results print, the byte counts it shows, the
// file name a save proposes for it, and where it may be saved: never into the
// package being checked, however the path is spelt, and the folder the save
// panel proposes. Saving itself: ui_results_test.

#include "test_files.h"

#include "report/byte_count_text.h"
#include "report/report_file_name.h"
#include "report/report_folder.h"
#include "report/report_text.h"

#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <limits>

namespace {

QDateTime moment(QDate date, QTime time, int offsetSeconds) { return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds); }

// "LABEL Title: detail" per check.
QList<InspectionCheck> checks(const QStringList &lines)
{
    static const QHash<QString, CheckStatus> statuses{{"PASS", CheckStatus::pass}, {"WARN", CheckStatus::warning},
                                                      {"FAIL", CheckStatus::fail}, {"NEXT", CheckStatus::pending}};
    QList<InspectionCheck> made;
    for (const QString &line : lines)
        made << InspectionCheck{{}, line.mid(5).section(": ", 0, 0), line.section(": ", 1), statuses.value(line.left(4))};
    return made;
}

const QString kEntitlements = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                              "\t<key>com.apple.security.get-task-allow</key>\n\t<true/>\n</dict>\n</plist>";

QList<InspectionCheck> appChecks(const QString &gatekeeper)
{
    return checks({"PASS Code signature: The application passed codesign verification.",
                   "WARN Release entitlements: Review before shipping: com.apple.security.get-task-allow.",
                   gatekeeper + " Gatekeeper assessment: Harbor Lights.app: "
                       + (gatekeeper == "PASS" ? "accepted source=Notarized Developer ID"
                                               : "rejected source=Unnotarized Developer ID")});
}

InspectionResult fullApplication()
{
    return {QUrl::fromLocalFile("/Users/dana/Builds/Harbor Lights.app"), 48'213'504,
            AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", "241", "13.0", "Harbor Lights",
                          appChecks("PASS"), kEntitlements}};
}

// An unsigned bundle with an empty Info.plist: every optional field absent.
InspectionResult bareApplication()
{
    return {QUrl::fromLocalFile("/tmp/Bare.app"), 0,
            AppInspection{"Bare", {}, {}, {}, {}, {},
                          checks({"FAIL Code signature: The application failed codesign verification.",
                                  "WARN Developer ID: Veristamp could not find a Developer ID Application signing "
                                  "authority.",
                                  "PASS Release entitlements: No signed entitlements were reported."}),
                          {}}};
}

// The image's own checks pass; its application carries the only failure.
InspectionResult diskImageWithApp(const QString &appEntitlements)
{
    return {QUrl::fromLocalFile("/Users/dana/Release/Harbor-2.4.1.dmg"), 52'480'000,
            DiskImageInspection{"Harbor-2.4.1",
                                checks({"PASS Disk image integrity: The DMG passed hdiutil verification.",
                                        "PASS Packaged application: Harbor Lights.app was found inside the DMG."}),
                                AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", {}, {}, {},
                                              appChecks("FAIL"), appEntitlements}}};
}

} // namespace

class ReportTextTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    QString at(const QString &relative) const { return relative.isEmpty() ? QString() : m_root.filePath(relative); }

private slots:
    // "printed" is either the name of a golden report, the whole text, or,
    // starting with a line break, lines found in it.
    void printedReport_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("printed");
        const InspectionResult withoutApp{
            QUrl::fromLocalFile("/Users/dana/Release/Harbor-2.4.1.DMG"), 1'234'567'890, // the extension upper case
            DiskImageInspection{
                "Harbor-2.4.1",
                checks({"PASS Disk image integrity: The DMG passed hdiutil verification.",
                        "WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG.",
                        "FAIL Packaged application: No .app bundle was found at the top level of the mounted DMG."}),
                {}}};
        InspectionResult noChecks = fullApplication();
        noChecks.byteSize = 999;
        std::get<AppInspection>(noChecks.package).checks.clear();
        std::get<AppInspection>(noChecks.package).entitlements.clear();
        const QDateTime winter = moment({2025, 1, 15}, {8, 0, 0}, 3600);
        QTest::newRow("application with every field, at GMT+05:30")
            << fullApplication() << moment({2024, 3, 9}, {14, 5, 7}, 5 * 3600 + 1800) << "application_full";
        QTest::newRow("application with every field absent, at GMT")
            << bareApplication() << moment({2023, 12, 31}, {23, 59, 59}, 0) << "application_absent";
        QTest::newRow("disk image without app, at GMT-08:00")
            << withoutApp << moment({2024, 7, 4}, {9, 30, 0}, -8 * 3600) << "disk_image_without_app";
        QTest::newRow("disk image with app") << diskImageWithApp(kEntitlements) << winter << "disk_image_with_app";
        QTest::newRow("disk image with app without entitlements")
            << diskImageWithApp(QString()) << winter << "disk_image_with_app_no_entitlements";
        QTest::newRow("no checks") << noChecks << moment({2024, 2, 29}, {0, 0, 0}, 5 * 3600 + 1800) << "no_checks";
        const QDateTime noon = moment({2024, 1, 1}, {12, 0, 0}, 0);
        InspectionResult emptyIdentifier = fullApplication();
        std::get<AppInspection>(emptyIdentifier.package).bundleIdentifier = QString();
        QTest::newRow("empty bundle identifier keeps the label's space")
            << emptyIdentifier << noon << "\nBundle Identifier: \nVersion: 2.4.1\n";
        InspectionResult odd = bareApplication();
        auto &oddApp = std::get<AppInspection>(odd.package);
        oddApp.entitlements = QStringLiteral(" ");
        oddApp.checks = checks({"NEXT Gatekeeper assessment: Waiting for the assessment.",
                                "FAIL Code signature: invalid signature\nIn subcomponent: x"});
        QTest::newRow("pending check, a line break in a detail cannot start a line, entitlements of one space")
            << odd << noon
            << "\n[NEXT] Gatekeeper assessment\n    Waiting for the assessment.\n[FAIL] Code signature\n"
               "    invalid signature\uFFFDIn subcomponent: x\n\nSIGNED ENTITLEMENTS\n-------------------\n \n\nREPORT NOTE\n";
        QTest::newRow("less than an hour west") << odd << moment({2024, 5, 1}, {7, 8, 9}, -1800)
                                                << "\nGenerated: 2024-05-01 07:08:09 GMT-00:30\n";
        QTest::newRow("named zone in summer time")
            << odd << QDateTime({2024, 7, 1}, {23, 0, 0}, QTimeZone("America/Los_Angeles"))
            << "\nGenerated: 2024-07-01 23:00:00 GMT-07:00\n";
    }

    void printedReport()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QDateTime, now);
        QFETCH(QString, printed);
        if (!now.timeZone().isValid())
            QSKIP("no time zone database");
        const QString text = releaseReportText(result, now);
        if (printed.startsWith('\n')) {
            QVERIFY2(text.contains(printed), qPrintable(text));
            return;
        }
        QCOMPARE(text.toUtf8(), readAll(QFINDTESTDATA(QStringLiteral("golden/report_%1.txt").arg(printed))));
    }

    // READY TO SHIP needs at least one finished check and none pending.
    void verdict_data()
    {
        QTest::addColumn<QStringList>("imageChecks"); // the disk image's; empty: an application alone
        QTest::addColumn<QStringList>("appChecks");
        QTest::addColumn<QString>("verdict");
        const QStringList pass{"PASS Code signature: ok"};
        const QStringList next{"NEXT Gatekeeper assessment: Waiting."};
        QTest::newRow("no check at all") << QStringList() << QStringList() << "REVIEW BEFORE SHIPPING";
        QTest::newRow("a pending check alone") << QStringList() << next << "REVIEW BEFORE SHIPPING";
        QTest::newRow("passes and a pending check") << QStringList() << pass + next << "REVIEW BEFORE SHIPPING";
        QTest::newRow("passes alone") << QStringList() << pass << "READY TO SHIP";
        QTest::newRow("a failure beside a pending check") << QStringList() << QStringList{"FAIL Code signature: bad"} + next
                                                          << "DO NOT SHIP";
        QTest::newRow("image passes, its app still pending") << pass << next << "REVIEW BEFORE SHIPPING";
        QTest::newRow("image and app pass") << pass << pass << "READY TO SHIP";
    }
    void verdict()
    {
        QFETCH(QStringList, imageChecks);
        QFETCH(QStringList, appChecks);
        const AppInspection app{"Harbor Lights", {}, {}, {}, {}, {}, checks(appChecks), {}};
        const InspectionResult result = imageChecks.isEmpty()
            ? InspectionResult{QUrl::fromLocalFile("/tmp/Harbor Lights.app"), 1, app}
            : InspectionResult{QUrl::fromLocalFile("/tmp/Harbor.dmg"), 1, DiskImageInspection{"Harbor", checks(imageChecks), app}};
        const QString text = releaseReportText(result, moment({2024, 1, 1}, {12, 0, 0}, 0));
        QTEST(text.section(QStringLiteral("Verdict: "), 1).section('\n', 0, 0), "verdict");
    }

    // The name with each run of the characters a file name cannot hold made one
    // hyphen (none at either end), then the moment the save dialog opened.
    void proposedFileName_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("all ten, at the ends too") << "/:\\?%*|\"<>x/:\\?%*|\"<>y\"" << "x-y-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("only forbidden characters") << "<|>" << "-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("surrounding spaces and other punctuation kept")
            << " Harbor.Lights - β " << " Harbor.Lights - β -Veristamp-2024-03-09-0705.txt";
    }
    void proposedFileName()
    {
        QFETCH(QString, displayName);
        const InspectionResult named{QUrl::fromLocalFile("/tmp/Bare.app"), 0, AppInspection{displayName, {}, {}, {}, {}, {}, {}, {}}};
        QTEST(defaultReportFileName(named, moment({2024, 3, 9}, {7, 5, 59}, -8 * 3600)), "fileName");
    }

    // Decimal units, rounded half up to three significant digits at most, trailing zeros dropped.
    void byteCounts()
    {
        const QList<std::pair<qint64, QString>> rows{
            {0, "Zero KB"}, {1, "1 byte"}, {999, "999 bytes"}, {1'000, "1 KB"}, {1'499, "1 KB"}, {1'500, "2 KB"},
            {999'499, "999 KB"}, {999'500, "1 MB"}, {1'500'000, "1.5 MB"}, {48'250'000, "48.3 MB"}, {999'950'000, "1 GB"},
            {1'234'567'890, "1.23 GB"}, {2'500'000'000, "2.5 GB"}, {2'999'999'999, "3 GB"}, {1'005'000'000'000, "1.01 TB"},
            {7'000'000'000'000'000, "7 PB"}, {std::numeric_limits<qint64>::max(), "9.22 EB"}, {-1'500, "-2 KB"}};
        for (const auto &[bytes, text] : rows)
            QCOMPARE(byteCountText(bytes), text);
    }

    // Builds/Harbor.app (a bundle), Builds/Harbor.dmg (an image file), links
    // into and beside the bundle, and a Documents folder.
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QDir root(m_root.path());
        QVERIFY(root.mkpath("Builds/Harbor.app/Contents/MacOS") && root.mkpath("Documents")
                && root.mkpath("Builds/Harbor.app-old"));
        QVERIFY(QFile(at("Builds/Harbor.dmg")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(at("Builds/Harbor.app/Contents"), at("IntoBundle")));
        QVERIFY(QFile::link(at("Builds"), at("BuildsLink")));
        QVERIFY(QFile::link(at("Builds/Harbor.app"), at("Builds/Harbor.app/Contents/SelfLink")));
    }

    void withinPackage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("within");

        const QString app = "Builds/Harbor.app";
        QTest::newRow("a file in the bundle's folder") << app + "/Contents/report.txt" << app << true;
        QTest::newRow("a file at the bundle's top") << app + "/report.txt" << app << true;
        QTest::newRow("a folder yet to be made inside") << app + "/Contents/New/Deeper/report.txt" << app << true;
        QTest::newRow("the bundle itself") << app << app << true;
        QTest::newRow("through a link into the bundle") << "IntoBundle/report.txt" << app << true;
        QTest::newRow("through a link to the folder above") << "BuildsLink/Harbor.app/report.txt" << app << true;
        QTest::newRow("dot-dot out of the bundle") << app + "/Contents/../../report.txt" << app << false;
        QTest::newRow("a link inside leading back") << app + "/Contents/SelfLink/report.txt" << app << true;
        QTest::newRow("beside the bundle") << "Builds/report.txt" << app << false;
        QTest::newRow("a sibling sharing the name's start") << "Builds/Harbor.app-old/report.txt" << app << false;
        QTest::newRow("the bundle through a link given as package") << app + "/report.txt" << "BuildsLink/Harbor.app" << true;
        QTest::newRow("over the image file") << "Builds/Harbor.dmg" << "Builds/Harbor.dmg" << true;
        QTest::newRow("beside the image file") << "Builds/Harbor.txt" << "Builds/Harbor.dmg" << false;
        QTest::newRow("a package that is gone") << "Builds/Gone.app/report.txt" << "Builds/Gone.app" << false;
        QTest::newRow("no path") << "" << app << false;
    }

    void withinPackage()
    {
        QFETCH(QString, path);
        QFETCH(QString, package);
        QTEST(liesWithinPackage(at(path), at(package)), "within");
    }

    // Names that differ only in case are one folder where the file system
    // finds it by either name, and two folders where it does not.
    void caseAsTheFileSystemCompares()
    {
        const QString variant = at("Builds/HARBOR.APP/Contents/report.txt");
        const bool foldsCase = QFileInfo::exists(at("Builds/HARBOR.APP"));
        QCOMPARE(liesWithinPackage(variant, at("Builds/Harbor.app")), foldsCase);
    }

    void proposedFolder_data()
    {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("proposed");

        QTest::newRow("documents exists") << "Documents" << "Builds/Harbor.app" << "Documents";
        QTest::newRow("documents missing") << "Missing" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("no documents folder known") << "" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("documents inside the bundle") << "IntoBundle" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("documents is the image file") << "Builds/Harbor.dmg" << "Builds/Harbor.dmg" << "Builds";
        QTest::newRow("package through a link") << "Missing" << "BuildsLink/Harbor.app" << "Builds";
    }

    void proposedFolder()
    {
        QFETCH(QString, documents);
        QFETCH(QString, package);
        QFETCH(QString, proposed);
        const QString expected = QFileInfo(at(proposed)).canonicalFilePath();
        QCOMPARE(QFileInfo(proposedReportFolder(at(documents), at(package))).canonicalFilePath(), expected);
    }
};

QTEST_GUILESS_MAIN(ReportTextTest)
#include "report_text_test.moc"
