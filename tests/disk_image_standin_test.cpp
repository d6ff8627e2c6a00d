// The disk image inspector end to end: the fixture images through the
// stand-in release tools, which really unpack each volume into
// $TMPDIR/veristamp-volumes and remove it again on detach. The test runs
// under a private TMPDIR, so every volume and capture file it finds is its own.

#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

using C = CheckStatus;

struct ExpectedCheck {
    QString title;
    CheckStatus status;
    QString detail; // "@IMAGE@" stands for the image's path in the build tree
};

// The four image checks of the recorded fixtures signed and notarized as
// /Users/release/dist/<name>.dmg, one of them replaced, then the rest.
QList<ExpectedCheck> signedImage(const QString &name, const QList<ExpectedCheck> &rest, int index = -1,
                                 const ExpectedCheck &replaced = {})
{
    const QString recorded = "/Users/release/dist/" + name + ".dmg";
    QList<ExpectedCheck> checks{
        {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
        {"DMG signature", C::pass, "Developer ID Application: Northwind Software (7Q2XK4M9PL)"},
        {"Stapled notarization ticket", C::pass, "Processing: " + recorded + " The validate action worked!"},
        {"Gatekeeper assessment", C::pass,
         recorded + ": accepted source=Notarized Developer ID origin=Developer ID Application: Northwind Software "
                    "(7Q2XK4M9PL)"},
    };
    if (index >= 0)
        checks[index] = replaced;
    return checks + rest;
}

ExpectedCheck found(const QString &app)
{
    return {"Packaged application", C::pass, app + " was found inside the DMG."};
}

ExpectedCheck several(const QString &first)
{
    return {"Packaged application", C::warning, "Multiple app bundles were found. Veristamp inspected " + first + "."};
}

ExpectedCheck mountFailed(const QString &message)
{
    return {"Mount disk image", C::fail, message};
}

QList<LiveStageStatus> stagesFrom(const QByteArray &letters)
{
    QList<LiveStageStatus> stages;
    for (char letter : letters)
        stages << (letter == 'P'   ? LiveStageStatus::pass
                   : letter == 'W' ? LiveStageStatus::warning
                                   : LiveStageStatus::fail);
    return stages;
}

QStringList volumeFolders()
{
    return QDir(QDir::tempPath() + QStringLiteral("/veristamp-volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

Q_DECLARE_METATYPE(ExpectedCheck)

class DiskImageStandinTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void inspectsFixture_data();
    void inspectsFixture();
    void cleanupTestCase();

private:
    QTemporaryDir m_temp;
};

void DiskImageStandinTest::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    QCOMPARE(QDir::tempPath(), QDir(m_temp.path()).canonicalPath());
}

void DiskImageStandinTest::inspectsFixture_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QList<ExpectedCheck>>("checks");
    QTest::addColumn<QByteArray>("stages"); // one letter a stage: P pass, W warning, F fail
    QTest::addColumn<QString>("embeddedApp");
    QTest::addColumn<bool>("staysAttached");

    const QString mounted = QStringLiteral("The DMG mounted, but ");
    const ExpectedCheck unsignedImage{"DMG signature", C::warning,
                                      "Veristamp did not find a Developer ID Application signature on the DMG."};
    const ExpectedCheck ready = found("Ready.app");

    QTest::newRow("notarized") << "Notarized" << signedImage("Notarized", {ready}) << QByteArray("PPPPPP") << "Ready"
                               << false;
    QTest::newRow("unsigned")
        << "Unsigned"
        << QList<ExpectedCheck>{
               {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
               unsignedImage,
               {"Stapled notarization ticket", C::fail,
                "Processing: /Users/release/dist/Unsigned.dmg Unsigned.dmg does not have a ticket stapled to it."},
               {"Gatekeeper assessment", C::fail,
                "/Users/release/dist/Unsigned.dmg: rejected source=no usable signature"},
               ready}
        << QByteArray("PWFFPP") << "Ready" << false;
    QTest::newRow("Developer ID without an authority line")
        << "DeveloperIdNoAuthority"
        << signedImage("DeveloperIdNoAuthority", {ready}, 1,
                       {"DMG signature", C::pass, "Developer ID signature detected."})
        << QByteArray("PPPPPP") << "Ready" << false;
    QTest::newRow("two apps") << "TwoApps" << signedImage("TwoApps", {several("alpha Tool.app")})
                              << QByteArray("PPPPPW") << "alpha Tool" << false;
    QTest::newRow("numbered apps") << "NumberedApps" << signedImage("NumberedApps", {several("Tool 9.app")})
                                   << QByteArray("PPPPPW") << "Tool 9" << false;
    QTest::newRow("capital extension") << "UppercaseExtension"
                                       << signedImage("UppercaseExtension", {found("Setup.APP")})
                                       << QByteArray("PPPPPP") << "Setup" << false;
    QTest::newRow("documents only")
        << "DocumentsOnly"
        << signedImage("DocumentsOnly", {{"Packaged application", C::fail,
                                          "No .app bundle was found at the top level of the mounted DMG."}})
        << QByteArray("PPPPPF") << QString() << false;
    QTest::newRow("not an image")
        << "Broken"
        << QList<ExpectedCheck>{
               {"Disk image integrity", C::fail, "hdiutil: verify failed - image not recognized"},
               unsignedImage,
               {"Stapled notarization ticket", C::fail,
                "Processing: @IMAGE@ Broken.dmg does not have a ticket stapled to it."},
               {"Gatekeeper assessment", C::fail,
                "@IMAGE@: rejected (no signature is recorded for this package on this host)"},
               mountFailed("hdiutil: attach failed - image not recognized")}
        << QByteArray("FWFFFF") << QString() << false;
    QTest::newRow("no mount point")
        << "NoMountPoint"
        << signedImage("NoMountPoint", {mountFailed(mounted + "no mounted volume path was reported.")})
        << QByteArray("PPPPFF") << QString() << false;
    QTest::newRow("mount point second") << "MountPointSecond" << signedImage("MountPointSecond", {ready})
                                        << QByteArray("PPPPPP") << "Ready" << false;
    QTest::newRow("attach output not a plist")
        << "NotAPlist"
        << signedImage("NotAPlist", {mountFailed(mounted + "Veristamp could not read its mount information.")})
        << QByteArray("PPPPFF") << QString() << false;
    QTest::newRow("licence before the plist") << "LicenseBeforePlist" << signedImage("LicenseBeforePlist", {ready})
                                              << QByteArray("PPPPPP") << "Ready" << false;
    QTest::newRow("detach fails")
        << "DetachFails"
        << signedImage("DetachFails", {ready, {"Disk image cleanup", C::warning,
                                               "hdiutil: couldn't unmount \"disk4\" - Resource busy"}})
        << QByteArray("PPPPPP") << "Ready" << true;
    QTest::newRow("embedded app rejected") << "FailingEmbeddedApp"
                                           << signedImage("FailingEmbeddedApp", {found("Unnotarized.app")})
                                           << QByteArray("PPPPPF") << "Unnotarized" << false;
    QTest::newRow("space in the name") << "Spaced Name" << signedImage("Spaced Name", {found("Spaced Name.app")})
                                       << QByteArray("PPPPPP") << "Spaced Name" << false;
}

void DiskImageStandinTest::inspectsFixture()
{
    QFETCH(QString, image);
    QFETCH(QList<ExpectedCheck>, checks);
    QFETCH(QByteArray, stages);
    QFETCH(QString, embeddedApp);
    QFETCH(bool, staysAttached);

    const QString imagePath = QStringLiteral(VERISTAMP_TEST_PACKAGES "/dmgs/") + image + QStringLiteral(".dmg");
    QVERIFY(QFileInfo::exists(imagePath));
    const QStringList volumesBefore = volumeFolders();

    QList<LiveStageStatus> reported;
    const InspectionResult result =
        inspectDiskImage(QUrl::fromLocalFile(imagePath), releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)),
                         [&reported](int, LiveStageStatus status) { reported << status; });

    QCOMPARE(result.checks.size(), checks.size());
    for (qsizetype i = 0; i < checks.size(); ++i) {
        QCOMPARE(result.checks[i].title, checks[i].title);
        QCOMPARE(result.checks[i].detail, QString(checks[i].detail).replace(QLatin1String("@IMAGE@"), imagePath));
        QCOMPARE(result.checks[i].status, checks[i].status);
    }
    QCOMPARE(reported, stagesFrom(stages));
    QCOMPARE(result.embeddedApp ? result.embeddedApp->displayName : QString(), embeddedApp);
    if (embeddedApp == QLatin1String("Ready")) {
        QCOMPARE(result.embeddedApp->bundleIdentifier, std::optional<QString>("com.northwind.ready"));
        QCOMPARE(result.embeddedApp->shortVersion, std::optional<QString>("2.4.1"));
        QCOMPARE(result.embeddedApp->buildVersion, std::optional<QString>("241"));
    }

    QStringList left = volumeFolders();
    for (const QString &folder : volumesBefore)
        left.removeOne(folder);
    QCOMPARE(left, staysAttached ? QStringList{image} : QStringList());
    QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("veristamp-*-std*")}, QDir::Files), QStringList());
}

// Only the volume whose detach is recorded as failing may still be there; it
// goes with the private temporary folder.
void DiskImageStandinTest::cleanupTestCase()
{
    for (const QString &folder : volumeFolders())
        QVERIFY2(folder == QLatin1String("DetachFails"), qPrintable(folder));
    QVERIFY(m_temp.remove());
}

QTEST_GUILESS_MAIN(DiskImageStandinTest)
#include "disk_image_standin_test.moc"
