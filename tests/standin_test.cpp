// The stand-in release tools as real processes, called through the engine's own
// ToolCall builders and with raw argument vectors. Every test gets its own
// TMPDIR (capture files and stand-in volumes) and leaves no volume behind.

#include "engine/property_list.h"
#include "engine/release_tools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

struct Member {
    QByteArray name;
    QByteArray data;
    char type = 'f'; // 'f' file, 'd' folder, 'l' symbolic link, 'h' hard link (data: the target)
    int mode = 0644;
};

// A stand-in disk image: a POSIX tar archive of the members, in order, then
// the record files (given as name, content, name, content, ...).
void writeImage(const QString &path, QList<Member> members, const QByteArrayList &records = {})
{
    for (qsizetype i = 0; i + 1 < records.size(); i += 2)
        members << Member{"_ReleaseToolRecords/" + records.at(i), records.at(i + 1)};
    archive *writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    archive_write_open_filename(writer, QFile::encodeName(path).constData());
    for (const Member &member : members) {
        const bool file = member.type == 'f';
        archive_entry *entry = archive_entry_new();
        archive_entry_copy_pathname(entry, member.name.constData());
        archive_entry_set_perm(entry, member.mode);
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

QByteArray filled(QByteArray text, const QString &path) { return text.replace("%1", path.toUtf8()); }

Shell::DataResult call(const QString &id, const QString &package)
{
    static const QHash<QString, ToolCall (*)(const QString &)> calls{
        {"C1", signatureVerificationCall}, {"C2", signatureDisplayCall}, {"C3", entitlementsCall},
        {"S1", appAssessmentCall},         {"S2", diskImageAssessmentCall}, {"X1", ticketValidationCall},
        {"H1", imageVerificationCall},     {"H2", attachCall},           {"H3", detachCall}};
    return runToolData(releaseToolsAt(QStringLiteral(VERISTAMP_STANDIN_ROOT)), calls.value(id)(package));
}

// The mount point an attach reports (empty when it failed).
QString attached(const QString &image)
{
    const QVariantList entities =
        parsePropertyList(call("H2", image).stdoutData).value_or(QVariant()).toMap().value("system-entities").toList();
    return entities.size() == 2 ? entities.at(1).toMap().value("mount-point").toString() : QString();
}

} // namespace

Q_DECLARE_METATYPE(Member)

class StandinTest : public QObject {
    Q_OBJECT

    const QString m_base = QDir::tempPath();
    std::unique_ptr<QTemporaryDir> m_temp;

    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString volumes() const { return path("veristamp-volumes"); }

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

    // A recorded call replays its record; without one nothing is signed, accepted or stapled.
    void answersFromRecordsOrTruthfully_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArrayList>("files"); // the package's records: name, content, ...
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("streams"); // out, err; %1 the package's path
        const QByteArrayList none{"", "%1: no signature is recorded for this package on this host\n"};
        const QByteArrayList rejected{"", "%1: rejected (no signature is recorded for this package on this host)\n"};
        const QByteArrayList noFiles;
        QTest::newRow("C1 unrecorded") << "Plain App.app" << "C1" << noFiles << 1 << none;
        QTest::newRow("S1 unrecorded") << "Plain App.app" << "S1" << noFiles << 3 << rejected;
        QTest::newRow("S2 unrecorded") << "Plain.dmg" << "S2" << noFiles << 3 << rejected;
        QTest::newRow("X1 unrecorded")
            << "Plain.dmg" << "X1" << noFiles << 65 << QByteArrayList{"Processing: %1\n", "Plain.dmg does not have a ticket stapled to it.\n"};
        QTest::newRow("missing package") << "Gone.app" << "C1" << noFiles << 1 << QByteArrayList{"", "%1: No such file or directory\n"};
        QTest::newRow("record of another call") << "Plain App.app" << "C1" << QByteArrayList{"C2.status", "0\n"} << 1 << none;
        QTest::newRow("status and both streams")
            << "Plain App.app" << "C1" << QByteArrayList{"C1.status", "1\n", "C1.stdout", "@PATH@: x\n", "C1.stderr", "@PATH@@PATH@ @PATH"}
            << 1 << QByteArrayList{"%1: x\n", "%1%1 @PATH"};
        QTest::newRow("no status file means 0")
            << "Plain App.app" << "C2" << QByteArrayList{"C2.stderr", "Authority=A\n"} << 0 << QByteArrayList{"", "Authority=A\n"};
        QTest::newRow("bytes as they are") << "Plain App.app" << "C3" << QByteArrayList{"C3.stdout", QByteArray("\xFF\0\r\n@MOUNT@", 11)}
                                           << 0 << QByteArrayList{QByteArray("\xFF\0\r\n@MOUNT@", 11), ""};
        QTest::newRow("failed attach mounts nothing")
            << "Plain.dmg" << "H2" << QByteArrayList{"H2.status", "1", "H2.stdout", "@MOUNT@", "H2.stderr", "no mountable file systems\n"}
            << 1 << QByteArrayList{"@MOUNT@", "no mountable file systems\n"};
        QTest::newRow("from an image") << "Plain.dmg" << "X1" << QByteArrayList{"X1.stdout", "Processing: @PATH@\nThe validate action worked!\n"}
                                       << 0 << QByteArrayList{"Processing: %1\nThe validate action worked!\n", ""};
    }
    void answersFromRecordsOrTruthfully()
    {
        QFETCH(QString, package);
        QFETCH(QString, id);
        QFETCH(QByteArrayList, files);
        QFETCH(int, status);
        QFETCH(QByteArrayList, streams);
        if (package.endsWith(".dmg"))
            writeImage(path(package), kSampleVolume.mid(0, 2), files);
        else if (package != "Gone.app")
            QDir().mkpath(path(package + "/Contents"));
        for (qsizetype i = 0; package.endsWith(".app") && i + 1 < files.size(); i += 2)
            writeFile(path(package + "/Contents/_ReleaseToolRecords/" + files.at(i)), files.at(i + 1));
        const Shell::DataResult result = call(id, path(package));
        QCOMPARE(result.exitCode, status);
        QCOMPARE(QByteArrayList({result.stdoutData, result.stderrData}),
                 QByteArrayList({filled(streams[0], path(package)), filled(streams[1], path(package))}));
    }

    void refusesOtherVectors_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("path missing") << "usr/bin/codesign" << QStringList{"--verify", "--deep", "--strict", "--verbose=2"};
        QTest::newRow("argument added") << "usr/bin/codesign" << QStringList{"-dv", "--verbose=4", "a.app", "b.app"};
        QTest::newRow("another tool's vector") << "usr/sbin/spctl" << QStringList{"-dv", "--verbose=4", "a.app"};
        QTest::newRow("attach without -plist") << "usr/bin/hdiutil" << QStringList{"attach", "-readonly", "-nobrowse", "a.dmg"};
        QTest::newRow("no arguments") << "usr/bin/xcrun" << QStringList{};
    }
    void refusesOtherVectors()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const Shell::DataResult result = Shell::runData(VERISTAMP_STANDIN_ROOT "/" + tool, arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.stdoutData, QByteArray());
        QVERIFY2(result.stderrData.startsWith("usage: " + QFileInfo(tool).fileName().toUtf8() + " "), result.stderrData);
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
        writeFile(path("outside/file"), "outside");
        for (Member &member : members)
            member.data.replace("%1", m_temp->path().toUtf8());
        writeImage(path("Unsafe.dmg"), QList<Member>{{"volume/", {}, 'd', 0755}} + members);
        const Shell::DataResult result = call("H2", path("Unsafe.dmg"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        if (reason.isEmpty())
            QVERIFY2(result.stderrData.startsWith("hdiutil: attach failed - "), result.stderrData);
        else
            QCOMPARE(result.stderrData, "hdiutil: attach failed - image member \"" + members.last().name + "\" " + reason + "\n");
        QVERIFY(!QFileInfo::exists(path("escaped")) && !QFileInfo::exists(volumes() + "/escaped"));
        QCOMPARE(readFile(path("outside/file")), QByteArray("outside"));
    }

    void detachRefusesWhatAttachDidNotMake()
    {
        writeImage(path("Sample.dmg"), kSampleVolume);
        const QString mount = attached(path("Sample.dmg"));
        QCOMPARE(mount, volumes() + "/Sample");
        QDir().mkpath(volumes() + "/Stranger");
        QVERIFY(QFile::link(mount, volumes() + "/Link"));
        QDir().mkpath(path("Elsewhere"));
        for (const QString &name : QDir(mount).entryList(QDir::Hidden | QDir::Files)) // the volume's own marker
            QVERIFY(QFile::copy(mount + "/" + name, path("Elsewhere/") + name));
        for (const QString &target : {volumes() + "/Stranger", volumes(), volumes() + "/Link", path("Elsewhere")}) {
            const Shell::DataResult result = call("H3", target);
            QVERIFY2(result.exitCode == 1 && QFileInfo::exists(target), qPrintable(target));
            QCOMPARE(result.stdoutData + result.stderrData, QByteArray("hdiutil: detach failed - No such file or directory\n"));
        }
        QVERIFY(QFileInfo::exists(mount + "/Sample.app/Contents/Info.plist"));
        QFile::remove(volumes() + "/Link");
        QDir(volumes() + "/Stranger").removeRecursively();
        QCOMPARE(call("H3", mount).exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "standin_test.moc"
