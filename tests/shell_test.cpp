// The command runner against tiny helper programs built beside the tests.
// Every test runs with a private temporary folder, and after each one no
// capture file may be left in it.

#include "engine/capture_file.h"
#include "engine/shell.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString helper(const char *name) { return QStringLiteral(VERISTAMP_HELPER_DIR "/veristamp-helper-") + QLatin1String(name); }
QString hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex()); }

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        writeFile(m_temp.filePath("plain-file"), {});
        qputenv("PATH", QByteArray(VERISTAMP_HELPER_DIR)); // the runner must never look there
    }

    void cleanup() { QCOMPARE(QDir(m_temp.path()).entryList({"veristamp-*"}, QDir::AllEntries | QDir::System), QStringList()); }

    // runData keeps the bytes; run decodes each stream on its own and empties one that is not UTF-8.
    void keepsStreamsApartAndWhole_data()
    {
        QTest::addColumn<QByteArrayList>("bytes"); // standard output, standard error
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("text");
        QTest::newRow("nothing written") << QByteArrayList{"", ""} << 0 << QStringList{"", ""};
        QTest::newRow("standard error only") << QByteArrayList{"", "only here"} << 0 << QStringList{"", "only here"};
        QTest::newRow("trailing line breaks kept") << QByteArrayList{"a\n\n", "b\r\n"} << 0 << QStringList{"a\n\n", "b\r\n"};
        QTest::newRow("byte-order mark, multi-byte characters, status 255")
            << QByteArrayList{"\xEF\xBB\xBFna\xC3\xAFve \xE2\x9C\x93\n", ""} << 255
            << QStringList{QStringLiteral("\uFEFFna\u00EFve \u2713\n"), ""};
        QTest::newRow("invalid UTF-8 on standard output") << QByteArrayList{"a\xFF" "b", "fine\n"} << 3 << QStringList{"", "fine\n"};
        QTest::newRow("sequence cut off on standard error")
            << QByteArrayList{QByteArray("\0z", 2), "euro \xE2\x82"} << 0 << QStringList{QString(QChar()) + "z", ""};
    }
    void keepsStreamsApartAndWhole()
    {
        QFETCH(QByteArrayList, bytes);
        QFETCH(int, status);
        QFETCH(QStringList, text);
        const QStringList arguments{hex(bytes[0]), hex(bytes[1]), QString::number(status)};
        const Shell::DataResult data = Shell::runData(helper("write_hex"), arguments);
        QCOMPARE(data.exitCode, status);
        QCOMPARE(QByteArrayList({data.stdoutData, data.stderrData}), bytes);
        const Shell::TextResult decoded = Shell::run(helper("write_hex"), arguments);
        QCOMPARE(decoded.exitCode, status);
        QCOMPARE(QStringList({decoded.stdout, decoded.stderr}), text);
    }

    void passesArgumentsOneForOne_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("spaces, quotes, empty strings") << QStringList{"", "two words", " a", "b ", "\"d\"", "'s'", "b\\s", ""};
        QTest::newRow("shell characters, options, non-ASCII")
            << QStringList{"$HOME", "*", "; touch no", "`id`", "a|b>c", "--verbose=4", "na\u00EFve", "\u201C\u65E5\u201D"};
    }
    void passesArgumentsOneForOne()
    {
        QFETCH(QStringList, arguments);
        const Shell::DataResult result = Shell::runData(helper("write_arguments"), arguments);
        QCOMPARE(result.exitCode, 0);
        QStringList received;
        for (const QByteArray &part : result.stdoutData.split('\0'))
            received << QString::fromUtf8(part);
        received.removeLast(); // after the last terminator
        QCOMPARE(received, arguments);
    }

    void capturesInTheTemporaryFolderUnderNewNames()
    {
#ifndef __linux__
        QSKIP("The helper reads where its streams lead through /proc.");
#endif
        const QRegularExpression name(QStringLiteral("^%1/veristamp-[0-9A-F-]{36}-std(out|err)$")
                                          .arg(QRegularExpression::escape(m_temp.path())));
        const QStringList paths = QString::fromUtf8(Shell::runData(helper("report_capture_paths"), {}).stdoutData +
                                                    Shell::runData(helper("report_capture_paths"), {}).stdoutData)
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(QSet<QString>(paths.begin(), paths.end()).size(), 4);
        for (const QString &path : paths)
            QVERIFY2(name.match(path).hasMatch(), qPrintable(path));
    }

    void reportsAProgramThatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << m_temp.filePath("no-such-program") << "No such file or directory";
        QTest::newRow("not executable") << m_temp.filePath("plain-file") << "Permission denied";
        QTest::newRow("bare name of a program on PATH") << "veristamp-helper-write_hex" << "No such file or directory";
    }
    void reportsAProgramThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        const Shell::DataResult result = Shell::runData(program, {});
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(QString::fromUtf8(result.stderrData),
                 QStringLiteral("The program \u201C%1\u201D could not be started: %2.").arg(program, reason));
    }

    void startsNothingWithoutCaptureFiles_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing folder") << m_temp.filePath("gone");
        QTest::newRow("below a plain file, which nobody can write into") << m_temp.filePath("plain-file/folder");
    }
    void startsNothingWithoutCaptureFiles()
    {
        QFETCH(QString, folder);
        const QString marker = m_temp.filePath("started");
        qputenv("TMPDIR", QFile::encodeName(folder));
        const Shell::DataResult result = Shell::runData(helper("touch_marker"), {marker});
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(result.stderrData, QByteArray("Veristamp could not create temporary command-output files."));
        QVERIFY(!QFile::exists(marker));
    }

    void reportsADeathBySignal()
    {
        const QString program = helper("raise_signal");
        const Shell::DataResult result = Shell::runData(program, {QString::number(SIGKILL)});
        QCOMPARE(result.exitCode, 128 + SIGKILL);
        // The signal's name in parentheses is the system's own wording.
        QVERIFY(QString::fromUtf8(result.stderrData)
                    .startsWith(QStringLiteral("dying\nThe program \u201C%1\u201D was ended by signal 9 (").arg(program)));
    }

    void readsLargeOutputWhole()
    {
        const auto pattern = [](qsizetype size) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i)
                bytes[i] = char(i % 251);
            return bytes;
        };
        const Shell::DataResult result = Shell::runData(helper("write_megabytes"), {"40", "8"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.stdoutData == pattern(40 << 20));
        QVERIFY(result.stderrData == pattern(8 << 20));
    }

    // A link or file planted at a capture path in a shared temporary folder
    // neither redirects output nor gets deleted.
    void captureFileTakesNothingOver_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("link to a file") << true << true;
        QTest::newRow("link to nothing") << true << false;
        QTest::newRow("regular file") << false << true;
    }
    void captureFileTakesNothingOver()
    {
        QFETCH(bool, link);
        QFETCH(bool, targetExists);
        QTemporaryDir folder;
        const QString path = folder.filePath("veristamp-planted-stdout");
        const QString target = link ? folder.filePath("target") : path;
        if (targetExists)
            writeFile(target, "keep");
        if (link)
            QVERIFY(QFile::link(target, path));
        QVERIFY(!CaptureFile(path).isOpen());
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        QFile kept(target);
        QCOMPARE(kept.open(QIODevice::ReadOnly) ? kept.readAll() : "missing", QByteArray(targetExists ? "keep" : "missing"));
    }

    void captureFileIsPrivateAndGoesWithItsOwner()
    {
        const QString path = m_temp.filePath("veristamp-own-stdout");
        {
            CaptureFile capture(path);
            struct stat info {};
            QCOMPARE(::fstat(capture.fd(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0600));
        }
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(ShellTest)
#include "shell_test.moc"
