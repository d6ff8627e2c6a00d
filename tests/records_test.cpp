// The few rules the records carry: making a CheckStatus from its raw value,
// its labels, and the names taken from a package's location.

#include "engine/inspection_records.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<CheckStatus>)

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void makesStatusOnlyFromExactRawValue_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<std::optional<CheckStatus>>("status");
        QTest::newRow("pass") << "pass" << std::optional(CheckStatus::pass);
        QTest::newRow("warning") << "warning" << std::optional(CheckStatus::warning);
        QTest::newRow("fail") << "fail" << std::optional(CheckStatus::fail);
        QTest::newRow("pending") << "pending" << std::optional(CheckStatus::pending);
        QTest::newRow("label PASS") << "PASS" << std::optional<CheckStatus>();
        QTest::newRow("label WARN") << "WARN" << std::optional<CheckStatus>();
        QTest::newRow("label NEXT") << "NEXT" << std::optional<CheckStatus>();
        QTest::newRow("capitalised") << "Pass" << std::optional<CheckStatus>();
        QTest::newRow("upper case") << "WARNING" << std::optional<CheckStatus>();
        QTest::newRow("empty") << "" << std::optional<CheckStatus>();
        QTest::newRow("surrounding space") << " fail " << std::optional<CheckStatus>();
    }
    void makesStatusOnlyFromExactRawValue()
    {
        QFETCH(QString, raw);
        QFETCH(std::optional<CheckStatus>, status);
        QCOMPARE(checkStatusFromRawValue(raw), status);
        if (status)
            QCOMPARE(rawValue(*status), raw);
        if (status == CheckStatus::pending)
            QCOMPARE(label(*status), QStringLiteral("NEXT"));
    }

    void equalChecksKeepTheirOwnIds()
    {
        const InspectionCheck first = makeCheck("Code signature", CheckStatus::pass, "Valid.");
        const InspectionCheck second = makeCheck("Code signature", CheckStatus::pass, "Valid.");
        QVERIFY(!first.id.isNull());
        QVERIFY(first.id != second.id);
    }

    void namesFromLocation_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::newRow("bundle") << "/Applications/Example.app" << "Example" << "app";
        QTest::newRow("trailing slash") << "/Volumes/Example/My Tool.APP/" << "My Tool" << "APP";
        QTest::newRow("last dot only") << "/tmp/archive.tar.dmg" << "archive.tar" << "dmg";
        QTest::newRow("no extension") << "/tmp/Notes" << "Notes" << "";
    }
    void namesFromLocation()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        const QUrl location = QUrl::fromLocalFile(path);
        QCOMPARE(displayNameOf(location), name);
        QCOMPARE(pathExtension(location), extension);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
