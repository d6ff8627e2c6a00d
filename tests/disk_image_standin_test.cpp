// The disk image inspector end to end: fixture images through the stand-in release tools, which
// unpack each volume into $TMPDIR/veristamp-volumes and remove it on detach. TMPDIR is private to the test.

#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

static QStringList volumeFolders()
{
    return QDir(QDir::tempPath() + QStringLiteral("/veristamp-volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

class DiskImageStandinTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(QDir::tempPath(), QDir(m_temp.path()).canonicalPath());
    }

    // Every fixture image, by the letters of its checks and stages; no volume stays behind
    // but the one whose detach is recorded as failing.
    void inspectsEveryFixture_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("checks"); // the image's own checks, then the stages
        QTest::addColumn<QString>("app");    // the packaged app inspected, if any
        QTest::newRow("notarized") << "Notarized" << "PPPPP PPPPPP" << "Ready";
        QTest::newRow("unsigned") << "Unsigned" << "PWFFP PWFFPP" << "Ready";
        QTest::newRow("not an image") << "Broken" << "FWFFF FWFFFF" << "";
        QTest::newRow("mount point in the second entity") << "MountPointSecond" << "PPPPP PPPPPP" << "Ready";
        QTest::newRow("licence before the plist") << "LicenseBeforePlist" << "PPPPP PPPPPP" << "Ready";
        QTest::newRow("detach fails") << "DetachFails" << "PPPPPW PPPPPP" << "Ready";
        QTest::newRow("Developer ID mark without an authority line") << "DeveloperIdNoAuthority" << "PPPPP PPPPPP" << "Ready";
        QTest::newRow("documents only") << "DocumentsOnly" << "PPPPF PPPPPF" << "";
        QTest::newRow("attach reports no mount point") << "NoMountPoint" << "PPPPF PPPPFF" << "";
        QTest::newRow("attach output not a property list") << "NotAPlist" << "PPPPF PPPPFF" << "";
        QTest::newRow("numbers by value, hidden app skipped") << "NumberedApps" << "PPPPW PPPPPW" << "Tool 9";
        QTest::newRow("space in the mount point") << "Spaced Name" << "PPPPP PPPPPP" << "Spaced Name";
        QTest::newRow("truncated archive") << "Truncated" << "FWFFF FWFFFF" << "";
        QTest::newRow("two apps, letter case ignored") << "TwoApps" << "PPPPW PPPPPW" << "alpha Tool";
        QTest::newRow("app extension in capitals") << "UppercaseExtension" << "PPPPP PPPPPP" << "Setup";
        QTest::newRow("app not notarized") << "FailingEmbeddedApp" << "PPPPP PPPPPF" << "Unnotarized";
        QTest::newRow("nothing recorded") << "Unrecorded" << "PWFFP PWFFPF" << "Unrecorded";
    }
    void inspectsEveryFixture()
    {
        QFETCH(QString, image);
        QString letters;
        const InspectionResult result = inspectDiskImage(
            QUrl::fromLocalFile(QStringLiteral(VERISTAMP_TEST_PACKAGES "/dmgs/") + image + QStringLiteral(".dmg")),
            releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)),
            [&letters](int, LiveStageStatus status) { letters += "??PWF"[int(status)]; });
        QString checks;
        for (const InspectionCheck &check : result.checks())
            checks += label(check.status).at(0);
        QTEST(checks + ' ' + letters, "checks");
        QTEST(result.embeddedApp() ? result.embeddedApp()->displayName : QString(), "app");
        QStringList left = volumeFolders();
        left.removeAll(QStringLiteral("DetachFails"));
        QCOMPARE(left, QStringList());
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("veristamp-*-std*")}, QDir::Files), QStringList());
    }

    // Only the volume whose detach is recorded as failing may still be there; it goes with the private TMPDIR.
    void cleanupTestCase()
    {
        for (const QString &folder : volumeFolders())
            QVERIFY2(folder == QLatin1String("DetachFails"), qPrintable(folder));
        QVERIFY(m_temp.remove());
    }

private:
    QTemporaryDir m_temp;
};

QTEST_GUILESS_MAIN(DiskImageStandinTest)
#include "disk_image_standin_test.moc"
