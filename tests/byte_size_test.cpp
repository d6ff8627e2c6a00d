#include "engine/byte_size.h"

#include <QFile>
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
    // Nested and hidden items count; links out of the bundle and loops are not followed; hard links count once.
    void bundleCountsWhatItHolds()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("Example.app");
        QVERIFY(QDir().mkpath(app + "/Contents/Resources/en.lproj/Deep"));
        QVERIFY(writeFile(app + "/Contents/Resources/en.lproj/Deep/payload", kMiB));
        QVERIFY(writeFile(app + "/Contents/.hidden", 10));
        QVERIFY(writeFile(dir.filePath("outside.bin"), 8 * kMiB));
        QVERIFY(QFile::link(dir.filePath("outside.bin"), app + "/Contents/outside"));
        QVERIFY(QFile::link(dir.path(), app + "/Contents/Resources/parent"));
        QVERIFY(::link(QFile::encodeName(app + "/Contents/Resources/en.lproj/Deep/payload").constData(),
                       QFile::encodeName(app + "/Contents/payload").constData()) == 0);

        qint64 expected = 0; // each item once, the links themselves rather than what they point at
        for (const char *item : {"", "/Contents", "/Contents/Resources", "/Contents/Resources/en.lproj",
                                 "/Contents/Resources/en.lproj/Deep", "/Contents/payload", "/Contents/.hidden",
                                 "/Contents/outside", "/Contents/Resources/parent"})
            expected += allocated(app + item);
        QCOMPARE(measure(app), expected);
        QVERIFY(measure(app) > kMiB && measure(app) < 2 * kMiB);
        QCOMPARE(measureByteSize(QUrl("file://" + app + "/")), measure(app));
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
#ifndef __linux__
        QSKIP("Reserving space beyond a file's end (fallocate) exists on Linux only.");
#else
        const QString reserved = dir.filePath("reserved.dmg");
        QVERIFY(writeFile(reserved, 1000));
        const int fd = ::open(QFile::encodeName(reserved).constData(), O_WRONLY | O_CLOEXEC);
        const int failed = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, 4 * kMiB);
        ::close(fd);
        if (failed)
            QSKIP("This file system cannot reserve space");
        QCOMPARE(measure(reserved), allocated(reserved));
        QVERIFY(measure(reserved) >= 4 * kMiB);
#endif
    }

    void unreadableItemsCountZero()
    {
        QCOMPARE(measure("/nonexistent/veristamp/Example.app"), 0);
        QCOMPARE(measureByteSize(QUrl("https://example.com/Example.dmg")), 0);
    }
};

QTEST_GUILESS_MAIN(ByteSizeTest)
#include "byte_size_test.moc"
