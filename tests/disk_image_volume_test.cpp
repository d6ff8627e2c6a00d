// Attaching, app discovery and detaching against a scripted disk-image tool.

#include "engine/disk_image_volume.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>system-entities</key>\n\t<array>\n" + entities + "\t</array>\n</dict>\n</plist>\n";
}

const QByteArray partitionMap = "\t\t<dict>\n\t\t\t<key>content-hint</key>\n"
                                "\t\t\t<string>Apple_partition_map</string>\n\t\t</dict>\n";

QByteArray volume(const QByteArray &mountPoint)
{
    return "\t\t<dict>\n\t\t\t<key>mount-point</key>\n\t\t\t<string>" + mountPoint + "</string>\n\t\t</dict>\n";
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

} // namespace

class DiskImageVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void mountDiskImage_data();
    void mountDiskImage();
    void findApplicationBundles_data();
    void findApplicationBundles();
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
    const QByteArray usual = attachPlist(partitionMap + volume("/Volumes/Example"));
    const QByteArray none;

    QTest::newRow("mount point in the second entity") << 0 << usual << none << "/Volumes/Example" << mounted;
    QTest::newRow("first of two mount points")
        << 0 << attachPlist(volume("/Volumes/A") + volume("/Volumes/B")) << none << "/Volumes/A" << mounted;
    QTest::newRow("escaped text in the path")
        << 0 << attachPlist(volume("/Volumes/A &amp; B 1")) << none << "/Volumes/A & B 1" << mounted;
    QTest::newRow("mount point that is not text is skipped")
        << 0 << attachPlist("<dict><key>mount-point</key><integer>7</integer></dict>" + volume("/Volumes/X")) << none
        << "/Volumes/X" << mounted;
    QTest::newRow("empty mount point is skipped")
        << 0 << attachPlist(volume("") + volume("/Volumes/X")) << none << "/Volumes/X" << mounted;
    QTest::newRow("licence in another encoding before the plist")
        << 0 << QByteArray("Licence Agreement\n\xa9 2024 Example \xab" "Corp\xbb\n\n" + usual) << none
        << "/Volumes/Example" << mounted;
    QTest::newRow("text after the plist naming its end tag")
        << 0 << QByteArray("Agree? Y\n" + usual + "no </plist> here\n") << none << "/Volumes/Example" << mounted;

    QTest::newRow("no entity has a mount point") << 0 << attachPlist(partitionMap) << none << QString() << noPath;
    QTest::newRow("not a property list") << 0 << QByteArray("/dev/disk4\tApple_HFS\t/Volumes/Example\n") << none
                                         << QString() << unreadable;
    QTest::newRow("licence before a broken plist")
        << 0 << QByteArray("Licence\n" + usual.left(usual.size() - 30)) << none << QString() << unreadable;
    QTest::newRow("root is an array") << 0 << QByteArray("<?xml version=\"1.0\"?><plist><array/></plist>") << none
                                      << QString() << unreadable;
    QTest::newRow("system-entities missing")
        << 0 << QByteArray("<?xml version=\"1.0\"?><plist><dict/></plist>") << none << QString() << unreadable;
    QTest::newRow("system-entities not an array")
        << 0 << QByteArray("<?xml version=\"1.0\"?><plist><dict><key>system-entities</key><dict/></dict></plist>")
        << none << QString() << unreadable;
    QTest::newRow("an entity that is not a dictionary")
        << 0 << attachPlist(volume("/Volumes/X") + "<string>disk3</string>") << none << QString() << unreadable;

    QTest::newRow("attach fails with warning and error")
        << 1 << usual
        << QByteArray("hdiutil: attach: WARNING: ignoring IDME options (obsolete)\n"
                      "hdiutil: attach failed - no mountable file systems\n")
        << QString()
        << "hdiutil: attach: WARNING: ignoring IDME options (obsolete) "
           "hdiutil: attach failed - no mountable file systems";
    QTest::newRow("attach fails silently") << 1 << none << none << QString() << "The DMG could not be mounted.";
    QTest::newRow("attach fails in another encoding")
        << 1 << none << QByteArray("hdiutil: attach failed - R\xe9pertoire\n") << QString()
        << "The DMG could not be mounted.";
}

void DiskImageVolumeTest::mountDiskImage()
{
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QString, mountPoint);
    QFETCH(QString, message);

    const QString image = QStringLiteral("/Users/dev/Release/Example 1.0.dmg");
    ScriptedTool tool{Shell::DataResult{exitCode, out, err}, {}};
    const InspectionResult::MountResult result = ::mountDiskImage(QUrl::fromLocalFile(image), tool.tools());

    QCOMPARE(tool.calls.size(), 1);
    QCOMPARE(tool.calls[0].arguments, attachCall(image).arguments);
    QCOMPARE(result.message, message);
    const std::optional<QUrl> expected =
        mountPoint.isEmpty() ? std::nullopt : std::optional(QUrl::fromLocalFile(mountPoint));
    QCOMPARE(result.mountPoint, expected);
}

void DiskImageVolumeTest::findApplicationBundles_data()
{
    QTest::addColumn<QStringList>("entries"); // a trailing slash makes a folder, "name>target" a symbolic link
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("numbers by value, hidden skipped")
        << QStringList{"Tool 10.app/", "Tool 9.app/", ".Hidden.app/"} << QStringList{"Tool 9.app", "Tool 10.app"};
    QTest::newRow("letter case ignored")
        << QStringList{"Beta.app/", "alpha.app/", "Gamma.app/"} << QStringList{"alpha.app", "Beta.app", "Gamma.app"};
    QTest::newRow("extension in capitals") << QStringList{"Setup.APP/", "Read Me.pdf"} << QStringList{"Setup.APP"};
    QTest::newRow("documents only, apps below the top")
        << QStringList{"Documents/", "Documents/Inner.app/", "Manual.pdf"} << QStringList{};
    QTest::newRow("entries not examined")
        << QStringList{"Helper.app", "Link.app>/nonexistent", "Applications>/Applications", "Notes.app.zip"}
        << QStringList{"Helper.app", "Link.app"};
}

void DiskImageVolumeTest::findApplicationBundles()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);

    QTemporaryDir mountPoint(QDir::tempPath() + QStringLiteral("/Example Volume XXXXXX"));
    const QDir volume(mountPoint.path());
    for (const QString &entry : entries) {
        if (entry.contains(QLatin1Char('>')))
            QVERIFY(QFile::link(entry.section(QLatin1Char('>'), 1),
                                volume.filePath(entry.section(QLatin1Char('>'), 0, 0))));
        else if (entry.endsWith(QLatin1Char('/')))
            QVERIFY(volume.mkpath(entry));
        else
            QVERIFY(QFile(volume.filePath(entry)).open(QIODevice::WriteOnly));
    }

    QList<QUrl> expectedUrls;
    for (const QString &name : expected)
        expectedUrls << QUrl::fromLocalFile(volume.filePath(name));
    QCOMPARE(::findApplicationBundles(QUrl::fromLocalFile(volume.path())), expectedUrls);
    QCOMPARE(::findApplicationBundles(QUrl::fromLocalFile(volume.filePath(QStringLiteral("gone")))), QList<QUrl>());
}

void DiskImageVolumeTest::detachPassesTheMountPointAsOneArgument()
{
    ScriptedTool tool{Shell::DataResult{16, {}, "hdiutil: couldn't unmount \"disk5\" - Resource busy\n"}, {}};
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
