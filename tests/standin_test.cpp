// The safety of the stand-in hdiutil's attach and detach, run as a real
// process through the engine's own calls. How the stand-ins replay records
// shows in every fixture package (standin_inspection_test); that they answer
// only the engine's exact argument vectors keeps a drift in those loud there.
// Every test gets its own TMPDIR and leaves no volume behind.

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

Shell::DataResult run(const ToolCall &call) { return runToolData(releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))), call); }

// The mount point an attach reports (empty when it failed).
QString attached(const QString &image)
{
    const QVariantList entities =
        parsePropertyList(run(attachCall(image)).stdoutData).value_or(QVariant()).toMap().value("system-entities").toList();
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
        QFile outside(path("outside/file"));
        QVERIFY(QDir().mkpath(path("outside")) && outside.open(QIODevice::ReadWrite) && outside.write("outside") == 7);
        for (Member &member : members)
            member.data.replace("%1", m_temp->path().toUtf8());
        writeImage(path("Unsafe.dmg"), QList<Member>{{"volume/", {}, 'd'}} + members);
        const Shell::DataResult result = run(attachCall(path("Unsafe.dmg")));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.stdoutData, QByteArray());
        if (reason.isEmpty())
            QVERIFY2(result.stderrData.startsWith("hdiutil: attach failed - "), result.stderrData);
        else
            QCOMPARE(result.stderrData, "hdiutil: attach failed - image member \"" + members.last().name + "\" " + reason + "\n");
        QVERIFY(!QFileInfo::exists(path("escaped")) && !QFileInfo::exists(volumes() + "/escaped"));
        QVERIFY(outside.seek(0) && outside.readAll() == "outside");
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
            const Shell::DataResult result = run(detachCall(target));
            QVERIFY2(result.exitCode == 1 && QFileInfo::exists(target), qPrintable(target));
            QCOMPARE(result.stdoutData + result.stderrData, QByteArray("hdiutil: detach failed - No such file or directory\n"));
        }
        QVERIFY(QFileInfo::exists(mount + "/Ready.app/Contents/Info.plist"));
        QVERIFY(QFile::remove(volumes() + "/Link") && QDir(volumes() + "/Stranger").removeRecursively());
        QCOMPARE(run(detachCall(mount)).exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "standin_test.moc"
