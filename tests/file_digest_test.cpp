// Package digests: a file's against sha256sum, a bundle's tree digest against
// its documented definition, copies and one-byte or one-bit changes.

#include "test_files.h"

#include "engine/tree_digest.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the system's own tool prints: sha256sum, or shasum on macOS.
QString referenceDigest(const QString &path)
{
    QProcess sum;
    if (const QString sha256sum = QStandardPaths::findExecutable("sha256sum"); !sha256sum.isEmpty())
        sum.start(sha256sum, {path});
    else
        sum.start("shasum", {"-a", "256", path});
    sum.waitForFinished();
    return QString::fromLatin1(sum.readAllStandardOutput()).section(' ', 0, 0);
}

QByteArray local(const QString &path) { return QFile::encodeName(path); }

QString treeHex(const QString &folder) { return treeDigest(folder).sha256.value_or("error: " + treeDigest(folder).error); }

} // namespace

class FileDigestTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void fileDigestIsSha256sums()
    {
        const qint64 buffer = qint64(kDigestBufferSize);
        const QString path = m_temp.filePath("image.dmg");
        for (const qint64 size : {qint64(0), qint64(1), buffer - 1, buffer, buffer + 1, 3 * buffer + 17}) {
            QByteArray bytes(size, 0);
            QRandomGenerator(quint32(size)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
            QVERIFY(writeAll(path, bytes));
            QCOMPARE(fileDigest(path).sha256.value_or("none"), referenceDigest(path));
        }
    }

    void onlyARegularFileHasAFileDigest()
    {
        const QString fifo = m_temp.filePath("fifo.dmg");
        QCOMPARE(::mkfifo(local(fifo).constData(), 0600), 0);
        for (const QString &path : {fifo, m_temp.path()}) // neither blocks nor reads a folder
            QCOMPARE(fileDigest(path).error, "not a regular file");
        QVERIFY(!fileDigest(m_temp.filePath("missing.dmg")).error.isEmpty());
        QCOMPARE(treeDigest(fifo).error, "not a folder");
    }

    // Digest written out by an independent script from the definition in tree_digest.h.
    void treeDigestIsTheDocumentedOne()
    {
        const QString root = m_temp.filePath("Known.app");
        QVERIFY(QDir().mkpath(root + "/b") && writeAll(root + "/a", "x") && writeAll(root + "/b.txt", ""));
        QCOMPARE(::chmod(local(root + "/a").constData(), 0644) | ::chmod(local(root + "/b").constData(), 0755)
                     | ::chmod(local(root + "/b.txt").constData(), 0600) | ::symlink("../a", local(root + "/b/c").constData()),
                 0);
        QCOMPARE(treeHex(root), QStringLiteral("f4753250507ff124864eafc26d100ace9523006e4d921634dba9ab7bd5047a3b"));
    }

    void treeDigestFollowsTheBundleNotItsPlace()
    {
        const QString original = VERISTAMP_TEST_PACKAGES "/apps/Ready.app";
        const QString copy = m_temp.filePath("elsewhere/Renamed.app");
        QVERIFY(QDir().mkpath(m_temp.filePath("elsewhere")));
        QCOMPARE(QProcess::execute("cp", {"-pR", original, copy}), 0);
        const QString digest = treeHex(original);
        QCOMPARE(treeHex(copy), digest);

        const QString executable = copy + "/Contents/MacOS/Ready";
        const QList<std::pair<const char *, std::function<bool()>>> changes{
            {"one byte", [&] {
                 QFile file(executable);
                 return file.open(QIODevice::ReadWrite) && file.seek(2) && file.write("#") == 1;
             }},
            {"one mode bit", [&] { return ::chmod(local(executable).constData(), 0754) == 0; }},
            {"a link", [&] { return ::symlink("Ready", local(copy + "/Contents/MacOS/Link").constData()) == 0; }},
            {"an empty folder", [&] { return QDir().mkdir(copy + "/Contents/.Empty"); }},
            {"a FIFO", [&] { return ::mkfifo(local(copy + "/Contents/pipe").constData(), 0600) == 0; }},
        };
        QStringList seen{digest};
        for (const auto &[name, change] : changes) {
            QVERIFY2(change() && !treeHex(copy).startsWith("error") && !seen.contains(treeHex(copy)), name);
            seen << treeHex(copy);
        }
    }
};

QTEST_GUILESS_MAIN(FileDigestTest)
#include "file_digest_test.moc"
