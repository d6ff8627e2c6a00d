// The stand-in hdiutil run as a real process through the engine's own calls:
// the safety of its attach and detach, and real UDIF images made on a Mac,
// verified and attached through 7zz. How the stand-ins replay records
// shows in every fixture package (standin_inspection_test); that they answer
// only the engine's exact argument vectors keeps a drift in those loud there.
// Every test gets its own TMPDIR and leaves no volume behind.

#include "test_files.h"

#include "proplist/property_list.h"
#include "engine/release_tools.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Member {
    QByteArray name;
    QByteArray data;
    char type = 'f'; // 'f' file, 'd' folder, 'l' symbolic link, 'h' hard link (data: the target)
};

// A stand-in disk image: a POSIX tar archive of the members, in order.
void writeImage(const QString &path, const QList<Member> &members)
{
    archive *writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    archive_write_open_filename(writer, QFile::encodeName(path).constData());
    for (const Member &member : members) {
        const bool file = member.type == 'f';
        archive_entry *entry = archive_entry_new();
        archive_entry_copy_pathname(entry, member.name.constData());
        archive_entry_set_perm(entry, member.type == 'd' ? 0755 : 0644);
        archive_entry_set_filetype(entry, member.type == 'd' ? AE_IFDIR : member.type == 'l' ? AE_IFLNK : AE_IFREG);
        if (member.type == 'l')
            archive_entry_copy_symlink(entry, member.data.constData());
        if (member.type == 'h')
            archive_entry_copy_hardlink(entry, member.data.constData());
        archive_entry_set_size(entry, file ? member.data.size() : 0);
        archive_write_header(writer, entry);
        archive_write_data(writer, member.data.constData(), file ? size_t(member.data.size()) : 0);
        archive_entry_free(entry);
    }
    archive_write_free(writer);
}

Program::DataResult run(const ToolCall &call) { return runToolData(releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))), call); }

// The volume entity of an attach's output (empty when it failed).
QVariantMap volumeEntity(const QByteArray &plist)
{
    const QVariantList entities = parsePropertyList(plist).value_or(QVariant()).toMap().value("system-entities").toList();
    return entities.size() == 2 ? entities.at(1).toMap() : QVariantMap();
}

QString attached(const QString &image) { return volumeEntity(run(attachCall(image)).standardOutput).value("mount-point").toString(); }

const QString kHdiutil = QStringLiteral(VERISTAMP_TOOL_ROOT "/usr/bin/hdiutil");

// Plants a file named `name` (bytes) `depth` folders below `folder`, inside
// a further folder given `lockedMode` afterwards unless that is negative.
bool plant(const QString &folder, const QByteArray &name, int depth, int lockedMode)
{
    int at = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; at >= 0 && level < depth + (lockedMode >= 0 ? 1 : 0); ++level) {
        const char *inner = level < depth ? "d" : "locked";
        const int next = ::mkdirat(at, inner, 0755) == 0 ? ::openat(at, inner, O_RDONLY | O_DIRECTORY) : -1;
        ::close(at);
        at = next;
    }
    const int file = at >= 0 ? ::openat(at, name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644) : -1;
    const bool planted = file >= 0 && ::close(file) == 0 && (lockedMode < 0 || ::fchmod(at, mode_t(lockedMode)) == 0);
    if (at >= 0)
        ::close(at);
    return planted;
}

// Many small files: an unpack that is still under way when a test acts on it.
QList<Member> manyFiles(int count)
{
    QList<Member> members{{"volume/", {}, 'd'}, {"volume/first/", {}, 'd'}, {"volume/first/file", "x"}};
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 0)
            members.append({"volume/" + QByteArray::number(i / 1000) + "/", {}, 'd'});
        members.append({"volume/" + QByteArray::number(i / 1000) + "/" + QByteArray::number(i), "x"});
    }
    return members;
}

} // namespace

Q_DECLARE_METATYPE(Member)

class StandinTest : public QObject {
    Q_OBJECT

    const QString m_base = QDir::tempPath();
    std::unique_ptr<QTemporaryDir> m_temp;

    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString volumes() const { return path("veristamp-volumes"); }

    // A copy of a real image, bytes overwritten at `at` (from the end when negative), cut to `size` (-1: whole).
    QString damagedCopy(const QString &name, qint64 at, const QByteArray &bytes, qint64 size = -1)
    {
        QByteArray data = readAll(QStringLiteral(VERISTAMP_REAL_ARTIFACTS "/") + name);
        data.replace(at < 0 ? data.size() + at : at, bytes.size(), bytes);
        const QString copy = path("copy-" + name);
        return writeAll(copy, data.left(size < 0 ? data.size() : size)) ? copy : QString();
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>(m_base + "/standin-test-XXXXXX");
        qputenv("TMPDIR", QFile::encodeName(m_temp->path()));
    }
    void cleanup()
    {
        const QStringList left = QDir(volumes()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QDir(volumes()).removeRecursively();
        QCOMPARE(left, QStringList());
    }

    // Nothing of an image lands outside its volume folder; such an attach fails whole.
    void attachRefusesUnsafeMembers_data()
    {
        QTest::addColumn<QList<Member>>("members");
        QTest::addColumn<QByteArray>("reason"); // about the last member; empty: libarchive's words
        QTest::newRow("parent component") << QList<Member>{{"volume/a/../../../escaped", "x"}} << QByteArray("leaves the volume");
        QTest::newRow("absolute after the prefix") << QList<Member>{{"volume//escaped", "x"}} << QByteArray("leaves the volume");
        QTest::newRow("hard link out of the archive") << QList<Member>{{"volume/link", "%1/outside/file", 'h'}} << QByteArray("links outside the volume");
        QTest::newRow("file through a symbolic link") << QList<Member>{{"volume/out", "%1/outside", 'l'}, {"volume/out/file", "x"}} << QByteArray();
    }
    void attachRefusesUnsafeMembers()
    {
        QFETCH(QList<Member>, members);
        QFETCH(QByteArray, reason);
        QVERIFY(writeAll(path("outside/file"), "outside"));
        for (Member &member : members)
            member.data.replace("%1", m_temp->path().toUtf8());
        writeImage(path("Unsafe.dmg"), QList<Member>{{"volume/", {}, 'd'}} + members);
        const Program::DataResult result = run(attachCall(path("Unsafe.dmg")));
        QCOMPARE(describe(result.outcome), "exited with 1");
        QCOMPARE(result.standardOutput, QByteArray());
        if (reason.isEmpty())
            QVERIFY2(result.standardError.startsWith("hdiutil: attach failed - "), result.standardError);
        else
            QCOMPARE(result.standardError, "hdiutil: attach failed - image member \"" + members.last().name + "\" " + reason + "\n");
        QVERIFY(!QFileInfo::exists(path("escaped")) && !QFileInfo::exists(volumes() + "/escaped"));
        QCOMPARE(readAll(path("outside/file")), QByteArray("outside"));
    }

    // Detach removes a volume whatever it holds: names as bytes, folders
    // without permissions, a tree deeper than a path may be long.
    void detachRemovesWhateverTheVolumeHolds_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("lockedMode"); // of a folder around the file; -1: none
        QTest::newRow("name not in UTF-8") << QByteArray("\xff\xfe name") << 0 << -1;
        QTest::newRow("lone surrogate spelt as bytes") << QByteArray("\xed\xa0\x80") << 0 << -1;
        QTest::newRow("folder without write permission") << QByteArray("file") << 0 << 0500;
        QTest::newRow("folder nobody may read") << QByteArray("file") << 0 << 0;
        QTest::newRow("deeper than a path may be long") << QByteArray("file") << 2100 << -1;
    }
    void detachRemovesWhateverTheVolumeHolds()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, depth);
        QFETCH(int, lockedMode);
        writeImage(path("Plain.dmg"), {{"volume/", {}, 'd'}, {"volume/A.app/", {}, 'd'}, {"volume/A.app/Info.plist", "x"}});
        const QString mount = attached(path("Plain.dmg"));
        QVERIFY(plant(mount, name, depth, lockedMode));
        const Program::DataResult detached = run(detachCall(mount));
        QCOMPARE(detached.standardOutput + detached.standardError, QByteArray("\"disk4\" ejected.\n"));
        QCOMPARE(describe(detached.outcome), "exited with 0");
        QVERIFY(!QFileInfo::exists(mount));
    }

    // An attach that is stopped, or whose caller dies, leaves no volume: a
    // signal stops the unpack and removes what it wrote, and the stand-in
    // gets SIGTERM when its parent goes, unpacking or holding its answer.
    void interruptedAttachLeavesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("holds"); // the attach's record holds its answer once the volume is there
        QTest::newRow("SIGTERM while unpacking") << "term" << false;
        QTest::newRow("parent killed while unpacking") << "parent" << false;
        QTest::newRow("parent killed while the answer is held") << "parent" << true;
    }
    void interruptedAttachLeavesNothing()
    {
        QFETCH(QString, how);
        QFETCH(bool, holds);
        QList<Member> members = manyFiles(holds ? 0 : 30000);
        if (holds)
            members << Member{"_ReleaseToolRecords/", {}, 'd'} << Member{"_ReleaseToolRecords/H2.waits", {}}
                    << Member{"_ReleaseToolRecords/H2.stdout", "@MOUNT@"};
        writeImage(path("Large.dmg"), members);
        QProcess process; // with the replay of records CTest asks every test for
        const QStringList attach = QStringList{kHdiutil} + attachCall(path("Large.dmg")).arguments;
        process.start(how == "term" ? kHdiutil : QStringLiteral(VERISTAMP_HELPER),
                      how == "term" ? attach.mid(1) : QStringList{"run"} + attach);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(volumes() + "/Large/first/file"), 60000);
        ::kill(pid_t(process.processId()), how == "term" ? SIGTERM : SIGKILL);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(volumes()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), 60000);
    }

    // A record file is never read past 16 MiB, however large its member
    // claims to be: the call says so and fails.
    void oversizeRecordsAreRefused_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("record");
        QTest::newRow("in an image") << "Records.dmg" << "H1.stdout";
        QTest::newRow("in a bundle") << "Records.app" << "C1.stdout";
    }
    void oversizeRecordsAreRefused()
    {
        QFETCH(QString, package);
        QFETCH(QString, record);
        const qint64 size = (qint64(16) << 20) + 1;
        if (package.endsWith(".dmg")) {
            writeImage(path(package), {{"volume/", {}, 'd'}, {"_ReleaseToolRecords/", {}, 'd'},
                                       {"_ReleaseToolRecords/" + record.toUtf8(), QByteArray(size, 'x')}});
        } else {
            QFile file(path(package + "/Contents/_ReleaseToolRecords/" + record));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.resize(size));
        }
        qputenv("VERISTAMP_REPLAY_RECORDS", "1");
        const Program::DataResult result = run(package.endsWith(".dmg") ? imageVerificationCall(path(package))
                                                                      : signatureVerificationCall(path(package)));
        qunsetenv("VERISTAMP_REPLAY_RECORDS");
        QCOMPARE(result.standardOutput, QByteArray());
        QCOMPARE(result.standardError, "stand-in: the record file " + record.toUtf8() + " is larger than 16 MiB and was not read\n");
        QCOMPARE(describe(result.outcome), "exited with 1");
    }

    void detachRefusesWhatAttachDidNotMake()
    {
        const QString mount = attached(VERISTAMP_TEST_PACKAGES "/dmgs/Notarized.dmg");
        QCOMPARE(mount, volumes() + "/Notarized");
        QVERIFY(QDir().mkpath(volumes() + "/Stranger") && QDir().mkpath(path("Elsewhere")));
        QVERIFY(QFile::link(mount, volumes() + "/Link"));
        for (const QString &name : QDir(mount).entryList(QDir::Hidden | QDir::Files)) // the volume's own marker
            QVERIFY(QFile::copy(mount + "/" + name, path("Elsewhere/") + name));
        for (const QString &target : {volumes() + "/Stranger", volumes(), volumes() + "/Link", path("Elsewhere")}) {
            const Program::DataResult result = run(detachCall(target));
            QVERIFY2(result.outcome.exitedWith(1) && QFileInfo::exists(target), qPrintable(target));
            QCOMPARE(result.standardOutput + result.standardError, QByteArray("hdiutil: detach failed - No such file or directory\n"));
        }
        QVERIFY(QFileInfo::exists(mount + "/Ready.app/Contents/Info.plist"));
        QVERIFY(QFile::remove(volumes() + "/Link") && QDir(volumes() + "/Stranger").removeRecursively());
        QCOMPARE(describe(run(detachCall(mount)).outcome), "exited with 0");
    }

    // An intact image's partition lines and checksums are its own, as 7-Zip
    // lists them too; a damaged one, or one 7zz is missing for, fails the
    // call and its attach (leaving no volume, as cleanup checks).
    void verifiesAnImage_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<qint64>("at"); // where bytes are overwritten, from the end when negative
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size"); // the copy cut to it; -1: whole
        QTest::addColumn<QByteArray>("out"); // how standard output ends
        QTest::addColumn<QByteArray>("err"); // %1: the image's path
        const QString hfs = "SparkleTestCodeSignApp.dmg", apfs = "SparkleTestCodeSign_apfs.dmg";
        const QByteArray valid = "hdiutil: verify: checksum of \"%1\" is VALID\n";
        const QByteArray invalid = "hdiutil: verify: checksum of \"%1\" is INVALID (";
        QTest::newRow("intact HFS+") << hfs << qint64(0) << QByteArray() << qint64(-1)
            << "Checksumming Driver Descriptor Map (DDM : 0)\xE2\x80\xA6\n"
               "     Driver Descriptor Map (DDM : 0): verified   CRC32 $633CFFFF\n"
               "Checksumming Apple (Apple_partition_map : 1)\xE2\x80\xA6\n"
               "     Apple (Apple_partition_map : 1): verified   CRC32 $D3355374\n"
               "Checksumming disk image (Apple_HFS : 2)\xE2\x80\xA6\n"
               "          disk image (Apple_HFS : 2): verified   CRC32 $AE00A1C9\n"
               "verified   CRC32 $A2F024C5\n" + valid << QByteArray();
        QTest::newRow("intact APFS") << apfs << qint64(0) << QByteArray() << qint64(-1)
                                     << "verified   CRC32 $7B678060\n" + valid << QByteArray();
        QTest::newRow("bytes flipped in a chunk") << hfs << qint64(600000) << QByteArray(16, '\x5A') << qint64(-1)
                                                  << QByteArray() << invalid + "checksum mismatch)\n";
        QTest::newRow("cut in half") << hfs << qint64(0) << QByteArray() << qint64(564932) << QByteArray()
                                     << QByteArray("hdiutil: verify failed - image not recognized\n");
        QTest::newRow("property list past the end") << apfs << qint64(-512 + 216) << QByteArray(8, '\x7F') << qint64(-1)
                                                    << QByteArray() << invalid + "chunk table outside the image)\n";
        QTest::newRow("data fork longer than the image") << apfs << qint64(-512 + 32) << QByteArray(4, '\x01') << qint64(-1)
                                                         << QByteArray() << invalid + "data fork outside the image)\n";
        QTest::newRow("7zz missing") << hfs << qint64(0) << QByteArray() << qint64(-1) << QByteArray()
            << QByteArray("hdiutil: verify failed - 7zz (7-Zip) was not found on PATH; install it "
                          "(Debian package 7zip: apt-get install 7zip, or scripts/install-deps)\n");
    }
    void verifiesAnImage()
    {
        QFETCH(QString, image);
        QFETCH(qint64, at);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const QString copy = damagedCopy(image, at, bytes, size);
        const QByteArray path = qgetenv("PATH");
        if (QTest::currentDataTag() == QByteArrayLiteral("7zz missing"))
            qputenv("PATH", "/nonexistent");
        const Program::DataResult result = run(imageVerificationCall(copy));
        const QString attach = err.isEmpty() ? QString() : describe(run(attachCall(copy)).outcome);
        qputenv("PATH", path);
        QVERIFY2(result.standardOutput.endsWith(out.replace("%1", copy.toUtf8())) && result.standardOutput.isEmpty() == out.isEmpty(),
                 result.standardOutput.constData());
        QCOMPARE(result.standardError, err.replace("%1", copy.toUtf8()));
        QCOMPARE(describe(result.outcome), err.isEmpty() ? "exited with 0" : "exited with 1");
        QCOMPARE(attach, err.isEmpty() ? "" : "exited with 1");
    }

    // The mount point holds the volume's root, not a folder named after the volume.
    void attachesTheVolumeRoot_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("kind");
        QTest::newRow("HFS+") << "SparkleTestCodeSignApp" << "hfs";
        QTest::newRow("APFS") << "SparkleTestCodeSign_apfs" << "apfs";
    }
    void attachesTheVolumeRoot()
    {
        QFETCH(QString, image);
        QFETCH(QString, kind);
        const Program::DataResult result = run(attachCall(QStringLiteral(VERISTAMP_REAL_ARTIFACTS "/") + image + ".dmg"));
        QCOMPARE(describe(result.outcome), "exited with 0");
        const QVariantMap volume = volumeEntity(result.standardOutput);
        const QString mount = volume.value("mount-point").toString();
        QCOMPARE(mount, volumes() + "/" + image);
        QCOMPARE(volume.value("volume-kind").toString(), kind);
        QCOMPARE(QDir(mount).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList({"Applications", "SparkleTestCodeSignApp.app"}));
        QCOMPARE(QFileInfo(mount + "/Applications").symLinkTarget(), QString("/Applications"));
        QVERIFY(QFileInfo(mount + "/SparkleTestCodeSignApp.app/Contents/Info.plist").isFile());
        QCOMPARE(QFile::symLinkTarget(mount + "/SparkleTestCodeSignApp.app/Contents/Frameworks/Sparkle.framework/Versions/Current"),
                 mount + "/SparkleTestCodeSignApp.app/Contents/Frameworks/Sparkle.framework/Versions/A");
        const Program::DataResult detached = run(detachCall(mount));
        QCOMPARE(detached.standardOutput, QByteArray("\"disk4\" ejected.\n"));
        QVERIFY(!QFileInfo::exists(mount));
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "standin_test.moc"
