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

    void inspectsFixture_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("checks"); // "LABEL Title: detail"; "@IMAGE@" is the image's path
        QTest::addColumn<QString>("stages");     // one letter a stage: P pass, W warning, F fail
        QTest::addColumn<bool>("staysAttached");

        // The four checks of a signed, notarized image recorded at /Users/release/dist/<name>.dmg, then the rest.
        const auto signedImage = [](const QString &name, const QStringList &rest) {
            const QString recorded = "/Users/release/dist/" + name + ".dmg";
            return QStringList{"PASS Disk image integrity: The DMG passed hdiutil verification.",
                               "PASS DMG signature: Developer ID Application: Northwind Software (7Q2XK4M9PL)",
                               "PASS Stapled notarization ticket: Processing: " + recorded
                                   + " The validate action worked!",
                               "PASS Gatekeeper assessment: " + recorded + ": accepted source=Notarized Developer ID "
                                   "origin=Developer ID Application: Northwind Software (7Q2XK4M9PL)"}
                + rest;
        };
        const QString ready = "PASS Packaged application: Ready.app was found inside the DMG.";
        const QString unsignedImage =
            "WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG.";

        QTest::newRow("notarized") << "Notarized" << signedImage("Notarized", {ready}) << "PPPPPP" << false;
        QTest::newRow("unsigned") << "Unsigned" << QStringList{
            "PASS Disk image integrity: The DMG passed hdiutil verification.", unsignedImage,
            "FAIL Stapled notarization ticket: Processing: /Users/release/dist/Unsigned.dmg Unsigned.dmg does not "
            "have a ticket stapled to it.",
            "FAIL Gatekeeper assessment: /Users/release/dist/Unsigned.dmg: rejected source=no usable signature", ready}
                                  << "PWFFPP" << false;
        QTest::newRow("not an image") << "Broken" << QStringList{
            "FAIL Disk image integrity: hdiutil: verify failed - image not recognized", unsignedImage,
            "FAIL Stapled notarization ticket: Processing: @IMAGE@ Broken.dmg does not have a ticket stapled to it.",
            "FAIL Gatekeeper assessment: @IMAGE@: rejected (no signature is recorded for this package on this host)",
            "FAIL Mount disk image: hdiutil: attach failed - image not recognized"}
                                      << "FWFFFF" << false;
        QTest::newRow("mount point second")
            << "MountPointSecond" << signedImage("MountPointSecond", {ready}) << "PPPPPP" << false;
        QTest::newRow("licence before the plist")
            << "LicenseBeforePlist" << signedImage("LicenseBeforePlist", {ready}) << "PPPPPP" << false;
        QTest::newRow("detach fails")
            << "DetachFails"
            << signedImage("DetachFails",
                           {ready, "WARN Disk image cleanup: hdiutil: couldn't unmount \"disk4\" - Resource busy"})
            << "PPPPPP" << true;
    }
    void inspectsFixture()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, checks);
        QFETCH(QString, stages);
        QFETCH(bool, staysAttached);

        const QString imagePath = QStringLiteral(VERISTAMP_TEST_PACKAGES "/dmgs/") + image + QStringLiteral(".dmg");
        QVERIFY(QFileInfo::exists(imagePath));
        const QStringList volumesBefore = volumeFolders();
        QString reported;
        const InspectionResult result =
            inspectDiskImage(QUrl::fromLocalFile(imagePath), releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)),
                             [&reported](int, LiveStageStatus status) { reported += "??PWF"[int(status)]; });

        QStringList actual;
        for (const InspectionCheck &check : result.checks())
            actual << label(check.status) + ' ' + check.title + ": " + check.detail;
        QCOMPARE(actual, checks.replaceInStrings(QStringLiteral("@IMAGE@"), imagePath));
        QCOMPARE(reported, stages);
        if (const EmbeddedAppResult *app = result.embeddedApp()) {
            QCOMPARE(app->displayName, QStringLiteral("Ready"));
            QCOMPARE(app->bundleIdentifier, std::optional<QString>("com.northwind.ready"));
        }

        QStringList left = volumeFolders();
        for (const QString &folder : volumesBefore)
            left.removeOne(folder);
        QCOMPARE(left, staysAttached ? QStringList{image} : QStringList());
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("veristamp-*-std*")}, QDir::Files), QStringList());
    }

    // Every other fixture image, by the letters of its checks and stages.
    void inspectsEveryFixture_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("checks"); // the image's own checks, then the stages
        QTest::addColumn<QString>("app");    // the packaged app inspected, if any
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
