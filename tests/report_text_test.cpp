#include "report/report_text.h"
#include "report_sample_results.h"

#include <QFile>
#include <QTimeZone>
#include <QtTest>

using namespace samples;

class ReportTextTest : public QObject {
    Q_OBJECT

private slots:
    void wholeReport_data();
    void wholeReport();
    void printsValuesAsTheyAre_data();
    void printsValuesAsTheyAre();
    void timestamp_data();
    void timestamp();
};

void ReportTextTest::wholeReport_data()
{
    QTest::addColumn<InspectionResult>("result");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("golden");

    InspectionResult noChecks = fullApplication();
    noChecks.byteSize = 999;
    noChecks.checks.clear();
    noChecks.entitlements.clear();

    QTest::newRow("application with every field") << fullApplication()
        << moment({2024, 3, 9}, {14, 5, 7}, 5 * 3600 + 1800) << "report_application_full.txt";
    QTest::newRow("application with every field absent") << bareApplication()
        << moment({2023, 12, 31}, {23, 59, 59}, 0) << "report_application_absent.txt";
    QTest::newRow("disk image without app") << diskImageWithoutApp()
        << moment({2024, 7, 4}, {9, 30, 0}, -8 * 3600) << "report_disk_image_without_app.txt";
    QTest::newRow("disk image with app") << diskImageWithApp(entitlements)
        << moment({2025, 1, 15}, {8, 0, 0}, 3600) << "report_disk_image_with_app.txt";
    QTest::newRow("disk image with app without entitlements") << diskImageWithApp(QString())
        << moment({2025, 1, 15}, {8, 0, 0}, 3600) << "report_disk_image_with_app_no_entitlements.txt";
    QTest::newRow("no checks") << noChecks
        << moment({2024, 2, 29}, {0, 0, 0}, 5 * 3600 + 1800) << "report_no_checks.txt";
}

void ReportTextTest::wholeReport()
{
    QFETCH(InspectionResult, result);
    QFETCH(QDateTime, now);
    QFETCH(QString, golden);

    QFile file(QFINDTESTDATA(QStringLiteral("golden/") + golden));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(golden));
    QCOMPARE(releaseReportText(result, now).toUtf8(), file.readAll());
}

void ReportTextTest::printsValuesAsTheyAre_data()
{
    QTest::addColumn<InspectionResult>("result");
    QTest::addColumn<QString>("expectedLines");

    InspectionResult emptyIdentifier = fullApplication();
    emptyIdentifier.bundleIdentifier = QString();
    QTest::newRow("empty bundle identifier keeps the label's space")
        << emptyIdentifier << "\nBundle Identifier: \nVersion: 2.4.1\n";

    InspectionResult pending = bareApplication();
    pending.checks = {check(CheckStatus::pending, "Gatekeeper assessment", "Waiting for the assessment.")};
    QTest::newRow("pending check") << pending << "\n[NEXT] Gatekeeper assessment\n    Waiting for the assessment.\n";

    InspectionResult twoLineDetail = bareApplication();
    twoLineDetail.checks = {check(CheckStatus::fail, "Code signature", "invalid signature\nIn subcomponent: x")};
    QTest::newRow("detail with its own line break")
        << twoLineDetail << "\n[FAIL] Code signature\n    invalid signature\nIn subcomponent: x\n\nREPORT NOTE\n";

    InspectionResult blankEntitlements = bareApplication();
    blankEntitlements.entitlements = QStringLiteral(" ");
    QTest::newRow("entitlements of one space still print")
        << blankEntitlements << "\nSIGNED ENTITLEMENTS\n-------------------\n \n\nREPORT NOTE\n";

    InspectionResult upperCase = bareApplication();
    upperCase.url = QUrl::fromLocalFile(QStringLiteral("/Applications/Tool Ω.APP"));
    QTest::newRow("upper-case extension, non-ASCII path")
        << upperCase << "\nSource: /Applications/Tool Ω.APP\nExtension: app\n";
}

void ReportTextTest::printsValuesAsTheyAre()
{
    QFETCH(InspectionResult, result);
    QFETCH(QString, expectedLines);

    const QString text = releaseReportText(result, moment({2024, 1, 1}, {12, 0, 0}, 0));
    QVERIFY2(text.contains(expectedLines), qPrintable(text));
}

void ReportTextTest::timestamp_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("generatedLine");

    QTest::newRow("GMT") << moment({2024, 5, 1}, {7, 8, 9}, 0) << "Generated: 2024-05-01 07:08:09 GMT";
    QTest::newRow("GMT+05:30") << moment({2024, 5, 1}, {7, 8, 9}, 19800)
                               << "Generated: 2024-05-01 07:08:09 GMT+05:30";
    QTest::newRow("GMT-08:00") << moment({2024, 5, 1}, {17, 8, 9}, -28800)
                               << "Generated: 2024-05-01 17:08:09 GMT-08:00";
    QTest::newRow("less than an hour west") << moment({2024, 5, 1}, {7, 8, 9}, -1800)
                                            << "Generated: 2024-05-01 07:08:09 GMT-00:30";
    QTest::newRow("offset with seconds") << moment({1890, 5, 1}, {7, 8, 9}, 3208)
                                         << "Generated: 1890-05-01 07:08:09 GMT+00:53:28";
    QTest::newRow("named zone in summer time")
        << QDateTime({2024, 7, 1}, {23, 0, 0}, QTimeZone("America/Los_Angeles"))
        << "Generated: 2024-07-01 23:00:00 GMT-07:00";
}

void ReportTextTest::timestamp()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, generatedLine);

    if (!now.timeZone().isValid())
        QSKIP("no time zone database");
    QCOMPARE(releaseReportText(bareApplication(), now).section(QLatin1Char('\n'), 3, 3), generatedLine);
}

QTEST_GUILESS_MAIN(ReportTextTest)
#include "report_text_test.moc"
