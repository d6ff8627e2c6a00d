// The command runner against a tiny helper program built beside the tests.
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

namespace {

const QString kHelper = QStringLiteral(VERISTAMP_HELPER);

Shell::DataResult runHelper(const QStringList &arguments) { return Shell::runData(kHelper, arguments); }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid() && writeFile(m_temp.filePath("plain-file"), {}));
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        qputenv("PATH", QFile::encodeName(QFileInfo(kHelper).path())); // the runner must never look there
    }

    void cleanup() { QCOMPARE(QDir(m_temp.path()).entryList({"veristamp-*"}, QDir::AllEntries | QDir::System), QStringList()); }

    // runData keeps the bytes; run decodes each stream on its own and empties one that is not UTF-8.
    void keepsStreamsApartAndWhole_data()
    {
        QTest::addColumn<QByteArrayList>("bytes"); // standard output, standard error
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("text");
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
        const QStringList arguments{"hex", bytes[0].toHex(), bytes[1].toHex(), QString::number(status)};
        const Shell::DataResult data = runHelper(arguments);
        QCOMPARE(QByteArrayList({data.stdoutData, data.stderrData}), bytes);
        QCOMPARE(data.exitCode, status);
        const Shell::TextResult decoded = Shell::run(kHelper, arguments);
        QCOMPARE(decoded.exitCode, status);
        QTEST(QStringList({decoded.stdout, decoded.stderr}), "text");
    }

    void passesArgumentsOneForOne()
    {
        const QStringList arguments{"", "two words", " a", "b ", "\"d\"", "'s'", "b\\s", "$HOME", "*", "; touch no",
                                    "`id`", "a|b>c", "--verbose=4", "na\u00EFve", "\u201C\u65E5\u201D", ""};
        const Shell::DataResult result = runHelper(QStringList{"arguments"} + arguments);
        QStringList received = QString::fromUtf8(result.stdoutData).split(QChar());
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
        const QStringList paths = QString::fromUtf8(runHelper({"capture-paths"}).stdoutData
                                                    + runHelper({"capture-paths"}).stdoutData)
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
        QTest::newRow("bare name of a program on PATH") << QFileInfo(kHelper).fileName() << "No such file or directory";
    }
    void reportsAProgramThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        const Shell::DataResult result = Shell::runData(program, {});
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(QString::fromUtf8(result.stdoutData + result.stderrData),
                 QStringLiteral("The program \u201C%1\u201D could not be started: %2.").arg(program, reason));
    }

    // Below a plain file nobody can make a folder, whoever runs the test.
    void startsNothingWithoutCaptureFiles()
    {
        const QString marker = m_temp.filePath("started");
        qputenv("TMPDIR", QFile::encodeName(m_temp.filePath("plain-file/folder")));
        const Shell::DataResult result = runHelper({"touch", marker});
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData + result.stderrData, "Veristamp could not create temporary command-output files.");
        QVERIFY(!QFile::exists(marker));
    }

    void reportsADeathBySignal()
    {
        const Shell::DataResult result = runHelper({"signal", QString::number(SIGKILL)});
        QCOMPARE(result.exitCode, 128 + SIGKILL);
        // The signal's name in parentheses is the system's own wording.
        QVERIFY(QString::fromUtf8(result.stderrData)
                    .startsWith(QStringLiteral("dying\nThe program \u201C%1\u201D was ended by signal 9 (").arg(kHelper)));
    }

    void readsLargeOutputWhole()
    {
        const auto pattern = [](qsizetype size) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i)
                bytes[i] = char(i % 251);
            return bytes;
        };
        const Shell::DataResult result = runHelper({"megabytes", "40", "8"});
        QVERIFY(result.exitCode == 0 && result.stdoutData == pattern(40 << 20) && result.stderrData == pattern(8 << 20));
    }

    // A link or file planted at a capture path in a shared temporary folder
    // neither redirects output nor gets deleted; the file the runner makes is
    // private and goes with its owner.
    void captureFileTakesNothingOver()
    {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("target"), "keep") && writeFile(folder.filePath("veristamp-file"), "keep"));
        QVERIFY(QFile::link(folder.filePath("target"), folder.filePath("veristamp-link")));
        QVERIFY(QFile::link(folder.filePath("nothing"), folder.filePath("veristamp-dangling")));
        for (const char *planted : {"veristamp-file", "veristamp-link", "veristamp-dangling"})
            QVERIFY2(!CaptureFile(folder.filePath(planted)).isOpen(), planted);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList({"target", "veristamp-dangling", "veristamp-file", "veristamp-link"}));
        QVERIFY(!QFileInfo::exists(folder.filePath("nothing")));
        for (const char *kept : {"target", "veristamp-file"}) {
            QFile file(folder.filePath(kept));
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "keep");
        }

        const QString path = m_temp.filePath("veristamp-own-stdout");
        {
            CaptureFile capture(path);
            struct stat info {};
            QVERIFY(::fstat(capture.fd(), &info) == 0 && (info.st_mode & 0777) == 0600);
        }
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(ShellTest)
#include "shell_test.moc"
