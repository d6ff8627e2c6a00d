// Attaching, app discovery and detaching against a scripted disk-image tool.

#include "engine/disk_image_volume.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>system-entities</key>\n\t<array>\n" + entities + "\t</array>\n</dict>\n</plist>\n";
}

QByteArray volume(const QByteArray &mountPoint)
{
    return "\t\t<dict><key>mount-point</key><string>" + mountPoint + "</string></dict>\n";
}

const QByteArray partitionMap = "\t\t<dict><key>content-hint</key><string>Apple_partition_map</string></dict>\n";

// Answers every call the same way and records it.
ReleaseTools answering(const Shell::DataResult &answer, QList<ToolCall> &calls)
{
    return ReleaseTools{[answer, &calls](const ToolCall &call) {
        calls << call;
        return answer;
    }};
}

} // namespace

Q_DECLARE_METATYPE(Shell::DataResult)

class DiskImageVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void mountDiskImage_data()
    {
        QTest::addColumn<Shell::DataResult>("answer");
        QTest::addColumn<QString>("mountPoint"); // empty: none
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, int exitCode, const QByteArray &out, const QByteArray &err,
                            const QString &mountPoint, const QString &message) {
            QTest::newRow(name) << Shell::DataResult{exitCode, out, err} << mountPoint << message;
        };
        const QString mounted = QStringLiteral("Mounted successfully.");
        const QByteArray usual = attachPlist(partitionMap + volume("/Volumes/Example"));

        row("mount point in the second entity", 0, usual, {}, "/Volumes/Example", mounted);
        row("licence in another encoding before the plist", 0,
            "Licence Agreement\n\xa9 2024 Example \xab" "Corp\xbb\n\n" + usual, {}, "/Volumes/Example", mounted);
        row("an entity that is not a dictionary", 0, attachPlist(volume("/Volumes/X") + "<string>disk3</string>"), {},
            {}, "The DMG mounted, but Veristamp could not read its mount information.");
        const QString unreadable = "The DMG mounted, but Veristamp could not read its mount information.";
        const QString noPath = "The DMG mounted, but no mounted volume path was reported.";
        const QByteArray head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">";
        row("root not a dictionary", 0, head + "<array><string>/Volumes/X</string></array></plist>", {}, {}, unreadable);
        row("system-entities missing", 0, head + "<dict><key>mount-point</key><string>/V</string></dict></plist>", {},
            {}, unreadable);
        row("system-entities not an array", 0, head + "<dict><key>system-entities</key><dict/></dict></plist>", {}, {},
            unreadable);
        row("mount point not text", 0, attachPlist("<dict><key>mount-point</key><integer>7</integer></dict>"), {}, {},
            noPath);
        row("empty mount point", 0, attachPlist(volume("")), {}, {}, noPath);
        row("attach fails with warning and error", 1, usual,
            "hdiutil: attach: WARNING: ignoring IDME options (obsolete)\n"
            "hdiutil: attach failed - no mountable file systems\n",
            {}, "hdiutil: attach: WARNING: ignoring IDME options (obsolete) "
                "hdiutil: attach failed - no mountable file systems");
        row("attach fails silently", 1, {}, {}, {}, "The DMG could not be mounted.");
    }
    void mountDiskImage()
    {
        QFETCH(Shell::DataResult, answer);
        QFETCH(QString, mountPoint);
        QFETCH(QString, message);
        const QString image = QStringLiteral("/Users/dev/Release/Example 1.0.dmg");
        QList<ToolCall> calls;
        const auto result = ::mountDiskImage(QUrl::fromLocalFile(image), answering(answer, calls));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].arguments, QStringList({"attach", "-readonly", "-nobrowse", "-plist", image}));
        QCOMPARE(result.message, message);
        QCOMPARE(result.mountPoint,
                 mountPoint.isEmpty() ? std::nullopt : std::optional(QUrl::fromLocalFile(mountPoint)));
    }

    void findApplicationBundles_data()
    {
        QTest::addColumn<QStringList>("entries"); // a trailing slash makes a folder, "name>target" a symbolic link
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers by value, hidden skipped")
            << QStringList{"Tool 10.app/", "Tool 9.app/", ".Hidden.app/"} << QStringList{"Tool 9.app", "Tool 10.app"};
        QTest::newRow("letter case ignored")
            << QStringList{"Beta.app/", "alpha.app/"} << QStringList{"alpha.app", "Beta.app"};
        QTest::newRow("extension in capitals") << QStringList{"Setup.APP/", "Read Me.pdf"} << QStringList{"Setup.APP"};
        QTest::newRow("documents only, apps below the top")
            << QStringList{"Documents/", "Documents/Inner.app/", "Manual.pdf"} << QStringList{};
        QTest::newRow("plain file kept, links skipped")
            << QStringList{"Helper.app", "Link.app>/nonexistent", "Applications>/Applications", "Notes.app.zip"}
            << QStringList{"Helper.app"};
    }
    void findApplicationBundles()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        QTemporaryDir mountPoint(QDir::tempPath() + QStringLiteral("/Example Volume XXXXXX"));
        const QDir volume(mountPoint.path());
        for (const QString &entry : entries) {
            if (entry.contains(QLatin1Char('>')))
                QVERIFY(QFile::link(entry.section('>', 1), volume.filePath(entry.section('>', 0, 0))));
            else if (entry.endsWith(QLatin1Char('/')))
                QVERIFY(volume.mkpath(entry));
            else
                QVERIFY(QFile(volume.filePath(entry)).open(QIODevice::WriteOnly));
        }
        QList<QUrl> expectedUrls;
        for (const QString &name : expected)
            expectedUrls << QUrl::fromLocalFile(volume.filePath(name));
        QCOMPARE(::findApplicationBundles(QUrl::fromLocalFile(volume.path())), expectedUrls);
        QCOMPARE(::findApplicationBundles(QUrl::fromLocalFile(volume.filePath("gone"))), QList<QUrl>());
    }

    void detachPassesTheMountPointAsOneArgument()
    {
        QList<ToolCall> calls;
        const QByteArray busy = "hdiutil: couldn't unmount \"disk5\" - Resource busy\n";
        const auto result = detachDiskImage(QUrl::fromLocalFile("/Volumes/Flowt 6"), answering({16, {}, busy}, calls));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(QStringList{calls[0].executable} + calls[0].arguments,
                 (QStringList{"/usr/bin/hdiutil", "detach", "/Volumes/Flowt 6"}));
        QCOMPARE(QString::number(result.exitCode) + ' ' + result.stderr, "16 " + QString::fromUtf8(busy));
    }
};

QTEST_GUILESS_MAIN(DiskImageVolumeTest)
#include "disk_image_volume_test.moc"
