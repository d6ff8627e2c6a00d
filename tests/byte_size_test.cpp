#include "engine/byte_size.h"

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMiB = 1 << 20;

qint64 allocated(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_blocks) * 512 : -1;
}

// An independent tally of the same rule, through Qt's directory walk.
qint64 allocatedTree(const QString &root)
{
    qint64 total = allocated(root);
    QSet<QPair<quint64, quint64>> seen;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        struct stat info {};
        ::lstat(QFile::encodeName(it.next()).constData(), &info);
        if (!seen.contains({info.st_dev, info.st_ino}))
            total += qint64(info.st_blocks) * 512;
        seen.insert({info.st_dev, info.st_ino});
    }
    return total;
}

bool writeFile(const QString &path, qint64 bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(bytes, 'x')) == bytes;
}

qint64 measure(const QString &path)
{
    return measureByteSize(QUrl::fromLocalFile(path));
}

} // namespace

class ByteSizeTest : public QObject {
    Q_OBJECT

private slots:
    void bundleCountsEverythingInside()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("Example.app");
        QVERIFY(QDir().mkpath(app + "/Contents/MacOS"));
        QVERIFY(QDir().mkpath(app + "/Contents/Resources/en.lproj/Deep/Deeper"));
        QVERIFY(writeFile(app + "/Contents/MacOS/Example", kMiB));
        QVERIFY(writeFile(app + "/Contents/Resources/en.lproj/Deep/Deeper/strings", 100));
        QVERIFY(writeFile(app + "/Contents/.hidden", 10));

        QVERIFY(measure(app) > kMiB);
        QCOMPARE(measure(app), allocatedTree(app));
        QCOMPARE(measureByteSize(QUrl("file://" + app + "/")), allocatedTree(app));
    }

    void linksAreNotFollowedAndHardLinksCountOnce()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("Example.app");
        QVERIFY(QDir().mkpath(app + "/Contents/Frameworks"));
        QVERIFY(writeFile(dir.filePath("outside.bin"), 8 * kMiB));
        QVERIFY(writeFile(app + "/Contents/payload", kMiB));
        QVERIFY(QFile::link(dir.filePath("outside.bin"), app + "/Contents/outside"));
        QVERIFY(QFile::link(dir.path(), app + "/Contents/Frameworks/parent")); // a loop if it were followed
        QVERIFY(::link(QFile::encodeName(app + "/Contents/payload").constData(),
                       QFile::encodeName(app + "/Contents/Frameworks/payload").constData()) == 0);

        QCOMPARE(measure(app), allocatedTree(app));
        QVERIFY(measure(app) < 2 * kMiB);
        // The symbolic link itself is the item, even when it is the dropped one.
        QCOMPARE(measure(app + "/Contents/outside"), allocated(app + "/Contents/outside"));
    }

    void plainFileIsItsAllocatedSize()
    {
        QTemporaryDir dir;
        const QString sparse = dir.filePath("sparse.dmg");
        QVERIFY(writeFile(sparse, 4096));
        QVERIFY(::truncate(QFile::encodeName(sparse).constData(), 64 * kMiB) == 0);
        QCOMPARE(measure(sparse), allocated(sparse));
        QVERIFY(measure(sparse) < 64 * kMiB);

        // Space reserved beyond the end, as a disk image tool may leave it.
        const QString reserved = dir.filePath("reserved.dmg");
        QVERIFY(writeFile(reserved, 1000));
        const int fd = ::open(QFile::encodeName(reserved).constData(), O_WRONLY | O_CLOEXEC);
        const int failed = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, 4 * kMiB);
        ::close(fd);
        if (failed)
            QSKIP("This file system cannot reserve space");
        QCOMPARE(measure(reserved), allocated(reserved));
        QVERIFY(measure(reserved) >= 4 * kMiB);
    }

    void unreadableItemsCountZero_data()
    {
        QTest::addColumn<QUrl>("location");
        QTest::newRow("missing path") << QUrl::fromLocalFile("/nonexistent/veristamp/Example.app");
        QTest::newRow("not a file URL") << QUrl("https://example.com/Example.dmg");
        QTest::newRow("empty URL") << QUrl();
    }
    void unreadableItemsCountZero()
    {
        QFETCH(QUrl, location);
        QCOMPARE(measureByteSize(location), 0);
    }
};

QTEST_GUILESS_MAIN(ByteSizeTest)
#include "byte_size_test.moc"
