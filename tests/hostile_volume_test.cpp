// Disk images made to trick or crash the inspection, built from folders by the
// fixture builder and inspected through the stand-in tools, which unpack each
// volume into $TMPDIR/veristamp-volumes. TMPDIR is private to the test.

#include "engine/disk_image_inspection.h"
#include "hostile_inputs.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QByteArray kApps = VERISTAMP_TEST_PACKAGES "/apps";

QByteArray infoPlist(const QByteArray &identifier, const QByteArray &more = {})
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>" + identifier
        + "</string>" + more + "</dict></plist>\n";
}

// Every check as "LABEL Title: detail", then the packaged app's identifier and checks, marked "app".
QStringList outcomes(const InspectionResult &result)
{
    QStringList lines;
    for (const InspectionCheck &check : result.checks)
        lines << label(check.status) + ' ' + check.title + ": " + check.detail;
    if (!result.embeddedApp)
        return lines;
    lines << "app id " + result.embeddedApp->bundleIdentifier.value_or("none");
    for (const InspectionCheck &check : result.embeddedApp->checks)
        lines << "app " + label(check.status) + ' ' + check.title + ": " + check.detail;
    return lines;
}

} // namespace

class HostileVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QVERIFY(QFile::link(QString::fromUtf8(kApps), m_temp.filePath("apps")));
        const QByteArray deep = "<key>Deep</key>" + nestedArrays(200000);
        const QByteArray zeta = infoPlist("com.example.zeta");
        write("Outside.dmg/volume/Ready.app", kApps + "/Ready.app");
        write("Dotted.dmg/volume/Ready.app", "../../apps/Ready.app");
        write("Beside.dmg/volume/Ready.app", kApps + "/Ready.app");
        write("Beside.dmg/volume/Zeta.app/Contents/Info.plist", zeta);
        write("Developer ID Application: Acme (TEAM1234)/Named.dmg/volume/Zeta.app/Contents/Info.plist", zeta);
        write("DeepInfo.dmg/volume/Zeta.app/Contents/Info.plist", infoPlist("com.example.zeta", deep));
        write("DeepBinary.dmg/volume/Zeta.app/Contents/Info.plist", binaryNestedArrays(200000));
        write("DeepEntitlements.dmg/volume/Zeta.app/Contents/Info.plist", zeta);
        write("DeepEntitlements.dmg/volume/Zeta.app/Contents/_ReleaseToolRecords/C3.stdout", infoPlist("x", deep));
        write("DeepAttach.dmg/volume/Zeta.app/Contents/Info.plist", zeta);
        write("DeepAttach.dmg/_ReleaseToolRecords/H2.stdout", infoPlist("x", deep));
        QCOMPARE(QProcess::execute(VERISTAMP_CMAKE, {"-DSOURCE=" + m_temp.filePath("source"),
                                                     "-DOUTPUT=" + m_temp.filePath("images"), "-P",
                                                     VERISTAMP_PACKAGES_SCRIPT}),
                 0);
    }

    void linkTricks_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("expected"); // lines that must be among the outcomes
        const QStringList noApp{"FAIL Packaged application: No .app bundle was found at the top level of the mounted DMG."};
        QTest::newRow("absolute link out of the volume") << "Outside" << noApp;
        QTest::newRow("relative link through ..") << "Dotted" << noApp;
        QTest::newRow("real app beside a link")
            << "Beside" << QStringList{"PASS Packaged application: Zeta.app was found inside the DMG.", "app id com.example.zeta"};
        QTest::newRow("folder named like a signing identity")
            << "Developer ID Application: Acme (TEAM1234)/Named"
            << QStringList{"WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG."};
    }
    void linkTricks() { inspect(); }

    void deepInput_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("expected");
        const QString found = "PASS Packaged application: Zeta.app was found inside the DMG.";
        QTest::newRow("Info.plist in XML") << "DeepInfo" << QStringList{found, "app id none"};
        QTest::newRow("Info.plist in binary") << "DeepBinary" << QStringList{found, "app id none"};
        QTest::newRow("entitlements") << "DeepEntitlements"
                                      << QStringList{found, "app WARN Release entitlements: Signed entitlements were "
                                                            "reported but could not be read."};
        QTest::newRow("attach output")
            << "DeepAttach"
            << QStringList{"FAIL Mount disk image: The DMG mounted, but Veristamp could not read its mount information."};
    }
    // On the half-megabyte stack of a secondary thread on macOS; every volume is detached again.
    void deepInput() { inspect(512 << 10); }

private:
    // A path ending in .app becomes a symbolic link to the bytes; any other a file holding them.
    void write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = m_temp.filePath("source/" + relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (!relative.endsWith(".app")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        } else {
            QVERIFY(QFile::link(QString::fromUtf8(bytes), path));
        }
    }

    void inspect(uint stackSize = 0)
    {
        QFETCH(QString, image);
        QFETCH(QStringList, expected);
        const QUrl url = QUrl::fromLocalFile(m_temp.filePath("images/" + image + ".dmg"));
        InspectionResult result;
        QThread *thread = QThread::create(
            [&] { result = inspectDiskImage(url, releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT))); });
        thread->setStackSize(stackSize);
        thread->start();
        QVERIFY(thread->wait());
        delete thread;
        const QStringList actual = outcomes(result);
        for (const QString &line : expected)
            QVERIFY2(actual.contains(line), qPrintable(actual.join('\n')));
        QCOMPARE(QDir(m_temp.filePath("veristamp-volumes")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    QTemporaryDir m_temp;
};

QTEST_GUILESS_MAIN(HostileVolumeTest)
#include "hostile_volume_test.moc"
