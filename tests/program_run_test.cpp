// The command runner against a tiny helper program built beside the tests.
// Every test runs with a private temporary folder, and after each one no
// capture file may be left in it.

#include "engine/capture_file.h"
#include "engine/release_tools.h"
#include "engine/program_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(VERISTAMP_HELPER);

QByteArray pattern(qsizetype size) // byte i is i % 251
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) bytes[i] = char(i % 251);
    return bytes;
}

// Runs the program under a stop flag raised as `stopAt` says: "never",
// "before" it starts, or once `marker` exists (the program is running).
Program::DataResult runStopped(const QStringList &arguments, const QString &stopAt, const QString &marker)
{
    std::atomic<bool> stop{stopAt == "before"};
    Program::DataResult result;
    std::thread run([&] { result = Program::runData(kHelper, arguments, &stop); });
    if (stopAt == "running") {
        for (int i = 0; i < 600 && !QFile::exists(marker); ++i)
            QTest::qWait(100);
        stop.store(true);
    }
    run.join();
    return result;
}

} // namespace

Q_DECLARE_METATYPE(ToolCall)

class ProgramRunTest : public QObject {
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
    // output has nowhere to go, is not started, with the reason, never an exit.
    void records_data()
    {
        QTest::addColumn<QString>("program"); // the helper when empty
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QByteArrayList>("bytes"); // standard output, standard error; %1 the program
        QTest::addColumn<QStringList>("text");     // as run decodes them, when not the bytes as they are
        const QString arguments[] = {"", "two words", " a", "b ", "\"d\"", "'s'", "b\\s", "$HOME", "*", "; touch no",
                                     "`id`", "a|b>c", "--verbose=4", "na\u00EFve", "\u201C\u65E5\u201D", ""};
        const QByteArray received = QStringList(std::begin(arguments), std::end(arguments)).join(QChar()).toUtf8() + '\0';
        QTest::newRow("trailing line breaks kept") << "" << QStringList{"hex", "610a0a", "620d0a"} << "exited with 0"
                                                   << QByteArrayList{"a\n\n", "b\r\n"} << QStringList{};
        QTest::newRow("byte-order mark, multi-byte characters, status 255")
            << "" << QStringList{"hex", "efbbbf6ec3af766520e29c930a", "", "255"} << "exited with 255"
            << QByteArrayList{"\xEF\xBB\xBFn\xC3\xAFve \xE2\x9C\x93\n", ""}
            << QStringList{QStringLiteral("\uFEFFn\u00EFve \u2713\n"), ""};
        QTest::newRow("invalid UTF-8 on standard output") << "" << QStringList{"hex", "61ff62", "66696e650a", "3"} << "exited with 3"
                                                          << QByteArrayList{"a\xFF" "b", "fine\n"} << QStringList{"", "fine\n"};
        QTest::newRow("sequence cut off on standard error") << "" << QStringList{"hex", "007a", "6575726f20e282"} << "exited with 0"
            << QByteArrayList{QByteArray("\0z", 2), "euro \xE2\x82"} << QStringList{QString(QChar()) + "z", ""};
        QTest::newRow("arguments one for one, no shell")
            << "" << QStringList("arguments") + QStringList(std::begin(arguments), std::end(arguments)) << "exited with 0"
            << QByteArrayList{received, ""} << QStringList{};
        const QByteArrayList absent{"", "The program \u201C%1\u201D could not be started: No such file or directory."};
        QTest::newRow("missing program") << m_temp.filePath("no-such-program") << QStringList{} << "not started" << absent << QStringList{};
        QTest::newRow("not executable") << m_temp.filePath("plain-file") << QStringList{} << "not started"
            << QByteArrayList{"", "The program \u201C%1\u201D could not be started: Permission denied."} << QStringList{};
        QTest::newRow("bare name of a program on PATH") << QFileInfo(kHelper).fileName() << QStringList{} << "not started"
                                                        << absent << QStringList{};
    }
    void records()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, bytes);
        QFETCH(QStringList, text);
        program = program.isEmpty() ? kHelper : program;
        bytes[1].replace("%1", program.toUtf8());
        const Program::DataResult data = Program::runData(program, arguments);
        QCOMPARE(QByteArrayList({data.standardOutput, data.standardError}), bytes);
        QTEST(describe(data.outcome), "outcome");
        const Program::TextResult decoded = Program::run(program, arguments);
        QTEST(describe(decoded.outcome), "outcome");
        if (text.isEmpty())
            text = QStringList{QString::fromUtf8(bytes[0]), QString::fromUtf8(bytes[1])};
        QCOMPARE(QStringList({decoded.standardOutput, decoded.standardError}), text);
    }

    void readsLargeOutputWhole()
    {
        const Program::DataResult large = Program::runData(kHelper, {"megabytes", "40", "8"});
        QVERIFY(large.outcome.succeeded() && large.standardOutput == pattern(40 << 20) && large.standardError == pattern(8 << 20));
    }

    // Each way a run ends is its own outcome, with and without a stop flag:
    // an exit of 137 is no death by signal 9, and a stopped program is
    // neither. The shell's one number stays for those who need one. A
    // program that ignores SIGTERM is killed after the grace.
    void endings_data()
    {
        QTest::addColumn<QStringList>("arguments"); // %1 a marker file
        QTest::addColumn<QString>("stopAt");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("shellStatus");
        QTest::addColumn<QString>("standardError"); // how standard error starts; %1 the helper
        const QString byNine = "dying\nThe program \u201C%1\u201D was ended by signal 9 (";
        const QString stopped = "The program \u201C%1\u201D was stopped before it finished.";
        QTest::newRow("exits with 137") << QStringList{"hex", "", "", "137"} << "never" << "exited with 137" << 137 << "";
        QTest::newRow("exits with 137 under a flag") << QStringList{"hex", "", "", "137"} << "" << "exited with 137"
                                                     << 137 << "";
        QTest::newRow("killed by signal 9") << QStringList{"signal", "9"} << "never" << "ended by signal 9" << 137 << byNine;
        QTest::newRow("killed by signal 9 under a flag") << QStringList{"signal", "9"} << "" << "ended by signal 9" << 137
                                                         << byNine;
        QTest::newRow("ended by SIGTERM") << QStringList{"signal", "15"} << "" << "ended by signal 15" << 143
                                          << "dying\nThe program \u201C%1\u201D was ended by signal 15 (";
        QTest::newRow("stopped before it starts") << QStringList{"touch", "%1"} << "before" << "stopped" << -1
            << "The program \u201C%1\u201D was not started: the inspection was stopped.";
        QTest::newRow("stopped while it runs") << QStringList{"hang", "%1"} << "running" << "stopped" << -1 << stopped;
        QTest::newRow("stopped, ignoring SIGTERM") << QStringList{"hang", "%1", "term"} << "running" << "stopped" << -1
                                                   << stopped;
    }
    void endings()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, stopAt);
        QFETCH(QString, standardError);
        const QString marker = m_temp.filePath("running");
        QFile::remove(marker);
        arguments.replaceInStrings("%1", marker);
        const Program::DataResult result = stopAt == "never" ? Program::runData(kHelper, arguments)
                                                           : runStopped(arguments, stopAt, marker);
        QTEST(describe(result.outcome), "outcome");
        QTEST(result.outcome.shellStatus(), "shellStatus");
        QVERIFY2(QString::fromUtf8(result.standardError).startsWith(standardError.arg(kHelper)), result.standardError.constData());
        QCOMPARE(QFile::exists(marker), stopAt == "running");
    }

    // A tool that reads standard input must not read the user's terminal (or
    // whatever Veristamp itself was given): it reads /dev/null.
    void programsReadNothing()
    {
        int typed[2];
        QVERIFY(::pipe(typed) == 0);
        QVERIFY(::write(typed[1], "typed\n", 6) == 6 && ::close(typed[1]) == 0);
        const int ownInput = ::dup(STDIN_FILENO);
        QVERIFY(::dup2(typed[0], STDIN_FILENO) == STDIN_FILENO);
        const Program::DataResult result = Program::runData(kHelper, {"stdin"});
        QVERIFY(::dup2(ownInput, STDIN_FILENO) == STDIN_FILENO);
        ::close(ownInput);
        ::close(typed[0]);
        QCOMPARE(describe(result.outcome), "exited with 0");
        QCOMPARE(result.standardOutput, QByteArray());
    }

    // Under a raised stop the tools start nothing but a detach, which must
    // still run so that no image stays attached.
    void aRaisedStopStartsOnlyDetach_data()
    {
        QTest::addColumn<ToolCall>("call");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("log");
        QTest::newRow("detach") << detachCall("/Volumes/A") << "exited with 0" << "hdiutil detach /Volumes/A\n";
        QTest::newRow("attach") << attachCall("/A.dmg") << "stopped" << "";
        QTest::newRow("verify") << imageVerificationCall("/A.dmg") << "stopped" << "";
        QTest::newRow("codesign") << signatureVerificationCall("/A.app") << "stopped" << "";
    }
    void aRaisedStopStartsOnlyDetach()
    {
        QFETCH(ToolCall, call);
        const QString root = m_temp.filePath("tool-root");
        QVERIFY(QDir().mkpath(root + "/usr/bin"));
        QFile::link(kHelper, root + "/usr/bin/hdiutil");
        QFile::link(kHelper, root + "/usr/bin/codesign");
        const QString log = m_temp.filePath("tool-log");
        QFile::remove(log);
        qputenv("VERISTAMP_HELPER_LOG", QFile::encodeName(log));
        const std::atomic<bool> stop{true};
        const Program::DataResult result = stoppedBy(releaseToolsAt(ToolRoot{root, {}}), &stop).runner(call);
        qunsetenv("VERISTAMP_HELPER_LOG");
        QTEST(describe(result.outcome), "outcome");
        QFile written(log);
        QTEST(QString::fromUtf8(written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray()), "log");
    }

    // Capture files are made in TMPDIR: below a plain file nobody can make one, whoever runs the test.
    void startsNothingWithoutCaptureFiles()
    {
        const QString marker = m_temp.filePath("started");
        qputenv("TMPDIR", QFile::encodeName(m_temp.filePath("plain-file/folder")));
        const Program::DataResult result = Program::runData(kHelper, {"touch", marker});
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(describe(result.outcome), "not started");
        QCOMPARE(result.standardOutput + result.standardError, "Veristamp could not create temporary command-output files.");
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

QTEST_GUILESS_MAIN(ProgramRunTest)
#include "program_run_test.moc"
