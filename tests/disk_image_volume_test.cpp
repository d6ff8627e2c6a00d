// Attaching, app discovery and detaching against a scripted disk-image tool.

#include "engine/disk_image_volume.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n\t<key>system-entities</key>\n\t<array>\n"
           + entities + "\t</array>\n</dict>\n</plist>\n";
}

const QByteArray partitionMap = "\t\t<dict>\n\t\t\t<key>content-hint</key>\n\t\t\t<string>Apple_partition_map</string>\n"
                                "\t\t\t<key>dev-entry</key>\n\t\t\t<string>/dev/disk3s1</string>\n"
                                "\t\t\t<key>potentially-mountable</key>\n\t\t\t<false/>\n\t\t</dict>\n";

QByteArray volumeEntity(const QByteArray &mountPoint)
{
    return "\t\t<dict>\n\t\t\t<key>content-hint</key>\n\t\t\t<string>Apple_HFS</string>\n"
           "\t\t\t<key>mount-point</key>\n\t\t\t<string>" + mountPoint + "</string>\n"
           "\t\t\t<key>volume-kind</key>\n\t\t\t<string>hfs</string>\n\t\t</dict>\n";
}

struct ScriptedTool {
    Shell::DataResult answer;
    QList<ToolCall> calls;

    ReleaseTools tools()
    {
        return ReleaseTools{[this](const ToolCall &call) {
            calls << call;
            return answer;
        }};
    }
};

const QUrl image = QUrl::fromLocalFile(QStringLiteral("/Users/dev/Release/Example 1.0.dmg"));

// Creates the entries in the folder: a trailing slash makes a folder, "->" a symbolic link.
void populate(const QDir &folder, const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (entry.contains(QLatin1String(" -> "))) {
            const QStringList link = entry.split(QStringLiteral(" -> "));
            QVERIFY(QFile::link(link[1], folder.filePath(link[0])));
        } else if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(folder.mkpath(entry));
        } else {
            QFile file(folder.filePath(entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
}

QStringList names(const QList<QUrl> &urls)
{
    QStringList result;
    for (const QUrl &url : urls)
        result << lastPathComponent(url);
    return result;
}

} // namespace

class DiskImageVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void mountDiskImage_data();
    void mountDiskImage();
    void findApplicationBundles_data();
    void findApplicationBundles();
    void listsOnlyAnExistingVolume();
    void detachPassesTheMountPointAsOneArgument();
};

void DiskImageVolumeTest::mountDiskImage_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QString>("mountPoint"); // empty: none
    QTest::addColumn<QString>("message");

    const QString mounted = QStringLiteral("Mounted successfully.");
    const QString unreadable = QStringLiteral("The DMG mounted, but Veristamp could not read its mount information.");
    const QString noPath = QStringLiteral("The DMG mounted, but no mounted volume path was reported.");
    const QByteArray twoEntities = attachPlist(partitionMap + volumeEntity("/Volumes/Example"));

    QTest::newRow("mount point in the second entity")
        << 0 << twoEntities << QByteArray() << "/Volumes/Example" << mounted;
    QTest::newRow("first of two mount points")
        << 0 << attachPlist(volumeEntity("/Volumes/First") + volumeEntity("/Volumes/Second")) << QByteArray()
        << "/Volumes/First" << mounted;
    QTest::newRow("mount point with spaces and an entity")
        << 0 << attachPlist(volumeEntity("/Volumes/A &amp; B 1")) << QByteArray() << "/Volumes/A & B 1" << mounted;
    QTest::newRow("mount point that is not text is skipped")
        << 0
        << attachPlist("\t\t<dict><key>mount-point</key><integer>7</integer></dict>\n" + volumeEntity("/Volumes/X"))
        << QByteArray() << "/Volumes/X" << mounted;
    QTest::newRow("empty mount point is skipped")
        << 0 << attachPlist(volumeEntity("") + volumeEntity("/Volumes/X")) << QByteArray() << "/Volumes/X" << mounted;
    QTest::newRow("licence in another encoding before the plist")
        << 0 << QByteArray("Software Licence Agreement\n\xa9 2024 Example \x93Ltd\x94\n\n" + twoEntities)
        << QByteArray() << "/Volumes/Example" << mounted;
    QTest::newRow("text before and after the plist")
        << 0 << QByteArray("Agree? Y\n" + twoEntities + "trailing </plist> mention\n") << QByteArray()
        << "/Volumes/Example" << mounted;

    QTest::newRow("no entity has a mount point")
        << 0 << attachPlist(partitionMap + partitionMap) << QByteArray() << QString() << noPath;
    QTest::newRow("no entities") << 0 << attachPlist("") << QByteArray() << QString() << noPath;

    QTest::newRow("not a property list")
        << 0 << QByteArray("/dev/disk4\tApple_HFS\t/Volumes/Example\n") << QByteArray() << QString() << unreadable;
    QTest::newRow("no output") << 0 << QByteArray() << QByteArray() << QString() << unreadable;
    QTest::newRow("broken plist after text")
        << 0 << QByteArray("Licence\n" + twoEntities.left(twoEntities.size() - 30)) << QByteArray() << QString()
        << unreadable;
    QTest::newRow("root is an array")
        << 0 << QByteArray("<?xml version=\"1.0\"?><plist><array><dict/></array></plist>") << QByteArray()
        << QString() << unreadable;
    QTest::newRow("system-entities missing")
        << 0 << QByteArray("<?xml version=\"1.0\"?><plist><dict><key>other</key><array/></dict></plist>")
        << QByteArray() << QString() << unreadable;
    QTest::newRow("system-entities not an array")
        << 0
        << QByteArray("<?xml version=\"1.0\"?><plist><dict><key>system-entities</key><dict/></dict></plist>")
        << QByteArray() << QString() << unreadable;
    QTest::newRow("an entity that is not a dictionary")
        << 0 << attachPlist(volumeEntity("/Volumes/X") + "\t\t<string>disk3</string>\n") << QByteArray()
        << QString() << unreadable;

    QTest::newRow("attach fails with warning and error")
        << 1 << twoEntities
        << QByteArray("hdiutil: attach: WARNING: ignoring IDME options (obsolete)\n"
                      "hdiutil: attach failed - no mountable file systems\n")
        << QString()
        << "hdiutil: attach: WARNING: ignoring IDME options (obsolete) "
           "hdiutil: attach failed - no mountable file systems";
    QTest::newRow("attach fails silently")
        << 1 << QByteArray() << QByteArray() << QString() << "The DMG could not be mounted.";
    QTest::newRow("attach fails with undecodable error")
        << 1 << QByteArray() << QByteArray("hdiutil: attach failed - R\xe9pertoire\n") << QString()
        << "The DMG could not be mounted.";
    QTest::newRow("runner could not start the tool")
        << -1 << QByteArray() << QByteArray("The file doesn't exist.") << QString() << "The file doesn't exist.";
}

void DiskImageVolumeTest::mountDiskImage()
{
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QString, mountPoint);
    QFETCH(QString, message);

    ScriptedTool tool{Shell::DataResult{exitCode, out, err}, {}};
    const InspectionResult::MountResult result = ::mountDiskImage(image, tool.tools());

    QCOMPARE(tool.calls.size(), 1);
    QCOMPARE(tool.calls[0].executable, attachCall(image.toLocalFile()).executable);
    QCOMPARE(tool.calls[0].arguments, attachCall(image.toLocalFile()).arguments);
    QCOMPARE(result.message, message);
    if (mountPoint.isEmpty())
        QVERIFY(!result.mountPoint);
    else
        QCOMPARE(result.mountPoint, std::optional<QUrl>(QUrl::fromLocalFile(mountPoint)));
}

void DiskImageVolumeTest::findApplicationBundles_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("numbers by value, hidden skipped")
        << QStringList{"Tool 10.app/", "Tool 9.app/", ".Hidden.app/"} << QStringList{"Tool 9.app", "Tool 10.app"};
    QTest::newRow("letter case ignored")
        << QStringList{"Beta.app/", "alpha.app/", "Gamma.app/"} << QStringList{"alpha.app", "Beta.app", "Gamma.app"};
    QTest::newRow("extension in capitals") << QStringList{"Setup.APP/", "Read Me.pdf"} << QStringList{"Setup.APP"};
    QTest::newRow("extension in mixed case") << QStringList{"Tool.ApP/"} << QStringList{"Tool.ApP"};
    QTest::newRow("documents only") << QStringList{"Documents/", "Manual.pdf", "Documents/Inner.app/"}
                                    << QStringList{};
    QTest::newRow("a plain file named like an app") << QStringList{"Helper.app"} << QStringList{"Helper.app"};
    QTest::newRow("a dangling link named like an app")
        << QStringList{"Link.app -> /nonexistent/Target.app"} << QStringList{"Link.app"};
    QTest::newRow("applications shortcut is not an app")
        << QStringList{"Applications -> /Applications", "Example.app/"} << QStringList{"Example.app"};
    QTest::newRow("only the last extension counts")
        << QStringList{"Example.app.zip", "Notes.apps", "Example.zip.app/"} << QStringList{"Example.zip.app"};
    QTest::newRow("empty volume") << QStringList{} << QStringList{};
}

void DiskImageVolumeTest::findApplicationBundles()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);

    QTemporaryDir volume(QDir::tempPath() + QStringLiteral("/Example Volume XXXXXX"));
    QVERIFY(volume.isValid());
    populate(QDir(volume.path()), entries);

    const QList<QUrl> apps = ::findApplicationBundles(QUrl::fromLocalFile(volume.path()));
    QCOMPARE(names(apps), expected);
    for (const QUrl &app : apps)
        QCOMPARE(app, QUrl::fromLocalFile(volume.path() + QLatin1Char('/') + lastPathComponent(app)));
}

void DiskImageVolumeTest::listsOnlyAnExistingVolume()
{
    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    QVERIFY(::findApplicationBundles(QUrl::fromLocalFile(parent.filePath(QStringLiteral("gone")))).isEmpty());
    QVERIFY(::findApplicationBundles(QUrl()).isEmpty());
}

void DiskImageVolumeTest::detachPassesTheMountPointAsOneArgument()
{
    ScriptedTool tool{Shell::DataResult{16, QByteArray(), QByteArray("hdiutil: couldn't unmount \"disk5\" - Resource busy\n")},
                      {}};
    const Shell::TextResult result =
        detachDiskImage(QUrl::fromLocalFile(QStringLiteral("/Volumes/Flowt 6")), tool.tools());

    QCOMPARE(tool.calls.size(), 1);
    QCOMPARE(tool.calls[0].executable, QStringLiteral("/usr/bin/hdiutil"));
    QCOMPARE(tool.calls[0].arguments, (QStringList{"detach", "/Volumes/Flowt 6"}));
    QCOMPARE(result.exitCode, 16);
    QCOMPARE(result.stderr, QStringLiteral("hdiutil: couldn't unmount \"disk5\" - Resource busy\n"));
}

QTEST_GUILESS_MAIN(DiskImageVolumeTest)
#include "disk_image_volume_test.moc"
