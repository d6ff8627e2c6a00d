// Disk images made to trick or crash the inspection, built from folders by the
// fixture builder and inspected through the stand-in tools, which unpack each
// volume into $TMPDIR/veristamp-volumes. TMPDIR is private to the test.

#include "engine/disk_image_inspection.h"
#include "hostile_inputs.h"
#include "test_files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QByteArray kApps = VERISTAMP_TEST_PACKAGES "/apps";
const QByteArray kZeta = "<plist><dict><key>CFBundleIdentifier</key><string>com.example.zeta</string></dict></plist>";
const QByteArray kDeep = "<key>Deep</key>" + nestedArrays(200000);

} // namespace

class HostileVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
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

private:
    // A path ending in .app becomes a symbolic link to the bytes; any other a file holding them.
    void write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = m_temp.filePath("source/" + relative);
        QVERIFY(relative.endsWith(".app") ? QDir().mkpath(QFileInfo(path).path()) && QFile::link(QString::fromUtf8(bytes), path)
                                          : writeAll(path, bytes));
    }

    QTemporaryDir m_temp;
};

QTEST_GUILESS_MAIN(HostileVolumeTest)
#include "hostile_volume_test.moc"
