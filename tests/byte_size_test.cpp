// The size of a package: what its file system allocates, counted once,
// wherever a link to it leads and however deep it goes.

#include "test_files.h"

#include "engine/byte_size.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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

qint64 measure(const QString &path) { return measureByteSize(QUrl::fromLocalFile(path)); }

// What the folders nestFolders() made below `folder` allocate, walked through descriptors.
qint64 nestedAllocation(const QString &folder)
{
    qint64 total = 0;
    struct stat info {};
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    for (int child; fd >= 0 && (child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY)) >= 0; fd = child) {
        ::close(fd);
        total += ::fstat(child, &info) == 0 ? qint64(info.st_blocks) * 512 : 0;
    }
    if (fd >= 0)
        ::close(fd);
    return total;
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
        QVERIFY(writeAll(app + "/Contents/Resources/en.lproj/Deep/payload", QByteArray(kMiB, 'x')));
        QVERIFY(writeAll(app + "/Contents/.hidden", QByteArray(10, 'x')) && writeAll(dir.filePath("outside.bin"), QByteArray(8 * kMiB, 'x')));
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
    }

    // A sparse image counts what is allocated, not its length; what cannot be read counts 0.
    void plainFileIsItsAllocatedSize()
    {
        QTemporaryDir dir;
        const QString sparse = dir.filePath("sparse.dmg");
        QVERIFY(writeAll(sparse, QByteArray(4096, 'x')) && ::truncate(QFile::encodeName(sparse).constData(), 64 * kMiB) == 0);
        QCOMPARE(measure(sparse), allocated(sparse));
        QVERIFY(measure(sparse) < 64 * kMiB);
        QCOMPARE(measure("/nonexistent/veristamp/Example.app"), 0);
        QCOMPARE(measureByteSize(QUrl("https://example.com/Example.dmg")), 0);
    }

    void packageThroughALinkIsMeasuredWhereItPoints()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Real.app/Contents")));
        QVERIFY(QFile::link(dir.filePath("Real.app"), dir.filePath("Link.app")));
        QCOMPARE(measure(dir.filePath("Link.app")), allocated(dir.filePath("Real.app")) + allocated(dir.filePath("Real.app/Contents")));
    }

    // 20,000 folders deep, on a thread of 4 MiB of stack.
    void deepBundleIsMeasuredOnASmallStack()
    {
        QTemporaryDir dir;
        const QString app = dir.filePath("Deep.app");
        QVERIFY(QDir().mkpath(app) && nestFolders(app, 20000));
        const qint64 expected = allocated(app) + nestedAllocation(app);
        qint64 measured = -1;
        QThread *thread = QThread::create([&] { measured = measure(app); });
        thread->setStackSize(4 << 20);
        thread->start();
        const bool finished = thread->wait();
        delete thread;
        removeNested(app); // the paths are too long for QTemporaryDir
        QVERIFY(finished);
        QCOMPARE(measured, expected);
    }
};

QTEST_GUILESS_MAIN(ByteSizeTest)
#include "byte_size_test.moc"
