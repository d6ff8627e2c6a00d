#include "report/report_text.h"
#include "report_sample_results.h"

#include <QFile>
#include <QTimeZone>
#include <QtTest>

using namespace samples;

class ReportTextTest : public QObject {
    Q_OBJECT

private slots:
    void wholeReport_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("golden");
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
            << diskImageWithoutApp() << moment({2024, 7, 4}, {9, 30, 0}, -8 * 3600) << "disk_image_without_app";
        QTest::newRow("disk image with app") << diskImageWithApp(entitlements) << winter << "disk_image_with_app";
        QTest::newRow("disk image with app without entitlements")
            << diskImageWithApp(QString()) << winter << "disk_image_with_app_no_entitlements";
        QTest::newRow("no checks") << noChecks << moment({2024, 2, 29}, {0, 0, 0}, 5 * 3600 + 1800) << "no_checks";
    }

    void wholeReport()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QDateTime, now);
        QFETCH(QString, golden);
        QFile file(QFINDTESTDATA(QStringLiteral("golden/report_%1.txt").arg(golden)));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(golden));
        QCOMPARE(releaseReportText(result, now).toUtf8(), file.readAll());
    }

    void printedLines_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("lines");
        const QDateTime noon = moment({2024, 1, 1}, {12, 0, 0}, 0);

        InspectionResult emptyIdentifier = fullApplication();
        std::get<AppInspection>(emptyIdentifier.package).bundleIdentifier = QString();
        QTest::newRow("empty bundle identifier keeps the label's space")
            << emptyIdentifier << noon << "\nBundle Identifier: \nVersion: 2.4.1\n";
        InspectionResult pending = result(PackageKind::application, "/tmp/Bare.app", "Bare", 0, {check(CheckStatus::pending, "Gatekeeper assessment", "Waiting for the assessment."),
                          check(CheckStatus::fail, "Code signature", "invalid signature\nIn subcomponent: x")});
        QTest::newRow("pending check, a line break in a detail cannot start a line")
            << pending << noon
            << "\n[NEXT] Gatekeeper assessment\n    Waiting for the assessment.\n[FAIL] Code signature\n"
               "    invalid signature\uFFFDIn subcomponent: x\n\nREPORT NOTE\n";
        InspectionResult odd = bareApplication();
        odd.url = QUrl::fromLocalFile(QStringLiteral("/Applications/Tool Ω.APP"));
        std::get<AppInspection>(odd.package).entitlements = QStringLiteral(" ");
        QTest::newRow("upper-case extension, non-ASCII path")
            << odd << noon << "\nSource: /Applications/Tool Ω.APP\nExtension: app\n";
        QTest::newRow("entitlements of one space still print")
            << odd << noon << "\nSIGNED ENTITLEMENTS\n-------------------\n \n\nREPORT NOTE\n";

        QTest::newRow("less than an hour west") << bareApplication() << moment({2024, 5, 1}, {7, 8, 9}, -1800)
                                                << "\nGenerated: 2024-05-01 07:08:09 GMT-00:30\n";
        QTest::newRow("named zone in summer time")
            << bareApplication() << QDateTime({2024, 7, 1}, {23, 0, 0}, QTimeZone("America/Los_Angeles"))
            << "\nGenerated: 2024-07-01 23:00:00 GMT-07:00\n";
    }

    void printedLines()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QDateTime, now);
        QFETCH(QString, lines);
        if (!now.timeZone().isValid())
            QSKIP("no time zone database");
        const QString text = releaseReportText(result, now);
        QVERIFY2(text.contains(lines), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(ReportTextTest)
#include "report_text_test.moc"
