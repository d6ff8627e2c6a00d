// The stand-in release tools as real processes, called through the engine's
// own ToolCall builders (so a drift between the two fails here) and with raw
// argument vectors. Every test gets its own TMPDIR, which the runner's capture
// files and the stand-in volumes share, and leaves no volume behind.

#include "engine/property_list.h"
#include "engine/release_tools.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <thread>

namespace {

const QString kRoot = QStringLiteral(VERISTAMP_STANDIN_ROOT);

struct Member {
    QString name;
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
        archive_entry_copy_pathname(entry, member.name.toUtf8().constData());
        archive_entry_set_perm(entry, member.type == 'd' ? 0755 : member.mode);
        archive_entry_set_filetype(entry, member.type == 'd' ? AE_IFDIR : member.type == 'l' ? AE_IFLNK : AE_IFREG);
        if (member.type == 'l')
            archive_entry_copy_symlink(entry, member.data.constData());
        if (member.type == 'h')
            archive_entry_copy_hardlink(entry, member.data.constData());
        if (member.type == 'f')
            archive_entry_set_size(entry, member.data.size());
        archive_write_header(writer, entry);
        if (member.type == 'f')
            archive_write_data(writer, member.data.constData(), static_cast<size_t>(member.data.size()));
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A text with every %1 replaced by a path (QString::arg would complain where there is none).
QString filled(QString text, const QString &path)
{
    return text.replace(QStringLiteral("%1"), path);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QList<Member> kSampleVolume{
    {"volume/", {}, 'd'},
    {"volume/Sample.app/Contents/Info.plist", "<plist/>"},
    {"volume/Sample.app/Contents/MacOS/Sample", "#!", 'f', 0755},
    {"volume/Applications", "/Applications", 'l'},
    {"volume/Sample.app/Contents/Resources/Info copy.plist", "volume/Sample.app/Contents/Info.plist", 'h'},
    {"volume/.background/back.png", "png"},
    {"_ReleaseToolRecords/C2.stderr", "Executable=@PATH@\n"},
};

// Record files as name, content, name, content, ...: the members of an image.
QList<Member> recordMembers(const QStringList &files)
{
    QList<Member> members;
    for (qsizetype i = 0; i + 1 < files.size(); i += 2)
        members << Member{"_ReleaseToolRecords/" + files.at(i), files.at(i + 1).toUtf8()};
    return members;
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

} // namespace

Q_DECLARE_METATYPE(Member)

class StandinTest : public QObject {
    Q_OBJECT

private:
    QString m_base;
    std::unique_ptr<QTemporaryDir> m_temp;

    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString volumes() const { return path("veristamp-volumes"); }
    QStringList volumesLeft() const { return QDir(volumes()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

    static Shell::DataResult call(const QString &id, const QString &package)
    {
        return runToolData(releaseToolsAt(kRoot), callNamed(id, package));
    }

    // Attaches an image and returns its mount point, from the attach output itself.
    static QString attached(const QString &image, QString *device = nullptr)
    {
        const Shell::DataResult result = call("H2", image);
        const QVariantList entities = parsePropertyList(result.stdoutData).value_or(QVariant()).toMap().value("system-entities").toList();
        if (result.exitCode != 0 || entities.size() != 2)
            return {};
        if (device)
            *device = entities.at(0).toMap().value("dev-entry").toString().mid(5);
        return entities.at(1).toMap().value("mount-point").toString();
    }

private slots:
    void initTestCase() { m_base = QDir::tempPath(); }
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>(m_base + "/standin-test-XXXXXX");
        qputenv("TMPDIR", QFile::encodeName(m_temp->path()));
    }
    void cleanup()
    {
        const QStringList left = volumesLeft();
        QDir(volumes()).removeRecursively();
        QCOMPARE(left, QStringList());
    }

    // Every call of the contract is accepted and, without a record, answered
    // truthfully: nothing is signed, accepted or stapled.
    void answersUnrecordedCallsTruthfully_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("package");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString unsigned_ = "%1: no signature is recorded for this package on this host\n";
        const QString rejected = "%1: rejected (no signature is recorded for this package on this host)\n";
        QTest::newRow("C1 app") << "C1" << "Plain App.app" << 1 << "" << unsigned_;
        QTest::newRow("C2 app") << "C2" << "Plain App.app" << 1 << "" << unsigned_;
        QTest::newRow("C3 app") << "C3" << "Plain App.app" << 1 << "" << unsigned_;
        QTest::newRow("S1 app") << "S1" << "Plain App.app" << 3 << "" << rejected;
        QTest::newRow("C2 image") << "C2" << "Plain.dmg" << 1 << "" << unsigned_;
        QTest::newRow("S2 image") << "S2" << "Plain.dmg" << 3 << "" << rejected;
        QTest::newRow("X1 image") << "X1" << "Plain.dmg" << 65 << "Processing: %1\n" << "Plain.dmg does not have a ticket stapled to it.\n";
        QTest::newRow("C1 missing app") << "C1" << "Gone.app" << 1 << "" << "%1: No such file or directory\n";
        QTest::newRow("record of another call") << "C1" << "Recorded.app" << 1 << "" << unsigned_;
    }
    void answersUnrecordedCallsTruthfully()
    {
        QFETCH(QString, id);
        QFETCH(QString, package);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QDir().mkpath(path("Plain App.app/Contents"));
        writeFile(path("Recorded.app/Contents/_ReleaseToolRecords/C2.status"), "0\n");
        writeImage(path("Plain.dmg"), kSampleVolume.mid(0, 2));
        const Shell::DataResult result = call(id, path(package));
        QCOMPARE(result.exitCode, status);
        QCOMPARE(QString::fromUtf8(result.stdoutData), filled(out, path(package)));
        QCOMPARE(QString::fromUtf8(result.stderrData), filled(err, path(package)));
    }

    void refusesOtherVectors_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("path missing") << "usr/bin/codesign" << QStringList{"--verify", "--deep", "--strict", "--verbose=2"};
        QTest::newRow("argument added") << "usr/bin/codesign" << QStringList{"-dv", "--verbose=4", "a.app", "b.app"};
        QTest::newRow("order changed") << "usr/bin/codesign" << QStringList{"--deep", "--verify", "--strict", "--verbose=2", "a.app"};
        QTest::newRow("other verbosity") << "usr/bin/codesign" << QStringList{"-dv", "--verbose=3", "a.app"};
        QTest::newRow("another tool's vector") << "usr/sbin/spctl" << QStringList{"-dv", "--verbose=4", "a.app"};
        QTest::newRow("context left out") << "usr/sbin/spctl" << QStringList{"--assess", "--type", "open", "--verbose=4", "a.dmg"};
        QTest::newRow("stapler staple") << "usr/bin/xcrun" << QStringList{"stapler", "staple", "a.dmg"};
        QTest::newRow("attach without -plist") << "usr/bin/hdiutil" << QStringList{"attach", "-readonly", "-nobrowse", "a.dmg"};
        QTest::newRow("detach of two") << "usr/bin/hdiutil" << QStringList{"detach", "a", "b"};
        QTest::newRow("no arguments") << "usr/bin/hdiutil" << QStringList{};
    }
    void refusesOtherVectors()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const Shell::DataResult result = Shell::runData(kRoot + "/" + tool, arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.stdoutData, QByteArray());
        QVERIFY2(result.stderrData.startsWith("usage: " + QFileInfo(tool).fileName().toUtf8() + " "), result.stderrData);
        QCOMPARE(result.stderrData.count('\n'), 1);
        QVERIFY(result.stderrData.endsWith('\n'));
    }

    void replaysRecords_data()
    {
        QTest::addColumn<bool>("inImage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("files"); // name, content, name, content, ...
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("status and both streams") << false << "C1" << QStringList{"C1.status", "1\n", "C1.stdout", "@PATH@: x\n", "C1.stderr", "@PATH@@PATH@ @PATH"}
                                                 << 1 << QByteArray("%1: x\n") << QByteArray("%1%1 @PATH");
        QTest::newRow("no status file means 0") << false << "C2" << QStringList{"C2.stderr", "Authority=Developer ID Application: A (T)\n"}
                                                << 0 << QByteArray() << QByteArray("Authority=Developer ID Application: A (T)\n");
        QTest::newRow("status alone, no line feed") << false << "S1" << QStringList{"S1.status", "3"} << 3 << QByteArray() << QByteArray();
        QTest::newRow("status that is no number") << false << "C3" << QStringList{"C3.status", "one\n", "C3.stdout", "x"}
                                                  << 1 << QByteArray() << QByteArray("stand-in: the record C3.status holds no exit status\n");
        QTest::newRow("from an image") << true << "X1" << QStringList{"X1.stdout", "Processing: @PATH@\nThe validate action worked!\n"}
                                       << 0 << QByteArray("Processing: %1\nThe validate action worked!\n") << QByteArray();
        QTest::newRow("verify from an image") << true << "H1" << QStringList{"H1.status", "1\n", "H1.stderr", "hdiutil: verify failed - Authentication error\n"}
                                              << 1 << QByteArray() << QByteArray("hdiutil: verify failed - Authentication error\n");
    }
    void replaysRecords()
    {
        QFETCH(bool, inImage);
        QFETCH(QString, id);
        QFETCH(QStringList, files);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const QString package = path(inImage ? "Recorded Image.dmg" : "Recorded App.app");
        QList<Member> members{{"volume/", {}, 'd'}};
        for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
            if (inImage)
                members << Member{"_ReleaseToolRecords/" + files.at(i), files.at(i + 1).toUtf8()};
            else
                writeFile(package + "/Contents/_ReleaseToolRecords/" + files.at(i), files.at(i + 1).toUtf8());
        }
        if (inImage)
            writeImage(package, members);
        const Shell::DataResult result = call(id, package);
        QCOMPARE(result.exitCode, status);
        QCOMPARE(result.stdoutData, out.replace("%1", package.toUtf8()));
        QCOMPARE(result.stderrData, err.replace("%1", package.toUtf8()));
    }

    void replaysBytesExactly()
    {
        const QByteArray bytes("\xFF\xFE\0\r\n@PAT@ @MOUNT@\n", 19);
        writeFile(path("Raw.app/Contents/_ReleaseToolRecords/C3.stdout"), bytes);
        QCOMPARE(call("C3", path("Raw.app")).stdoutData, bytes);
    }

    void verifiesImages_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("intact") << "" << 0 << "";
        QTest::newRow("cut inside a member") << "cut" << 1 << "hdiutil: verify: checksum of \"%1\" is INVALID (truncated tar archive)\n";
        QTest::newRow("cut after a member") << "trailer" << 1 << "hdiutil: verify: checksum of \"%1\" is INVALID (truncated tar archive)\n";
        QTest::newRow("bad header checksum") << "header" << 1 << "hdiutil: verify: checksum of \"%1\" is INVALID (damaged tar archive)\n";
        QTest::newRow("not an archive") << "text" << 1 << "hdiutil: verify failed - image not recognized\n";
        QTest::newRow("empty file") << "empty" << 1 << "hdiutil: verify failed - image not recognized\n";
        QTest::newRow("missing file") << "missing" << 1 << "hdiutil: verify failed - No such file or directory\n";
    }
    void verifiesImages()
    {
        QFETCH(QString, damage);
        QFETCH(int, status);
        QFETCH(QString, err);
        const QString image = path("Sample.dmg");
        writeImage(image, kSampleVolume);
        QByteArray bytes = readFile(image);
        qsizetype lastData = bytes.size();
        while (lastData > 0 && bytes.at(lastData - 1) == '\0')
            --lastData;
        if (damage == "cut")
            bytes.truncate(2048 + 100);
        else if (damage == "trailer")
            bytes.truncate((lastData + 511) / 512 * 512);
        else if (damage == "header")
            bytes[bytes.indexOf("volume/Sample.app/Contents/MacOS")] = 'W';
        else if (damage == "text")
            bytes = "This is a disk image, honestly.\n";
        else if (damage == "empty")
            bytes.clear();
        if (damage == "missing")
            QFile::remove(image);
        else
            writeFile(image, bytes);
        const Shell::DataResult result = call("H1", image);
        QCOMPARE(result.exitCode, status);
        QCOMPARE(QString::fromUtf8(result.stderrData), filled(err, image));
        if (status == 0) {
            QVERIFY2(QRegularExpression(QStringLiteral("^Checksumming 7 members\u2026\nverified   CRC32 \\$[0-9A-F]{8}\n"
                                                       "hdiutil: verify: checksum of \"%1\" is VALID\n$").arg(QRegularExpression::escape(image)))
                         .match(QString::fromUtf8(result.stdoutData)).hasMatch(), result.stdoutData);
        }
    }

    void attachesAndDetachesVolumes()
    {
        const QString image = path("Sample.dmg");
        writeImage(image, kSampleVolume);
        const Shell::DataResult first = call("H2", image);
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.stderrData, QByteArray());
        const QVariantList entities =
            parsePropertyList(first.stdoutData).value_or(QVariant()).toMap().value("system-entities").toList();
        QCOMPARE(entities.size(), 2);
        const QVariantMap scheme = entities.at(0).toMap();
        const QVariantMap volume = entities.at(1).toMap();
        QVERIFY(scheme.contains("content-hint") && scheme.contains("dev-entry") && !scheme.contains("mount-point"));
        for (const char *key : {"content-hint", "dev-entry", "mount-point", "volume-kind"})
            QVERIFY2(volume.value(key).typeId() == QMetaType::QString, key);

        const QString mount = volume.value("mount-point").toString();
        QCOMPARE(mount, volumes() + "/Sample");
        QCOMPARE(QDir(mount).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList({"Applications", "Sample.app"}));
        QCOMPARE(readFile(mount + "/Sample.app/Contents/Info.plist"), QByteArray("<plist/>"));
        QCOMPARE(readFile(mount + "/.background/back.png"), QByteArray("png"));
        QCOMPARE(readFile(mount + "/Sample.app/Contents/Resources/Info copy.plist"), QByteArray("<plist/>"));
        QVERIFY(QFileInfo(mount + "/Sample.app/Contents/MacOS/Sample").isExecutable());
        QVERIFY(QFileInfo(mount + "/Applications").isSymLink());
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

    void attachRefusesWhatIsNoImage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("err");
        QTest::newRow("not an archive") << QByteArray("plain text\n") << "hdiutil: attach failed - image not recognized\n";
        QTest::newRow("cut short") << QByteArray("cut") << "hdiutil: attach failed - image not recognized\n";
        QTest::newRow("missing") << QByteArray() << "hdiutil: attach failed - No such file or directory\n";
    }
    void attachRefusesWhatIsNoImage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, err);
        const QString image = path("Odd.dmg");
        if (bytes == "cut") {
            writeImage(image, kSampleVolume);
            writeFile(image, readFile(image).left(2048 + 100));
        } else if (!bytes.isEmpty()) {
            writeFile(image, bytes);
        }
        const Shell::DataResult result = call("H2", image);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(QString::fromUtf8(result.stderrData), err);
    }

    // Nothing of an image lands outside its volume folder; the attach fails whole.
    void attachRefusesUnsafeMembers_data()
    {
        QTest::addColumn<QList<Member>>("members");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("probe"); // must not exist afterwards
        QTest::newRow("parent component") << QList<Member>{{"volume/a/../../../escaped", "x"}}
                                          << "hdiutil: attach failed - image member \"volume/a/../../../escaped\" leaves the volume\n" << "escaped";
        QTest::newRow("absolute after the volume prefix") << QList<Member>{{"volume//escaped", "x"}}
                                                          << "hdiutil: attach failed - image member \"volume//escaped\" leaves the volume\n" << "escaped";
        QTest::newRow("hard link out of the archive") << QList<Member>{{"volume/link", "%1/outside/file", 'h'}}
                                                      << "hdiutil: attach failed - image member \"volume/link\" links outside the volume\n" << "";
        QTest::newRow("hard link to a record") << QList<Member>{{"_ReleaseToolRecords/C1.status", "0"}, {"volume/status", "_ReleaseToolRecords/C1.status", 'h'}}
                                               << "hdiutil: attach failed - image member \"volume/status\" links outside the volume\n" << "";
        QTest::newRow("hard link through a symbolic link") << QList<Member>{{"volume/out", "%1/outside", 'l'}, {"volume/file", "volume/out/file", 'h'}}
                                                           << "" << "";
        QTest::newRow("through a symbolic link") << QList<Member>{{"volume/out", "%1/outside", 'l'}, {"volume/out/planted", "x"}}
                                                 << "" << "outside/planted";
    }
    void attachRefusesUnsafeMembers()
    {
        QFETCH(QList<Member>, members);
        QFETCH(QString, err);
        QFETCH(QString, probe);
        writeFile(path("outside/file"), "outside");
        for (Member &member : members)
            member.data.replace("%1", m_temp->path().toUtf8());
        const QString image = path("Unsafe.dmg");
        writeImage(image, QList<Member>{{"volume/", {}, 'd'}} + members);
        const Shell::DataResult result = call("H2", image);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        if (err.isEmpty())
            QVERIFY2(result.stderrData.startsWith("hdiutil: attach failed - "), result.stderrData);
        else
            QCOMPARE(QString::fromUtf8(result.stderrData), err);
        QVERIFY(probe.isEmpty() || !QFileInfo::exists(path(probe)));
        QCOMPARE(readFile(path("outside/file")), QByteArray("outside"));
    }

    void detachRefusesWhatAttachDidNotMake_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder attach did not make") << "veristamp-volumes/Stranger";
        QTest::newRow("the volumes folder") << "veristamp-volumes";
        QTest::newRow("the temporary folder") << "";
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
            QFile::copy(mount + "/" + name, path("Elsewhere/") + name);
        const bool existed = QFileInfo(path(target)).exists();

        const Shell::DataResult result = call("H3", path(target));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(result.stderrData, QByteArray("hdiutil: detach failed - No such file or directory\n"));
        QCOMPARE(QFileInfo(path(target)).exists(), existed);
        QVERIFY(QFileInfo(mount + "/Sample.app/Contents/Info.plist").exists());

        QFile::remove(volumes() + "/Link");
        QDir(volumes() + "/Stranger").removeRecursively();
        QCOMPARE(call("H3", mount).exitCode, 0);
    }

    void replaysRecordedAttach_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("unpacked");
        QTest::addColumn<QString>("out"); // %1 the image, %2 the mount point
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("naming @MOUNT@ unpacks") << QStringList{"H2.stdout", "<string>@MOUNT@</string> of @PATH@"}
                                                << 0 << true << "<string>%2</string> of %1" << QByteArray();
        QTest::newRow("without @MOUNT@ unpacks nothing") << QStringList{"H2.stdout", "<dict/> @PATH@"}
                                                         << 0 << false << "<dict/> %1" << QByteArray();
        QTest::newRow("failed attach unpacks nothing")
            << QStringList{"H2.status", "1\n", "H2.stdout", "@MOUNT@", "H2.stderr", "hdiutil: attach failed - no mountable file systems\n"}
            << 1 << false << "@MOUNT@" << QByteArray("hdiutil: attach failed - no mountable file systems\n");
    }
    void replaysRecordedAttach()
    {
        QFETCH(QStringList, files);
        QFETCH(int, status);
        QFETCH(bool, unpacked);
        QFETCH(QString, out);
        QFETCH(QByteArray, err);
        const QString image = path("Recorded.dmg");
        writeImage(image, kSampleVolume + recordMembers(files));
        const QString mount = volumes() + "/Recorded";
        const Shell::DataResult result = call("H2", image);
        QCOMPARE(result.exitCode, status);
        QCOMPARE(QString::fromUtf8(result.stdoutData), filled(out, image).replace("%2", mount));
        QCOMPARE(result.stderrData, err);
        QCOMPARE(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"), unpacked);
        if (unpacked)
            QCOMPARE(call("H3", mount).exitCode, 0);
    }

    void replaysRecordedDetach_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<bool>("removed");
        QTest::newRow("busy, the volume stays") << QStringList{"H3.status", "16\n", "H3.stderr", "hdiutil: couldn't unmount \"disk18\" - Resource busy\n"}
                                                << 16 << "" << "hdiutil: couldn't unmount \"disk18\" - Resource busy\n" << false;
        QTest::newRow("ejected, the volume goes") << QStringList{"H3.stdout", "\"disk21\" ejected.\n@PATH@\n"}
                                                  << 0 << "\"disk21\" ejected.\n%1\n" << "" << true;
    }
    void replaysRecordedDetach()
    {
        QFETCH(QStringList, files);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(bool, removed);
        writeImage(path("Recorded.dmg"), kSampleVolume + recordMembers(files));
        const QString mount = attached(path("Recorded.dmg"));
        QVERIFY(!mount.isEmpty());
        const Shell::DataResult result = call("H3", mount);
        QCOMPARE(result.exitCode, status);
        QCOMPARE(QString::fromUtf8(result.stdoutData), filled(out, mount));
        QCOMPARE(QString::fromUtf8(result.stderrData), err);
        QCOMPARE(QFileInfo::exists(mount), !removed);
        QDir(mount).removeRecursively();
    }

    void parallelAttachesNeverShareAFolder()
    {
        const QString image = path("Sample.dmg");
        writeImage(image, kSampleVolume);
        constexpr int count = 6;
        QString mounts[count];
        std::vector<std::thread> threads;
        for (QString &mount : mounts)
            threads.emplace_back([&mount, image] { mount = attached(image); });
        for (std::thread &thread : threads)
            thread.join();
        QStringList expected{volumes() + "/Sample"};
        for (int i = 1; i < count; ++i)
            expected << volumes() + "/Sample " + QString::number(i);
        QStringList got(std::begin(mounts), std::end(mounts));
        got.sort();
        QCOMPARE(got, expected);
        for (const QString &mount : got) {
            QVERIFY(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"));
            QCOMPARE(call("H3", mount).exitCode, 0);
        }
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "standin_test.moc"
