// A package never vouches for itself: answers recorded inside it are replayed
// only when the run asks for replay, and every check of such a run says so.
// Without replay the stand-ins read the package's own bytes, records or not.

#include "test_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString packages = QStringLiteral(VERISTAMP_TEST_PACKAGES);
const QString readyRecords = packages + QStringLiteral("/apps/Ready.app/Contents/_ReleaseToolRecords");

struct Judgement {
    int exitCode = -1;
    QString verdict;
    QSet<QString> deciders; // every decidedBy of the package's checks and its packaged app's
};

void collectDeciders(const QJsonArray &checks, QSet<QString> &deciders)
{
    for (const QJsonValue &check : checks)
        deciders << check[QStringLiteral("decidedBy")].toString();
}

Judgement judge(const QString &path, bool replay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (replay)
        environment.insert(QStringLiteral("VERISTAMP_REPLAY_RECORDS"), QStringLiteral("1"));
    else
        environment.remove(QStringLiteral("VERISTAMP_REPLAY_RECORDS"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VERISTAMP_CHECK_PROGRAM), {QStringLiteral("--format"), QStringLiteral("json"), path});
    if (!process.waitForFinished(120000))
        return {};
    const QJsonObject package = QJsonDocument::fromJson(process.readAllStandardOutput())
                                    .object()[QStringLiteral("packages")].toArray().first().toObject();
    Judgement judgement{process.exitCode(), package[QStringLiteral("verdict")].toString(), {}};
    collectDeciders(package[QStringLiteral("checks")].toArray(), judgement.deciders);
    collectDeciders(package[QStringLiteral("packagedApp")][QStringLiteral("checks")].toArray(), judgement.deciders);
    return judgement;
}

} // namespace

class RecordedAnswersTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;

    // A Developer ID app made on a Mac, one of its resources changed after
    // signing, carrying the records of a ready app.
    QString tamperedSignedAppWithRecords()
    {
        const QString app = unpackSignedApp(m_scratch.filePath(QStringLiteral("signed")));
        QFile nib(app + QStringLiteral("/Contents/Resources/Base.lproj/MainMenu.nib"));
        if (app.isEmpty() || !nib.open(QIODevice::Append) || nib.write("x") != 1)
            return {};
        nib.close();
        return copyTree(readyRecords, app + QStringLiteral("/Contents/_ReleaseToolRecords")) ? app : QString();
    }

private slots:
    void aPackageNeverVouchesForItself_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("replay");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QStringList>("deciders");

        QVERIFY(m_scratch.isValid());
        const QString tampered = tamperedSignedAppWithRecords();
        QVERIFY(!tampered.isEmpty());
        const QString unsignedApp = packages + QStringLiteral("/apps/Ready.app");
        const QString unsignedImage = packages + QStringLiteral("/dmgs/Notarized.dmg");
        const QStringList fromBytes{QStringLiteral("notOnThisHost"), QStringLiteral("packageBytes")};
        const QStringList recorded{QStringLiteral("recordedAnswers")};

        QTest::newRow("unsigned script app, records of a ready app")
            << unsignedApp << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("tar image, unsigned app, both with records")
            << unsignedImage << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("Developer ID app, resource changed, records added")
            << tampered << false << 2 << "DO NOT SHIP" << fromBytes;
        QTest::newRow("replay asked for: the records answer, and every check says so")
            << unsignedApp << true << 0 << "READY TO SHIP" << recorded;
        QTest::newRow("replay asked for: an image and its app")
            << unsignedImage << true << 0 << "READY TO SHIP" << recorded;
    }

    void aPackageNeverVouchesForItself()
    {
        QFETCH(QString, path);
        QFETCH(bool, replay);
        QFETCH(int, exitCode);
        QFETCH(QString, verdict);
        QFETCH(QStringList, deciders);

        const Judgement judgement = judge(path, replay);
        QCOMPARE(judgement.verdict, verdict);
        QCOMPARE(judgement.exitCode, exitCode);
        // Deciders may be a subset of those allowed (an app without host
        // questions), but never one outside them.
        QVERIFY2(!judgement.deciders.isEmpty(), "no checks");
        for (const QString &decider : judgement.deciders)
            QVERIFY2(deciders.contains(decider), qPrintable(decider));
    }
};

QTEST_GUILESS_MAIN(RecordedAnswersTest)
#include "recorded_answers_test.moc"
