// The command runner against a tiny helper program built beside the tests.
// Every test runs with a private temporary folder, and after each one no
// capture file may be left in it.

#include "engine/capture_file.h"
#include "engine/shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

const QString kHelper = QStringLiteral(VERISTAMP_HELPER);

QByteArray pattern(qsizetype size) // byte i is i % 251
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) bytes[i] = char(i % 251);
    return bytes;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid() && QFile(m_temp.filePath("plain-file")).open(QIODevice::WriteOnly));
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        qputenv("PATH", QFile::encodeName(QFileInfo(kHelper).path())); // the runner must never look there
    }

    void cleanup() { QCOMPARE(QDir(m_temp.path()).entryList({"veristamp-*"}, QDir::AllEntries | QDir::System), QStringList()); }

    // runData keeps the bytes of both streams; run decodes each on its own and
    // empties one that is not UTF-8. A program that cannot start, or whose
    // output has nowhere to go, is a status of -1 with the reason, never an exit.
    void records_data()
    {
        QTest::addColumn<QString>("program"); // the helper when empty
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("bytes"); // standard output, standard error; %1 the program
        QTest::addColumn<QStringList>("text");     // as run decodes them, when not the bytes as they are
        const QString arguments[] = {"", "two words", " a", "b ", "\"d\"", "'s'", "b\\s", "$HOME", "*", "; touch no",
                                     "`id`", "a|b>c", "--verbose=4", "na\u00EFve", "\u201C\u65E5\u201D", ""};
        const QByteArray received = QStringList(std::begin(arguments), std::end(arguments)).join(QChar()).toUtf8() + '\0';
        QTest::newRow("trailing line breaks kept") << "" << QStringList{"hex", "610a0a", "620d0a"} << 0
                                                   << QByteArrayList{"a\n\n", "b\r\n"} << QStringList{};
        QTest::newRow("byte-order mark, multi-byte characters, status 255")
            << "" << QStringList{"hex", "efbbbf6ec3af766520e29c930a", "", "255"} << 255
            << QByteArrayList{"\xEF\xBB\xBFn\xC3\xAFve \xE2\x9C\x93\n", ""}
            << QStringList{QStringLiteral("\uFEFFn\u00EFve \u2713\n"), ""};
        QTest::newRow("invalid UTF-8 on standard output") << "" << QStringList{"hex", "61ff62", "66696e650a", "3"} << 3
                                                          << QByteArrayList{"a\xFF" "b", "fine\n"} << QStringList{"", "fine\n"};
        QTest::newRow("sequence cut off on standard error") << "" << QStringList{"hex", "007a", "6575726f20e282"} << 0
            << QByteArrayList{QByteArray("\0z", 2), "euro \xE2\x82"} << QStringList{QString(QChar()) + "z", ""};
        QTest::newRow("arguments one for one, no shell")
            << "" << QStringList("arguments") + QStringList(std::begin(arguments), std::end(arguments)) << 0
            << QByteArrayList{received, ""} << QStringList{};
        const QByteArrayList absent{"", "The program \u201C%1\u201D could not be started: No such file or directory."};
        QTest::newRow("missing program") << m_temp.filePath("no-such-program") << QStringList{} << -1 << absent << QStringList{};
        QTest::newRow("not executable") << m_temp.filePath("plain-file") << QStringList{} << -1
            << QByteArrayList{"", "The program \u201C%1\u201D could not be started: Permission denied."} << QStringList{};
        QTest::newRow("bare name of a program on PATH") << QFileInfo(kHelper).fileName() << QStringList{} << -1 << absent
                                                        << QStringList{};
    }
    void records()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, bytes);
        QFETCH(QStringList, text);
        program = program.isEmpty() ? kHelper : program;
        bytes[1].replace("%1", program.toUtf8());
        const Shell::DataResult data = Shell::runData(program, arguments);
        QCOMPARE(QByteArrayList({data.stdoutData, data.stderrData}), bytes);
        QTEST(data.exitCode, "status");
        const Shell::TextResult decoded = Shell::run(program, arguments);
        QTEST(decoded.exitCode, "status");
        if (text.isEmpty())
            text = QStringList{QString::fromUtf8(bytes[0]), QString::fromUtf8(bytes[1])};
        QCOMPARE(QStringList({decoded.stdout, decoded.stderr}), text);
    }

    void readsLargeOutputWholeAndNamesADeathBySignal()
    {
        const Shell::DataResult large = Shell::runData(kHelper, {"megabytes", "40", "8"});
        QVERIFY(large.exitCode == 0 && large.stdoutData == pattern(40 << 20) && large.stderrData == pattern(8 << 20));
        const Shell::DataResult killed = Shell::runData(kHelper, {"signal", QString::number(SIGKILL)});
        QCOMPARE(killed.exitCode, 128 + SIGKILL);
        // The signal's name in parentheses is the system's own wording.
        QVERIFY(QString::fromUtf8(killed.stderrData)
                    .startsWith(QStringLiteral("dying\nThe program \u201C%1\u201D was ended by signal 9 (").arg(kHelper)));
    }

    // Capture files are made in TMPDIR: below a plain file nobody can make one, whoever runs the test.
    void startsNothingWithoutCaptureFiles()
    {
        const QString marker = m_temp.filePath("started");
        qputenv("TMPDIR", QFile::encodeName(m_temp.filePath("plain-file/folder")));
        const Shell::DataResult result = Shell::runData(kHelper, {"touch", marker});
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData + result.stderrData, "Veristamp could not create temporary command-output files.");
        QVERIFY(!QFile::exists(marker));
    }

    // Tool output is private to the user while it is captured, and goes with its owner.
    void captureFileIsPrivate()
    {
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
