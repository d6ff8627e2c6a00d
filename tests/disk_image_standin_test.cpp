// The disk image inspector end to end: the fixture images through the
// stand-in release tools, which really unpack each volume into
// $TMPDIR/veristamp-volumes and remove it again on detach. The test runs
// under a private TMPDIR, so every volume and capture file it causes is its own.

#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ExpectedCheck {
    QString title;
    CheckStatus status;
    QString detail; // "@IMAGE@" stands for the image's path in the build tree
};

using C = CheckStatus;
using S = LiveStageStatus;

// The four image checks of the recorded signed and notarized fixtures.
QList<ExpectedCheck> signedImage(const QString &name, const QString &signature = {})
{
    const QString recorded = QStringLiteral("/Users/release/dist/") + name + QStringLiteral(".dmg");
    return {
        {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
        {"DMG signature", C::pass,
         signature.isEmpty() ? QStringLiteral("Developer ID Application: Northwind Software (7Q2XK4M9PL)") : signature},
        {"Stapled notarization ticket", C::pass, "Processing: " + recorded + " The validate action worked!"},
        {"Gatekeeper assessment", C::pass,
         recorded + ": accepted source=Notarized Developer ID origin=Developer ID Application: Northwind Software "
                    "(7Q2XK4M9PL)"},
    };
}

ExpectedCheck found(const QString &app)
{
    return {"Packaged application", C::pass, app + " was found inside the DMG."};
}

ExpectedCheck several(const QString &first)
{
    return {"Packaged application", C::warning, "Multiple app bundles were found. Veristamp inspected " + first + "."};
}

const QList<S> allPass{S::pass, S::pass, S::pass, S::pass, S::pass, S::pass};
const QList<S> unmounted{S::pass, S::pass, S::pass, S::pass, S::fail, S::fail};

QString volumesFolder()
{
    return QDir::tempPath() + QStringLiteral("/veristamp-volumes");
}

QStringList volumeFolders()
{
    return QDir(volumesFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList captureFiles()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("veristamp-*-std*")}, QDir::Files | QDir::Hidden);
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
    QTest::addColumn<QList<LiveStageStatus>>("stages");
    QTest::addColumn<QString>("embeddedApp"); // empty: none
    QTest::addColumn<QStringList>("leftAttached");

    const QString mounted = QStringLiteral("The DMG mounted, but ");
    const QString noTicket = QStringLiteral(" does not have a ticket stapled to it.");
    const ExpectedCheck unsignedImage{"DMG signature", C::warning,
                                      "Veristamp did not find a Developer ID Application signature on the DMG."};

    QTest::newRow("notarized") << "Notarized" << signedImage("Notarized") + QList{found("Ready.app")} << allPass
                               << "Ready" << QStringList();
    QTest::newRow("unsigned")
        << "Unsigned"
        << QList<ExpectedCheck>{
               {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
               unsignedImage,
               {"Stapled notarization ticket", C::fail,
                "Processing: /Users/release/dist/Unsigned.dmg Unsigned.dmg" + noTicket},
               {"Gatekeeper assessment", C::fail, "/Users/release/dist/Unsigned.dmg: rejected source=no usable signature"},
               found("Ready.app")}
        << QList{S::pass, S::warning, S::fail, S::fail, S::pass, S::pass} << "Ready" << QStringList();
    QTest::newRow("Developer ID without an authority line")
        << "DeveloperIdNoAuthority"
        << signedImage("DeveloperIdNoAuthority", "Developer ID signature detected.") + QList{found("Ready.app")}
        << allPass << "Ready" << QStringList();
    QTest::newRow("two apps") << "TwoApps" << signedImage("TwoApps") + QList{several("alpha Tool.app")}
                              << QList{S::pass, S::pass, S::pass, S::pass, S::pass, S::warning} << "alpha Tool"
                              << QStringList();
    QTest::newRow("numbered apps") << "NumberedApps" << signedImage("NumberedApps") + QList{several("Tool 9.app")}
                                   << QList{S::pass, S::pass, S::pass, S::pass, S::pass, S::warning} << "Tool 9"
                                   << QStringList();
    QTest::newRow("capital extension") << "UppercaseExtension"
                                       << signedImage("UppercaseExtension") + QList{found("Setup.APP")} << allPass
                                       << "Setup" << QStringList();
    QTest::newRow("documents only")
        << "DocumentsOnly"
        << signedImage("DocumentsOnly")
               + QList<ExpectedCheck>{{"Packaged application", C::fail,
                                       "No .app bundle was found at the top level of the mounted DMG."}}
        << QList{S::pass, S::pass, S::pass, S::pass, S::pass, S::fail} << QString() << QStringList();
    QTest::newRow("not an image")
        << "Broken"
        << QList<ExpectedCheck>{
               {"Disk image integrity", C::fail, "hdiutil: verify failed - image not recognized"},
               unsignedImage,
               {"Stapled notarization ticket", C::fail, "Processing: @IMAGE@ Broken.dmg" + noTicket},
               {"Gatekeeper assessment", C::fail,
                "@IMAGE@: rejected (no signature is recorded for this package on this host)"},
               {"Mount disk image", C::fail, "hdiutil: attach failed - image not recognized"}}
        << QList{S::fail, S::warning, S::fail, S::fail, S::fail, S::fail} << QString() << QStringList();
    QTest::newRow("no mount point")
        << "NoMountPoint"
        << signedImage("NoMountPoint")
               + QList<ExpectedCheck>{{"Mount disk image", C::fail, mounted + "no mounted volume path was reported."}}
        << unmounted << QString() << QStringList();
    QTest::newRow("mount point second") << "MountPointSecond" << signedImage("MountPointSecond") + QList{found("Ready.app")}
                                        << allPass << "Ready" << QStringList();
    QTest::newRow("attach output not a plist")
        << "NotAPlist"
        << signedImage("NotAPlist")
               + QList<ExpectedCheck>{
                   {"Mount disk image", C::fail, mounted + "Veristamp could not read its mount information."}}
        << unmounted << QString() << QStringList();
    QTest::newRow("licence before the plist")
        << "LicenseBeforePlist" << signedImage("LicenseBeforePlist") + QList{found("Ready.app")} << allPass << "Ready"
        << QStringList();
    QTest::newRow("detach fails")
        << "DetachFails"
        << signedImage("DetachFails")
               + QList<ExpectedCheck>{found("Ready.app"),
                                      {"Disk image cleanup", C::warning,
                                       "hdiutil: couldn't unmount \"disk4\" - Resource busy"}}
        << allPass << "Ready" << QStringList{"DetachFails"};
    QTest::newRow("embedded app rejected")
        << "FailingEmbeddedApp" << signedImage("FailingEmbeddedApp") + QList{found("Unnotarized.app")}
        << QList{S::pass, S::pass, S::pass, S::pass, S::pass, S::fail} << "Unnotarized" << QStringList();
    QTest::newRow("space in the name") << "Spaced Name" << signedImage("Spaced Name") + QList{found("Spaced Name.app")}
                                       << allPass << "Spaced Name" << QStringList();
}

void DiskImageStandinTest::inspectsFixture()
{
    QFETCH(QString, image);
    QFETCH(QList<ExpectedCheck>, checks);
    QFETCH(QList<LiveStageStatus>, stages);
    QFETCH(QString, embeddedApp);
    QFETCH(QStringList, leftAttached);

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
    QCOMPARE(reported, stages);
    QCOMPARE(result.embeddedApp ? result.embeddedApp->displayName : QString(), embeddedApp);
    if (result.embeddedApp)
        QCOMPARE(result.embeddedApp->checks.size(), 5);

    QStringList left = volumeFolders();
    for (const QString &folder : volumesBefore)
        left.removeOne(folder);
    QCOMPARE(left, leftAttached);
    QCOMPARE(captureFiles(), QStringList());
}

// The one volume meant to stay behind (its detach is recorded as failing)
// goes with the private temporary folder; nothing else may be there.
void DiskImageStandinTest::cleanupTestCase()
{
    for (const QString &folder : volumeFolders())
        QVERIFY2(folder == QLatin1String("DetachFails"), qPrintable(folder));
    QVERIFY(m_temp.remove());
}

QTEST_GUILESS_MAIN(DiskImageStandinTest)
#include "disk_image_standin_test.moc"
