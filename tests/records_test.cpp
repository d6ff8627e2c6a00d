// Making a CheckStatus from its raw value, and the names taken from a package's location.

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
        QTest::newRow("capitalised") << "Pass" << std::optional<CheckStatus>();
        QTest::newRow("empty") << "" << std::optional<CheckStatus>();
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

    void namesFromLocation()
    {
        const auto names = [](const QString &path) {
            const QUrl location = QUrl::fromLocalFile(path);
            return QStringList{displayNameOf(location), pathExtension(location)};
        };
        QCOMPARE(names("/Volumes/Example/My Tool.APP"), QStringList({"My Tool", "APP"}));
        QCOMPARE(names("/tmp/archive.tar.dmg"), QStringList({"archive.tar", "dmg"}));
        QCOMPARE(names("/tmp/Notes"), QStringList({"Notes", ""}));
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
