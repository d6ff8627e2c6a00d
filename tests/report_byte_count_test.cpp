#include "report/byte_count_text.h"

#include <QtTest>

#include <limits>

class ReportByteCountTest : public QObject {
    Q_OBJECT

private slots:
    void rendering_data();
    void rendering();
};

void ReportByteCountTest::rendering_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");

    const struct {
        const char *name;
        qint64 bytes;
        const char *text;
    } rows[] = {
        {"zero", 0, "Zero KB"},
        {"one byte", 1, "1 byte"},
        {"two bytes", 2, "2 bytes"},
        {"largest byte count", 999, "999 bytes"},
        {"one kilobyte", 1'000, "1 KB"},
        {"kilobytes round half up", 1'500, "2 KB"},
        {"kilobytes round down", 1'499, "1 KB"},
        {"largest kilobyte count", 999'499, "999 KB"},
        {"kilobytes carry into megabytes", 999'500, "1 MB"},
        {"just under a megabyte", 999'999, "1 MB"},
        {"one megabyte without fraction", 1'000'000, "1 MB"},
        {"megabytes with one decimal", 1'500'000, "1.5 MB"},
        {"megabytes round half up", 48'250'000, "48.3 MB"},
        {"megabytes carry into gigabytes", 999'950'000, "1 GB"},
        {"gigabytes with two decimals", 1'234'567'890, "1.23 GB"},
        {"gigabytes drop a trailing zero", 2'500'000'000, "2.5 GB"},
        {"gigabytes round to a whole", 2'999'999'999, "3 GB"},
        {"terabytes", 1'005'000'000'000, "1.01 TB"},
        {"petabytes", 7'000'000'000'000'000, "7 PB"},
        {"largest count", std::numeric_limits<qint64>::max(), "9.22 EB"},
        {"negative count", -1'500, "-2 KB"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.bytes << QString::fromUtf8(row.text);
}

void ReportByteCountTest::rendering()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(byteCountText(bytes), text);
}

QTEST_GUILESS_MAIN(ReportByteCountTest)
#include "report_byte_count_test.moc"
