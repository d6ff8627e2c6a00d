#include "report/report_file_name.h"
#include "report/report_saving.h"
#include "report/report_text.h"
#include "report_sample_results.h"
#include "test_doubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace samples;

namespace {

// The dialog opens before midnight; the save is confirmed after it.
const QDateTime dialogClosed = moment({2024, 1, 1}, {0, 0, 5}, 3600);

std::function<QDateTime()> clockAcrossMidnight()
{
    QList readings{moment({2023, 12, 31}, {23, 59, 30}, 3600), dialogClosed};
    return [readings]() mutable { return readings.takeFirst(); };
}

} // namespace

class ReportSavingTest : public QObject {
    Q_OBJECT

private slots:
    void proposedFileName_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("colon and space") << "Release: Beta" << "Release- Beta-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("two forbidden in a row") << "a/:b" << "a-b-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("all ten, at the ends too")
            << "/:\\?%*|\"<>x/:\\?%*|\"<>y\"" << "x-y-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("only forbidden characters") << "<|>" << "-Veristamp-2024-03-09-0705.txt";
        QTest::newRow("surrounding spaces and other punctuation kept")
            << " Harbor.Lights - β " << " Harbor.Lights - β -Veristamp-2024-03-09-0705.txt";
    }

    void proposedFileName()
    {
        QFETCH(QString, displayName);
        const InspectionResult named = result(PackageKind::application, "/tmp/Bare.app", displayName, 0);
        QTEST(defaultReportFileName(named, moment({2024, 3, 9}, {7, 5, 59}, -8 * 3600)), "fileName");
    }

    void save_data()
    {
        QTest::addColumn<QString>("path"); // empty: the dialog is cancelled
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("failed write") << "plain-file/report.txt" << false;
        QTest::newRow("replaces an existing file") << "report.txt" << true;
    }

    // The name carries the time the dialog opened, the report the time the save was
    // confirmed. A failed write is shown once, naming the path, and leaves no file behind.
    void save()
    {
        QFETCH(QString, path);
        QFETCH(bool, saved);
        QTemporaryDir root;
        QFile existing(root.filePath(QStringLiteral("report.txt")));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(QByteArray(20'000, 'x')) == 20'000);
        existing.close();
        QVERIFY(QFile(root.filePath(QStringLiteral("plain-file"))).open(QIODevice::WriteOnly));
        FakeSaveDialogs dialogs;
        if (!path.isEmpty())
            dialogs.answer = root.filePath(path);

        QCOMPARE(saveReleaseReport(fullApplication(), dialogs, clockAcrossMidnight()), saved);
        QCOMPARE(dialogs.proposedNames, QStringList{"Harbor Lights-Veristamp-2023-12-31-2359.txt"});
        QCOMPARE(dialogs.failures.size(), path.isEmpty() || saved ? 0 : 1);
        if (!dialogs.failures.isEmpty())
            QVERIFY2(dialogs.failures.first().contains(*dialogs.answer), qPrintable(dialogs.failures.first()));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(),
                 saved ? releaseReportText(fullApplication(), dialogClosed).toUtf8() : QByteArray(20'000, 'x'));
        QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{QStringLiteral("plain-file"), QStringLiteral("report.txt")}));
    }
};

QTEST_GUILESS_MAIN(ReportSavingTest)
#include "report_saving_test.moc"
