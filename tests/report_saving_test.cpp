#include "report/report_file_name.h"
#include "report/report_saving.h"
#include "report/report_text.h"
#include "report_sample_results.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace samples;

namespace {

// Answers the save dialog with a fixed path and records what it was shown.
struct FakeDialogs : ReportSaveDialogs {
    std::optional<QString> chosenPath;
    QString proposedFileName;
    QStringList failures;

    std::optional<QString> chooseReportLocation(const QString &proposed) override
    {
        proposedFileName = proposed;
        return chosenPath;
    }
    void showSaveFailure(const QString &errorDescription) override { failures << errorDescription; }
};

// The save starts one minute before midnight and is confirmed after it.
const QDateTime dialogOpened = moment({2023, 12, 31}, {23, 59, 30}, 3600);
const QDateTime dialogClosed = moment({2024, 1, 1}, {0, 0, 5}, 3600);

std::function<QDateTime()> clockAcrossMidnight()
{
    return [readings = QList<QDateTime>{dialogOpened, dialogClosed}]() mutable { return readings.takeFirst(); };
}

} // namespace

class ReportSavingTest : public QObject {
    Q_OBJECT

private slots:
    void proposedFileName_data();
    void proposedFileName();
    void savingWritesTheReport();
    void cancellingWritesNothing();
    void failedWriteIsShownOnce_data();
    void failedWriteIsShownOnce();
};

void ReportSavingTest::proposedFileName_data()
{
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("colon and space") << "Release: Beta" << "Release- Beta-Veristamp-2024-03-09-0705.txt";
    QTest::newRow("two forbidden in a row") << "a/:b" << "a-b-Veristamp-2024-03-09-0705.txt";
    QTest::newRow("all ten, at the ends too")
        << "/:\\?%*|\"<>x/:\\?%*|\"<>y\"" << "x-y-Veristamp-2024-03-09-0705.txt";
    QTest::newRow("only forbidden characters") << "<|>" << "-Veristamp-2024-03-09-0705.txt";
    QTest::newRow("empty name") << "" << "-Veristamp-2024-03-09-0705.txt";
    QTest::newRow("spaces and other punctuation kept")
        << " Harbor.Lights - β " << " Harbor.Lights - β -Veristamp-2024-03-09-0705.txt";
}

void ReportSavingTest::proposedFileName()
{
    QFETCH(QString, displayName);
    QFETCH(QString, fileName);

    InspectionResult named = bareApplication();
    named.displayName = displayName;
    QCOMPARE(defaultReportFileName(named, moment({2024, 3, 9}, {7, 5, 59}, -8 * 3600)), fileName);
}

void ReportSavingTest::savingWritesTheReport()
{
    QTemporaryDir folder;
    FakeDialogs dialogs;
    dialogs.chosenPath = folder.filePath(QStringLiteral("report.txt"));
    QFile existing(*dialogs.chosenPath);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(QByteArray(20'000, 'x'));
    existing.close();

    QVERIFY(saveReleaseReport(fullApplication(), dialogs, clockAcrossMidnight()));

    QCOMPARE(dialogs.proposedFileName, QStringLiteral("Harbor Lights-Veristamp-2023-12-31-2359.txt"));
    QVERIFY(dialogs.failures.isEmpty());
    QVERIFY(existing.open(QIODevice::ReadOnly));
    const QByteArray written = existing.readAll();
    QCOMPARE(written, releaseReportText(fullApplication(), dialogClosed).toUtf8());
    QVERIFY(written.contains("\nGenerated: 2024-01-01 00:00:05 GMT+01:00\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);
}

void ReportSavingTest::cancellingWritesNothing()
{
    FakeDialogs dialogs;
    QVERIFY(!saveReleaseReport(fullApplication(), dialogs, clockAcrossMidnight()));
    QVERIFY(dialogs.failures.isEmpty());
}

void ReportSavingTest::failedWriteIsShownOnce_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only folder") << "locked" << true;
    QTest::newRow("folder is a file") << "plain-file" << false;
}

void ReportSavingTest::failedWriteIsShownOnce()
{
    QFETCH(QString, folderName);
    QFETCH(bool, readOnly);
    QTemporaryDir root;
    const QString folder = root.filePath(folderName);
    if (folderName == QLatin1String("plain-file")) {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (readOnly) {
        QVERIFY(QDir(root.path()).mkdir(folderName, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder).isWritable())
            QSKIP("this user may write into read-only folders");
    }
    FakeDialogs dialogs;
    dialogs.chosenPath = folder + QStringLiteral("/report.txt");

    QVERIFY(!saveReleaseReport(fullApplication(), dialogs, clockAcrossMidnight()));
    QCOMPARE(dialogs.failures.size(), 1);
    QVERIFY2(dialogs.failures.first().contains(*dialogs.chosenPath), qPrintable(dialogs.failures.first()));
    QVERIFY(!QFileInfo::exists(*dialogs.chosenPath));
    if (readOnly)
        QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

QTEST_GUILESS_MAIN(ReportSavingTest)
#include "report_saving_test.moc"
