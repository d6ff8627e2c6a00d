// The stand-in release tools as real processes, called through the engine's
// own ToolCall builders (so a drift between the two fails here) and with raw
// argument vectors. Every test gets its own TMPDIR, which the runner's capture
// files and the stand-in volumes share, and leaves no volume behind.

#include "engine/property_list.h"
#include "engine/release_tools.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <thread>

namespace {

struct Member {
    QByteArray name;
    QByteArray data;
    char type = 'f'; // 'f' file, 'd' folder, 'l' symbolic link, 'h' hard link (data: the target)
    int mode = 0644;
};

// A stand-in disk image: a POSIX tar archive of the members, in order.
void writeImage(const QString &path, const QList<Member> &members)
{
    archive *writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    archive_write_open_filename(writer, QFile::encodeName(path).constData());
    for (const Member &member : members) {
        archive_entry *entry = archive_entry_new();
        archive_entry_copy_pathname(entry, member.name.constData());
        archive_entry_set_perm(entry, member.mode);
        archive_entry_set_filetype(entry, member.type == 'd' ? AE_IFDIR : member.type == 'l' ? AE_IFLNK : AE_IFREG);
        if (member.type == 'l')
            archive_entry_copy_symlink(entry, member.data.constData());
        if (member.type == 'h')
            archive_entry_copy_hardlink(entry, member.data.constData());
        archive_entry_set_size(entry, member.type == 'f' ? member.data.size() : 0);
        archive_write_header(writer, entry);
        archive_write_data(writer, member.data.constData(), member.type == 'f' ? size_t(member.data.size()) : 0);
        archive_entry_free(entry);
    }
    archive_write_free(writer);
}

// Record files as name, content, name, content, ...: as members of an image.
QList<Member> recordMembers(const QByteArrayList &files)
{
    QList<Member> members;
    for (qsizetype i = 0; i + 1 < files.size(); i += 2)
        members << Member{"_ReleaseToolRecords/" + files.at(i), files.at(i + 1)};
    return members;
}

const QList<Member> kSampleVolume{
    {"volume/", {}, 'd', 0755},
    {"volume/Sample.app/Contents/Info.plist", "<plist/>"},
    {"volume/Sample.app/Contents/MacOS/Sample", "#!", 'f', 0755},
    {"volume/Sample.app/Contents/Resources/Info copy.plist", "volume/Sample.app/Contents/Info.plist", 'h'},
    {"volume/Applications", "/Applications", 'l'},
    {"volume/.background/back.png", "png"},
    {"_ReleaseToolRecords/C2.stderr", "Executable=@PATH@\n"},
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every %1 replaced by a path and every %2 by a mount point.
QByteArray filled(QByteArray text, const QString &path, const QString &mount = {})
{
    return text.replace("%1", path.toUtf8()).replace("%2", mount.toUtf8());
}

ToolCall callNamed(const QString &id, const QString &path)
{
    if (id == "C1") return signatureVerificationCall(path);
    if (id == "C2") return signatureDisplayCall(path);
    if (id == "C3") return entitlementsCall(path);
    if (id == "S1") return appAssessmentCall(path);
    if (id == "S2") return diskImageAssessmentCall(path);
    if (id == "X1") return ticketValidationCall(path);
    if (id == "H1") return imageVerificationCall(path);
    if (id == "H2") return attachCall(path);
    return detachCall(path);
}

Shell::DataResult call(const QString &id, const QString &package)
{
    return runToolData(releaseToolsAt(QStringLiteral(VERISTAMP_STANDIN_ROOT)), callNamed(id, package));
}

QVariantList attachedEntities(const Shell::DataResult &attach)
{
    return parsePropertyList(attach.stdoutData).value_or(QVariant()).toMap().value("system-entities").toList();
}

// The mount point an attach reports (empty when it failed), and its device name.
QString attached(const QString &image, QString *device = nullptr)
{
    const QVariantList entities = attachedEntities(call("H2", image));
    if (entities.size() != 2)
        return {};
    if (device)
        *device = entities.at(0).toMap().value("dev-entry").toString().mid(QStringLiteral("/dev/").size());
    return entities.at(1).toMap().value("mount-point").toString();
}

} // namespace

Q_DECLARE_METATYPE(Member)

class StandinTest : public QObject {
    Q_OBJECT

    QString m_base;
    std::unique_ptr<QTemporaryDir> m_temp;

    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString volumes() const { return path("veristamp-volumes"); }

private slots:
    void initTestCase() { m_base = QDir::tempPath(); }
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

    // Without a record nothing is signed, accepted or stapled.
    void answersUnrecordedCallsTruthfully_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("package");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray none = "%1: no signature is recorded for this package on this host\n";
        const QByteArray rejected = "%1: rejected (no signature is recorded for this package on this host)\n";
        QTest::newRow("C1") << "C1" << "Plain App.app" << 1 << QByteArray() << none;
        QTest::newRow("C2") << "C2" << "Plain.dmg" << 1 << QByteArray() << none;
        QTest::newRow("C3") << "C3" << "Plain App.app" << 1 << QByteArray() << none;
        QTest::newRow("S1") << "S1" << "Plain App.app" << 3 << QByteArray() << rejected;
        QTest::newRow("S2") << "S2" << "Plain.dmg" << 3 << QByteArray() << rejected;
        QTest::newRow("X1") << "X1" << "Plain.dmg" << 65 << QByteArray("Processing: %1\n")
                            << QByteArray("Plain.dmg does not have a ticket stapled to it.\n");
        QTest::newRow("missing package") << "C1" << "Gone.app" << 1 << QByteArray() << QByteArray("%1: No such file or directory\n");
        QTest::newRow("record of another call") << "C1" << "Recorded.app" << 1 << QByteArray() << none;
    }
    void answersUnrecordedCallsTruthfully()
    {
        QFETCH(QString, id);
        QFETCH(QString, package);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QDir().mkpath(path("Plain App.app/Contents"));
        writeFile(path("Recorded.app/Contents/_ReleaseToolRecords/C2.status"), "0\n");
        writeImage(path("Plain.dmg"), kSampleVolume.mid(0, 2));
        const Shell::DataResult result = call(id, path(package));
        QCOMPARE(result.exitCode, status);
        QCOMPARE(result.stdoutData, filled(out, path(package)));
        QCOMPARE(result.stderrData, filled(err, path(package)));
    }

    void refusesOtherVectors_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("path missing") << "usr/bin/codesign" << QStringList{"--verify", "--deep", "--strict", "--verbose=2"};
        QTest::newRow("argument added") << "usr/bin/codesign" << QStringList{"-dv", "--verbose=4", "a.app", "b.app"};
        QTest::newRow("order changed") << "usr/bin/codesign" << QStringList{"--deep", "--verify", "--strict", "--verbose=2", "a.app"};
        QTest::newRow("another tool's vector") << "usr/sbin/spctl" << QStringList{"-dv", "--verbose=4", "a.app"};
        QTest::newRow("stapler staple") << "usr/bin/xcrun" << QStringList{"stapler", "staple", "a.dmg"};
        QTest::newRow("attach without -plist") << "usr/bin/hdiutil" << QStringList{"attach", "-readonly", "-nobrowse", "a.dmg"};
        QTest::newRow("no arguments") << "usr/bin/hdiutil" << QStringList{};
    }
    void refusesOtherVectors()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const Shell::DataResult result = Shell::runData(VERISTAMP_STANDIN_ROOT "/" + tool, arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.stdoutData, QByteArray());
        QVERIFY2(result.stderrData.startsWith("usage: " + QFileInfo(tool).fileName().toUtf8() + " "), result.stderrData);
        QCOMPARE(result.stderrData.indexOf('\n'), result.stderrData.size() - 1);
    }

    void replaysRecords_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("status and both streams") << "Recorded App.app" << "C1"
            << QByteArrayList{"C1.status", "1\n", "C1.stdout", "@PATH@: x\n", "C1.stderr", "@PATH@@PATH@ @PATH"}
            << 1 << QByteArray("%1: x\n") << QByteArray("%1%1 @PATH");
        QTest::newRow("no status file means 0") << "Recorded App.app" << "C2" << QByteArrayList{"C2.stderr", "Authority=A\n"}
                                                << 0 << QByteArray() << QByteArray("Authority=A\n");
        QTest::newRow("status alone") << "Recorded App.app" << "S1" << QByteArrayList{"S1.status", "3"} << 3 << QByteArray() << QByteArray();
        QTest::newRow("bytes as they are") << "Recorded App.app" << "C3" << QByteArrayList{"C3.stdout", QByteArray("\xFF\0\r\n@MOUNT@", 11)}
                                           << 0 << QByteArray("\xFF\0\r\n@MOUNT@", 11) << QByteArray();
        QTest::newRow("status that is no number") << "Recorded App.app" << "C3" << QByteArrayList{"C3.status", "one\n"}
                                                  << 1 << QByteArray() << QByteArray("stand-in: the record C3.status holds no exit status\n");
        QTest::newRow("from an image") << "Recorded.dmg" << "X1" << QByteArrayList{"X1.stdout", "Processing: @PATH@\nThe validate action worked!\n"}
                                       << 0 << QByteArray("Processing: %1\nThe validate action worked!\n") << QByteArray();
        QTest::newRow("verify from an image") << "Recorded.dmg" << "H1" << QByteArrayList{"H1.status", "1\n", "H1.stderr", "hdiutil: verify failed\n"}
                                              << 1 << QByteArray() << QByteArray("hdiutil: verify failed\n");
    }
    void replaysRecords()
    {
        QFETCH(QString, package);
        QFETCH(QString, id);
        QFETCH(QByteArrayList, files);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        if (package.endsWith(".dmg"))
            writeImage(path(package), kSampleVolume.mid(0, 2) + recordMembers(files));
        for (qsizetype i = 0; package.endsWith(".app") && i + 1 < files.size(); i += 2)
            writeFile(path(package + "/Contents/_ReleaseToolRecords/" + files.at(i)), files.at(i + 1));
        const Shell::DataResult result = call(id, path(package));
        QCOMPARE(result.exitCode, status);
        QCOMPARE(result.stdoutData, filled(out, path(package)));
        QCOMPARE(result.stderrData, filled(err, path(package)));
    }

    // A recorded attach mounts only when it succeeded and names @MOUNT@; a
    // recorded detach removes the volume only when it succeeded.
    void replaysRecordedVolumeCalls_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out"); // %1 the call's path, %2 the mount point
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<bool>("mounted"); // after the call
        QTest::newRow("attach naming @MOUNT@") << "H2" << QByteArrayList{"H2.stdout", "<string>@MOUNT@</string> @PATH@"}
                                               << 0 << QByteArray("<string>%2</string> %1") << QByteArray() << true;
        QTest::newRow("attach without @MOUNT@") << "H2" << QByteArrayList{"H2.stdout", "<dict/>"} << 0 << QByteArray("<dict/>") << QByteArray() << false;
        QTest::newRow("failed attach") << "H2" << QByteArrayList{"H2.status", "1", "H2.stdout", "@MOUNT@", "H2.stderr", "no mountable file systems\n"}
                                       << 1 << QByteArray("@MOUNT@") << QByteArray("no mountable file systems\n") << false;
        QTest::newRow("busy detach") << "H3" << QByteArrayList{"H3.status", "16\n", "H3.stderr", "hdiutil: couldn't unmount \"disk18\" - Resource busy\n"}
                                     << 16 << QByteArray() << QByteArray("hdiutil: couldn't unmount \"disk18\" - Resource busy\n") << true;
        QTest::newRow("ejected") << "H3" << QByteArrayList{"H3.stdout", "\"disk21\" ejected.\n@PATH@\n"}
                                 << 0 << QByteArray("\"disk21\" ejected.\n%1\n") << QByteArray() << false;
    }
    void replaysRecordedVolumeCalls()
    {
        QFETCH(QString, id);
        QFETCH(QByteArrayList, files);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(bool, mounted);
        const QString image = path("Recorded.dmg");
        const QString mount = volumes() + "/Recorded";
        writeImage(image, kSampleVolume + recordMembers(files));
        if (id == "H3")
            QCOMPARE(attached(image), mount);
        const QString argument = id == "H3" ? mount : image;
        const Shell::DataResult result = call(id, argument);
        QCOMPARE(result.exitCode, status);
        QCOMPARE(result.stdoutData, filled(out, argument, mount));
        QCOMPARE(result.stderrData, err);
        QCOMPARE(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"), mounted);
        QDir(mount).removeRecursively();
    }

    void checksImages_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QByteArray>("verifyErr");
        QTest::addColumn<QByteArray>("attachErr");
        const QByteArray unrecognised = "hdiutil: attach failed - image not recognized\n";
        QTest::newRow("intact") << "" << QByteArray() << QByteArray();
        QTest::newRow("cut inside a member") << "cut" << QByteArray("hdiutil: verify: checksum of \"%1\" is INVALID (truncated tar archive)\n") << unrecognised;
        QTest::newRow("cut after a member") << "trailer" << QByteArray("hdiutil: verify: checksum of \"%1\" is INVALID (truncated tar archive)\n") << unrecognised;
        QTest::newRow("bad header checksum") << "header" << QByteArray("hdiutil: verify: checksum of \"%1\" is INVALID (damaged tar archive)\n") << unrecognised;
        QTest::newRow("not an archive") << "text" << QByteArray("hdiutil: verify failed - image not recognized\n") << unrecognised;
        QTest::newRow("empty file") << "empty" << QByteArray("hdiutil: verify failed - image not recognized\n") << unrecognised;
        QTest::newRow("missing file") << "missing" << QByteArray("hdiutil: verify failed - No such file or directory\n")
                                      << QByteArray("hdiutil: attach failed - No such file or directory\n");
    }
    void checksImages()
    {
        QFETCH(QString, damage);
        QFETCH(QByteArray, verifyErr);
        QFETCH(QByteArray, attachErr);
        const QString image = path("Sample.dmg");
        writeImage(image, kSampleVolume);
        QByteArray bytes = readFile(image);
        qsizetype lastData = bytes.size();
        while (lastData > 0 && bytes.at(lastData - 1) == '\0')
            --lastData;
        const QHash<QString, QByteArray> damaged{
            {"", bytes}, {"cut", bytes.left(2048 + 100)}, {"trailer", bytes.left((lastData + 511) / 512 * 512)},
            {"header", QByteArray(bytes).replace("volume/Sample.app/Contents/MacOS", "volume/Sample.app/Contents/MacOs")},
            {"text", "This is a disk image, honestly.\n"}, {"empty", ""}};
        if (damage == "missing")
            QFile::remove(image);
        else
            writeFile(image, damaged.value(damage));

        const Shell::DataResult verify = call("H1", image);
        QCOMPARE(verify.exitCode, verifyErr.isEmpty() ? 0 : 1);
        QCOMPARE(verify.stderrData, filled(verifyErr, image));
        if (verifyErr.isEmpty()) {
            const QRegularExpression summary(QStringLiteral("^Checksumming 7 members\u2026\nverified   CRC32 \\$[0-9A-F]{8}\n"
                                                            "hdiutil: verify: checksum of \"%1\" is VALID\n$").arg(QRegularExpression::escape(image)));
            QVERIFY2(summary.match(QString::fromUtf8(verify.stdoutData)).hasMatch(), verify.stdoutData);
        }
        const Shell::DataResult attach = call("H2", image);
        QCOMPARE(attach.exitCode, attachErr.isEmpty() ? 0 : 1);
        QCOMPARE(attach.stderrData, attachErr);
        if (attachErr.isEmpty())
            QCOMPARE(call("H3", volumes() + "/Sample").exitCode, 0);
    }

    void attachesAndDetachesVolumes()
    {
        const QString image = path("Sample.dmg");
        writeImage(image, kSampleVolume);
        const Shell::DataResult first = call("H2", image);
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.stderrData, QByteArray());
        const QVariantList entities = attachedEntities(first);
        QCOMPARE(entities.size(), 2);
        const QVariantMap scheme = entities.at(0).toMap();
        const QVariantMap volume = entities.at(1).toMap();
        QVERIFY(scheme.contains("content-hint") && scheme.contains("dev-entry") && !scheme.contains("mount-point"));
        for (const char *key : {"content-hint", "dev-entry", "mount-point", "volume-kind"})
            QVERIFY2(volume.value(key).typeId() == QMetaType::QString, key);

        const QString mount = volume.value("mount-point").toString();
        QCOMPARE(mount, volumes() + "/Sample");
        QCOMPARE(QDir(mount).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList({"Applications", "Sample.app"}));
        QCOMPARE(readFile(mount + "/Sample.app/Contents/Resources/Info copy.plist"), QByteArray("<plist/>"));
        QCOMPARE(readFile(mount + "/.background/back.png"), QByteArray("png"));
        QVERIFY(QFileInfo(mount + "/Sample.app/Contents/MacOS/Sample").isExecutable());
        QCOMPARE(QFile::symLinkTarget(mount + "/Applications"), QStringLiteral("/Applications"));

        QString secondDevice;
        const QString second = attached(image, &secondDevice);
        QCOMPARE(second, volumes() + "/Sample 1");
        const QString firstDevice = scheme.value("dev-entry").toString().mid(5);
        QVERIFY(secondDevice != firstDevice);
        for (const auto &[mountPoint, device] : {std::pair(second, secondDevice), std::pair(mount, firstDevice)}) {
            const Shell::DataResult detached = call("H3", mountPoint);
            QCOMPARE(detached.exitCode, 0);
            QCOMPARE(detached.stdoutData, "\"" + device.toUtf8() + "\" ejected.\n");
            QVERIFY(!QFileInfo::exists(mountPoint));
        }
    }

    // Nothing of an image lands outside its volume folder; such an attach fails whole.
    void attachRefusesUnsafeMembers_data()
    {
        QTest::addColumn<QList<Member>>("members");
        QTest::addColumn<QByteArray>("err"); // empty: libarchive's words
        QTest::newRow("parent component") << QList<Member>{{"volume/a/../../../escaped", "x"}}
                                          << QByteArray("hdiutil: attach failed - image member \"volume/a/../../../escaped\" leaves the volume\n");
        QTest::newRow("absolute after the prefix") << QList<Member>{{"volume//escaped", "x"}}
                                                   << QByteArray("hdiutil: attach failed - image member \"volume//escaped\" leaves the volume\n");
        QTest::newRow("hard link out of the archive") << QList<Member>{{"volume/link", "%1/outside/file", 'h'}}
                                                      << QByteArray("hdiutil: attach failed - image member \"volume/link\" links outside the volume\n");
        QTest::newRow("hard link to a record") << QList<Member>{{"_ReleaseToolRecords/C1.status", "0"}, {"volume/s", "_ReleaseToolRecords/C1.status", 'h'}}
                                               << QByteArray("hdiutil: attach failed - image member \"volume/s\" links outside the volume\n");
        QTest::newRow("hard link through a symbolic link") << QList<Member>{{"volume/out", "%1/outside", 'l'}, {"volume/f", "volume/out/file", 'h'}} << QByteArray();
        QTest::newRow("file through a symbolic link") << QList<Member>{{"volume/out", "%1/outside", 'l'}, {"volume/out/file", "x"}} << QByteArray();
    }
    void attachRefusesUnsafeMembers()
    {
        QFETCH(QList<Member>, members);
        QFETCH(QByteArray, err);
        writeFile(path("outside/file"), "outside");
        for (Member &member : members)
            member.data.replace("%1", m_temp->path().toUtf8());
        writeImage(path("Unsafe.dmg"), QList<Member>{{"volume/", {}, 'd', 0755}} + members);
        const Shell::DataResult result = call("H2", path("Unsafe.dmg"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        if (err.isEmpty())
            QVERIFY2(result.stderrData.startsWith("hdiutil: attach failed - "), result.stderrData);
        else
            QCOMPARE(result.stderrData, err);
        QVERIFY(!QFileInfo::exists(path("escaped")) && !QFileInfo::exists(volumes() + "/escaped"));
        QCOMPARE(readFile(path("outside/file")), QByteArray("outside"));
    }

    void detachRefusesWhatAttachDidNotMake_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder attach did not make") << "veristamp-volumes/Stranger";
        QTest::newRow("the volumes folder") << "veristamp-volumes";
        QTest::newRow("nothing there") << "veristamp-volumes/Nothing";
        QTest::newRow("link to an attached volume") << "veristamp-volumes/Link";
        QTest::newRow("folder inside a volume") << "veristamp-volumes/Sample/Sample.app";
        QTest::newRow("marker copied elsewhere") << "Elsewhere";
    }
    void detachRefusesWhatAttachDidNotMake()
    {
        QFETCH(QString, target);
        writeImage(path("Sample.dmg"), kSampleVolume);
        const QString mount = attached(path("Sample.dmg"));
        QCOMPARE(mount, volumes() + "/Sample");
        QDir().mkpath(volumes() + "/Stranger");
        QVERIFY(QFile::link(mount, volumes() + "/Link"));
        QDir().mkpath(path("Elsewhere"));
        for (const QString &name : QDir(mount).entryList(QDir::Hidden | QDir::Files))
            QVERIFY(QFile::copy(mount + "/" + name, path("Elsewhere/") + name));
        const bool existed = QFileInfo::exists(path(target));

        const Shell::DataResult result = call("H3", path(target));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(result.stderrData, QByteArray("hdiutil: detach failed - No such file or directory\n"));
        QCOMPARE(QFileInfo::exists(path(target)), existed);
        QVERIFY(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"));

        QFile::remove(volumes() + "/Link");
        QDir(volumes() + "/Stranger").removeRecursively();
        QCOMPARE(call("H3", mount).exitCode, 0);
    }

    void parallelAttachesNeverShareAFolder()
    {
        writeImage(path("Sample.dmg"), kSampleVolume);
        QStringList mounts(6), expected{volumes() + "/Sample"};
        std::vector<std::thread> threads;
        for (QString &mount : mounts)
            threads.emplace_back([&mount, image = path("Sample.dmg")] { mount = attached(image); });
        for (std::thread &thread : threads)
            thread.join();
        for (int i = 1; i < mounts.size(); ++i)
            expected << volumes() + "/Sample " + QString::number(i);
        mounts.sort();
        QCOMPARE(mounts, expected);
        for (const QString &mount : mounts) {
            QVERIFY(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"));
            QCOMPARE(call("H3", mount).exitCode, 0);
        }
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "standin_test.moc"
