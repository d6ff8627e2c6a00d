// Every fixture package inspected end to end: the stand-in tools replay its
// recorded answers as real processes and unpack its volume into
// $TMPDIR/veristamp-volumes, private to the test. Each row gives the letters
// of the package's own checks (an image's then its stages) and one detail
// that shows the rule the package was made for; the samples' letters give the
// verdicts their README promises. Then disk images made to trick or crash the
// inspection, built from folders by the fixture builder.

#include "hostile_inputs.h"
#include "stage_letters.h"
#include "test_files.h"

#include "engine/app_inspection.h"
#include "engine/disk_image_inspection.h"
#include "engine/package_inspection.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

QString unpackedRealApps; // where the real app's archive is unpacked
const QByteArray kApps = VERISTAMP_TEST_PACKAGES "/apps";
const QByteArray kZeta = "<plist><dict><key>CFBundleIdentifier</key><string>com.example.zeta</string></dict></plist>";
const QByteArray kDeep = "<key>Deep</key>" + nestedArrays(200000);

// A fixture package, a sample ("samples/...") or a package made on a Mac ("real/...").
QString fixture(const QString &name)
{
    if (name.startsWith("real/"))
        return (name.endsWith(".app") ? unpackedRealApps : QStringLiteral(VERISTAMP_REAL_ARTIFACTS)) + name.mid(4);
    return name.startsWith("samples/") ? VERISTAMP_SAMPLES + name.mid(7) : VERISTAMP_TEST_PACKAGES "/" + name;
}

QStringList volumeFolders()
{
    return QDir(QDir::tempPath() + QStringLiteral("/veristamp-volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class StandinInspectionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        unpackedRealApps = m_temp.filePath("real");
        QVERIFY(!unpackSignedApp(unpackedRealApps).isEmpty());
        QVERIFY(QFile::link(QString::fromUtf8(kApps), m_temp.filePath("apps")));
        write("Outside.dmg/volume/Ready.app", kApps + "/Ready.app");
        write("Dotted.dmg/volume/Ready.app", "../../apps/Ready.app");
        write("Beside.dmg/volume/Ready.app", kApps + "/Ready.app");
        write("Beside.dmg/volume/Zeta.app/Contents/Info.plist", kZeta);
        write("Developer ID Application: Acme (TEAM1234)/Named.dmg/volume/A.app/Contents/Info.plist", kZeta);
        write("DeepInfo.dmg/volume/Zeta.app/Contents/Info.plist", QByteArray(kZeta).replace("</dict>", kDeep + "</dict>"));
        write("DeepBinary.dmg/volume/Zeta.app/Contents/Info.plist", binaryNestedArrays(200000));
        write("DeepAttach.dmg/volume/Zeta.app/Contents/Info.plist", kZeta);
        write("DeepAttach.dmg/_ReleaseToolRecords/H2.stdout", "<plist><dict>" + kDeep + "</dict></plist>");
        QCOMPARE(QProcess::execute(VERISTAMP_CMAKE, {"-DSOURCE=" + m_temp.filePath("source"), "-DOUTPUT="
                                                     + m_temp.filePath("images"), "-P", VERISTAMP_PACKAGES_SCRIPT}),
                 0);
    }

    // Links out of the volume are not followed; Info.plist unreadable, the app
    // is still inspected; the attach output unreadable, nothing is left
    // mounted. All on the half-megabyte stack of a secondary thread on macOS.
    void inspect_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("expected"); // lines that must be among the outcomes
        const QString noApp = "FAIL Packaged application: No .app bundle was found at the top level of the mounted DMG.";
        const QString found = "PASS Packaged application: Zeta.app was found inside the DMG.";
        QTest::newRow("absolute link out of the volume") << "Outside" << QStringList{noApp, "app none"};
        QTest::newRow("relative link through ..") << "Dotted" << QStringList{noApp, "app none"};
        QTest::newRow("real app beside a link") << "Beside" << QStringList{found, "app com.example.zeta"};
        QTest::newRow("folder named like a signing identity") << "Developer ID Application: Acme (TEAM1234)/Named"
            << QStringList{"WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG."};
        QTest::newRow("deep Info.plist in XML") << "DeepInfo" << QStringList{found, "app without identifier"};
        QTest::newRow("deep Info.plist in binary") << "DeepBinary" << QStringList{found, "app without identifier"};
        QTest::newRow("deep attach output") << "DeepAttach" << QStringList{
            "FAIL Mount disk image: The DMG mounted, but Veristamp could not read its mount information."};
    }
    // Every check as "LABEL Title: detail", then "app" with the packaged app's identifier.
    void inspect()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, expected);
        InspectionResult result;
        QThread *thread = QThread::create([&] {
            result = inspectDiskImage(QUrl::fromLocalFile(m_temp.filePath("images/" + image + ".dmg")),
                                      releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))));
        });
        thread->setStackSize(512 << 10);
        thread->start();
        QVERIFY(thread->wait());
        delete thread;
        QStringList actual;
        for (const InspectionCheck &check : result.checks())
            actual << label(check.status) + ' ' + check.title + ": " + check.detail;
        const AppInspection *app = result.embeddedApp();
        actual << "app " + (app ? app->bundleIdentifier.value_or("without identifier") : QStringLiteral("none"));
        for (const QString &line : expected)
            QVERIFY2(actual.contains(line), qPrintable(actual.join('\n')));
        QCOMPARE(QDir(m_temp.filePath("veristamp-volumes")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void inspectsEveryFixture_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("detail");   // "<check index> <detail>"
        QTest::addColumn<QString>("metadata"); // name, identifier, short, build, minimum, executable; "-" for absent
        const auto row = [](const char *name, const char *package, const char *letters, const QString &detail,
                            const char *metadata = "") {
            QTest::newRow(name) << QString(package) << QString(letters) << detail << QString(metadata);
        };
        const QString apps = fixture("apps/");
        row("ready, binary Info.plist", "apps/Ready.app", "PPPPP", "1 Developer ID Application: Northwind Software (7Q2XK4M9PL)",
            "Ready com.northwind.ready 2.4.1 241 12.0 Ready");
        row("ad-hoc, XML Info.plist", "apps/AdHoc.app", "PFWPF", "4 /Applications/AdHoc.app: rejected source=no usable signature",
            "AdHoc com.northwind.adhoc 2.4.1 241 12.0 AdHoc");
        row("no Info.plist", "apps/NoInfoPlist.app", "PPPPP", "", "NoInfoPlist - - - - -");
        row("numeric build", "apps/NumericBuild.app", "PPPPP", "", "NumericBuild com.northwind.numericbuild 2.4.1 - 12.0 NumericBuild");
        row("nothing recorded", "apps/Unrecorded.app", "FWWPF", "0 " + apps + "Unrecorded.app: code object is not signed at all");
        row("indented display", "apps/IndentedDisplay.app", "PWPPP",
            "1 Veristamp could not find a Developer ID Application signing authority.");
        row("the inspected path reaches the tools", "apps/PathEcho.app", "PPPPP",
            "4 " + apps + "PathEcho.app: accepted source=Notarized Developer ID "
                          "origin=Developer ID Application: Northwind Software (7Q2XK4M9PL)");
        row("risky entitlements", "apps/RiskyEntitlements.app", "PPPWP",
            "3 Review before shipping: com.apple.security.get-task-allow, "
            "com.apple.security.cs.allow-dyld-environment-variables.");
        row("silent Gatekeeper", "apps/SilentGatekeeper.app", "PPPPP", "4 Gatekeeper accepted the application.");
        row("get-task-allow false", "apps/TaskAllowFalse.app", "PPPPP",
            "3 No common development or weakened-runtime entitlements were detected.");
        row("RUNTIME in capitals", "apps/UppercaseRuntime.app", "PPPPP",
            "2 The code signature includes the Hardened Runtime flag.");
        row("broken signature", "apps/BrokenSignature.app", "FPPPF", "");
        row("a plain file named like a bundle", "apps/Notes.app", "FWWPF", "");
        row("development certificate", "apps/Development.app", "PWPPF",
            "1 Signing authority: Apple Development: Jordan Reyes (X4M2B7Q9ZL)");

        const QString found = QStringLiteral(" was found inside the DMG.");
        const QString several = QStringLiteral("4 Multiple app bundles were found. Veristamp inspected ");
        row("notarized", "dmgs/Notarized.dmg", "PPPPP PPPPPP", "4 Ready.app" + found);
        row("unsigned", "dmgs/Unsigned.dmg", "PWFFP PWFFPP", "");
        row("not an image", "dmgs/Broken.dmg", "FWFFF FWFFFF", "4 hdiutil: attach failed - image not recognized");
        row("licence before the plist", "dmgs/LicenseBeforePlist.dmg", "PPPPP PPPPPP", "4 Ready.app" + found);
        row("detach fails", "dmgs/DetachFails.dmg", "PPPPPW PPPPPP",
            "5 hdiutil: couldn't unmount \"disk4\" - Resource busy");
        row("Developer ID mark without an authority line", "dmgs/DeveloperIdNoAuthority.dmg", "PWPPP PWPPPP",
            "1 Veristamp did not find a Developer ID Application signature on the DMG.");
        row("documents only", "dmgs/DocumentsOnly.dmg", "PPPPF PPPPPF",
            "4 No .app bundle was found at the top level of the mounted DMG.");
        row("numbers by value, hidden app skipped", "dmgs/NumberedApps.dmg", "PPPPW PPPPPW", several + "Tool 9.app.");
        row("space in the mount point", "dmgs/Spaced Name.dmg", "PPPPP PPPPPP", "4 Spaced Name.app" + found);
        row("truncated archive", "dmgs/Truncated.dmg", "FWFFF FWFFFF", "");
        row("two apps, letter case ignored", "dmgs/TwoApps.dmg", "PPPPW PPPPPW", several + "alpha Tool.app.");
        row("app extension in capitals", "dmgs/UppercaseExtension.dmg", "PPPPP PPPPPP", "4 Setup.APP" + found);
        row("app not notarized", "dmgs/FailingEmbeddedApp.dmg", "PPPPP PPPPPF", "4 Unnotarized.app" + found);
        row("nothing recorded on the image", "dmgs/Unrecorded.dmg", "PWFFP PWFFPF",
            "3 " + fixture("dmgs/") + "Unrecorded.dmg: rejected source=no usable signature");
        // Made on Macs and read from their bytes: at best a review, since only a Mac can assess them.
        row("real Developer ID app", "real/DevSignedApp.app", "PPWPM",
            "4 Gatekeeper cannot assess this package on this host, nor can the revocation of its certificates be "
            "checked; assess it on a Mac before shipping.",
            "DevSignedApp com.zoo.SignedApp 1.0 1 13.1 SignedApp");
        row("real image, unsigned app", "real/SparkleTestCodeSign_apfs.dmg", "PWFFP PWFFPF",
            "4 SparkleTestCodeSignApp.app" + found);
        row("sample ready to ship", "samples/Tidewater.app", "PPPPP", "");
        row("sample to review", "samples/Palette Studio.app", "PPPWP", "");
        row("sample not to ship", "samples/Quarry.app", "PFWWF", "");
        row("sample image ready to ship", "samples/Tidewater 3.2.dmg", "PPPPP PPPPPP", "");
        row("sample image to review", "samples/Meridian Suite 5.dmg", "PPPPW PPPPPW", "");
        row("sample image without an app", "samples/Field Guide.dmg", "PPPPF PPPPPF", "");
        row("sample download cut short", "samples/Quarry 0.9 beta.dmg", "FWFFF FWFFFF", "");
    }
    void inspectsEveryFixture()
    {
        QFETCH(QString, package);
        QFETCH(QString, detail);
        QFETCH(QString, metadata);
        const bool image = package.endsWith(".dmg");
        QString stages = QStringLiteral(" ");
        const InspectionResult result = inspectPackage(
            QUrl::fromLocalFile(fixture(package)), image ? PackageKind::diskImage : PackageKind::application,
            releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))),
            [&stages](int, LiveStageStatus status) { stages += letterOf(status); });
        // Each check as its live stage shows it (a warning only a Mac can decide as M).
        QString letters;
        for (const InspectionCheck &check : result.checks())
            letters += letterOf(liveStageStatus(check));
        if (!image)
            QCOMPARE(stages.mid(1), letters);
        QTEST(letters + (image ? stages : QString()), "letters");
        if (!detail.isEmpty())
            QCOMPARE(result.checks().at(detail.left(1).toInt()).detail, detail.mid(2));
        if (!metadata.isEmpty()) {
            const AppInspection &app = *result.application();
            QStringList shown{app.displayName};
            for (const auto &value : {app.bundleIdentifier, app.shortVersion, app.buildVersion, app.minimumSystemVersion,
                                      app.executableName})
                shown << value.value_or(QStringLiteral("-"));
            QCOMPARE(shown.join(' '), metadata);
        }

        QStringList left = volumeFolders();
        left.removeAll(QStringLiteral("DetachFails"));
        QCOMPARE(left, QStringList());
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("veristamp-*-std*")}, QDir::Files), QStringList());
    }

private:
    // A path ending in .app becomes a symbolic link to the bytes; any other a file holding them.
    void write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = m_temp.filePath("source/" + relative);
        QVERIFY(relative.endsWith(".app") ? QDir().mkpath(QFileInfo(path).path()) && QFile::link(QString::fromUtf8(bytes), path)
                                          : writeAll(path, bytes));
    }
};

QTEST_GUILESS_MAIN(StandinInspectionTest)
#include "standin_inspection_test.moc"
