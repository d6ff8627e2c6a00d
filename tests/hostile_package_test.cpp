// Tool outputs and bundles made to trick or crash the inspectors: none may
// pass for what it is not, and none may bring the inspection down.

#include "engine/app_inspection.h"
#include "engine/byte_size.h"
#include "hostile_inputs.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kTaskAllow = "<key>com.apple.security.get-task-allow</key><true/>";

QByteArray dictionary(const QByteArray &entries, const QByteArray &declaration = "<?xml version=\"1.0\"?>")
{
    return declaration + "\n<plist version=\"1.0\"><dict>" + entries + "</dict></plist>\n";
}

qint64 measure(const QString &path)
{
    return measureByteSize(QUrl::fromLocalFile(path));
}

} // namespace

Q_DECLARE_METATYPE(Shell::DataResult)

class HostilePackageTest : public QObject {
    Q_OBJECT

private slots:
    void unreadableEntitlements_data()
    {
        QTest::addColumn<Shell::DataResult>("answer");
        QTest::addColumn<QString>("outcome");
        const QString unreadable = "WARN Signed entitlements were reported but could not be read.";
        const auto row = [](const char *name, int status, const QByteArray &out, const QString &outcome) {
            QTest::newRow(name) << Shell::DataResult{status, out, "Executable=/A.app/Contents/MacOS/A\n"} << outcome;
        };
        row("ISO-8859-1 with a non-ASCII byte", 0,
            dictionary("<key>caf\xe9</key><true/>" + kTaskAllow, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"),
            unreadable);
        const QString utf16 = QString::fromUtf8(dictionary(kTaskAllow, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
        row("UTF-16", 0, "\xff\xfe" + QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2),
            unreadable);
        row("binary", 0,
            binaryPlist({"\xD1\x01\x02", "\x5F\x10\x21" "com.apple.security.get-task-allow", "\x09"}, 1), unreadable);
        row("truncated", 0, dictionary(kTaskAllow).chopped(16), unreadable);
        row("nested 200,000 deep", 0, dictionary(kTaskAllow + "<key>deep</key>" + nestedArrays(200000)), unreadable);
        row("NUL in the middle", 0, dictionary(kTaskAllow + QByteArray(1, '\0')), unreadable);
        row("listing that is no property list", 0, "[Dict]\n\t[Key] com.apple.security.get-task-allow\n", unreadable);
        row("call failed after a dictionary", 1, dictionary(kTaskAllow), unreadable);
        row("only the tool's own lines", 0, "\nExecutable=/A.app/Contents/MacOS/A\n  \n",
            "PASS No signed entitlements were reported.");
        row("warning before a harmless dictionary", 0,
            "warning: Specifying ':' in the path is deprecated\n"
                + dictionary("<key>com.apple.security.app-sandbox</key><true/>"),
            "PASS No common development or weakened-runtime entitlements were detected.");
    }
    void unreadableEntitlements()
    {
        QFETCH(Shell::DataResult, answer);
        QFETCH(QString, outcome);
        const ReleaseTools tools{[&](const ToolCall &call) {
            return call.arguments.value(0) == "-d" ? answer : Shell::DataResult{};
        }};
        const auto app = inspectApplication(QUrl::fromLocalFile("/Applications/A.app"), tools);
        QCOMPARE(label(app.checks[3].status) + ' ' + app.checks[3].detail, outcome);
    }

    void packageThroughALinkIsMeasuredWhereItPoints()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Real.app/Contents")));
        QVERIFY(QFile::link(dir.filePath("Real.app"), dir.filePath("Link.app")));
        QVERIFY(measure(dir.filePath("Real.app")) > 0);
        QCOMPARE(measure(dir.filePath("Link.app")), measure(dir.filePath("Real.app")));
    }

    void deepBundleIsMeasuredOnASmallStack()
    {
        QTemporaryDir dir;
        int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        qint64 expected = 0;
        struct stat info {};
        for (int level = 0; level < 20000; ++level) { // each folder counted once it holds the next
            const char *name = level == 0 ? "Deep.app" : "d";
            QVERIFY(::mkdirat(folder, name, 0700) == 0 && (level == 0 || ::fstat(folder, &info) == 0));
            expected += level == 0 ? 0 : qint64(info.st_blocks) * 512;
            const int inner = ::openat(folder, name, O_RDONLY | O_DIRECTORY);
            ::close(folder);
            folder = inner;
        }
        const int file = ::openat(folder, "f", O_CREAT | O_WRONLY, 0600);
        QVERIFY(::write(file, "x", 1) == 1 && ::fstat(file, &info) == 0 && ::close(file) == 0);
        expected += qint64(info.st_blocks) * 512;
        QVERIFY(::fstat(folder, &info) == 0);
        expected += qint64(info.st_blocks) * 512;

        qint64 measured = -1;
        QThread *thread = QThread::create([&] { measured = measure(dir.filePath("Deep.app")); });
        thread->setStackSize(4 << 20);
        thread->start();
        QVERIFY(thread->wait());
        delete thread;
        QCOMPARE(measured, expected);

        // Climbs back, removing each folder: the paths are too long for QTemporaryDir.
        QVERIFY(::unlinkat(folder, "f", 0) == 0);
        for (int level = 1; level < 20000; ++level) {
            const int outer = ::openat(folder, "..", O_RDONLY | O_DIRECTORY);
            ::close(folder);
            QVERIFY(::unlinkat(folder = outer, "d", AT_REMOVEDIR) == 0);
        }
        ::close(folder);
    }
};

QTEST_GUILESS_MAIN(HostilePackageTest)
#include "hostile_package_test.moc"
