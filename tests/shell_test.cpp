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

QString helper(const char *name)
{
    return QStringLiteral(VERISTAMP_HELPER_DIR "/veristamp-helper-") + QLatin1String(name);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

const QByteArray kCaptureFailure = "Veristamp could not create temporary command-output files.";

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_temp;

    QStringList captureFilesLeft() const
    {
        return QDir(m_temp.path()).entryList({QStringLiteral("veristamp-*-stdout"), QStringLiteral("veristamp-*-stderr")},
                                             QDir::AllEntries | QDir::Hidden | QDir::System);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    }

    void cleanup() { QCOMPARE(captureFilesLeft(), QStringList()); }

    void keepsStreamsApartAndWhole_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("nothing written") << QStringList{} << 0 << QByteArray() << QByteArray();
        QTest::newRow("standard error only") << QStringList{"", hex("only here")} << 0 << QByteArray() << QByteArray("only here");
        QTest::newRow("trailing line breaks kept")
            << QStringList{hex("a\n\n"), hex("b\r\n")} << 0 << QByteArray("a\n\n") << QByteArray("b\r\n");
        QTest::newRow("non-zero exit status") << QStringList{hex("x"), "", "3"} << 3 << QByteArray("x") << QByteArray();
        QTest::newRow("highest exit status") << QStringList{"", "", "255"} << 255 << QByteArray() << QByteArray();
        QTest::newRow("invalid UTF-8 kept as bytes")
            << QStringList{hex("a\xFF" "b"), hex(QByteArray("\0z", 2))} << 0 << QByteArray("a\xFF" "b") << QByteArray("\0z", 2);
    }
    void keepsStreamsApartAndWhole()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const Shell::DataResult result = Shell::runData(helper("write_hex"), arguments);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.stdoutData, out);
        QCOMPARE(result.stderrData, err);
    }

    void decodesEachStreamOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("multi-byte characters") << QByteArray("na\xC3\xAFve \xE2\x9C\x93\n") << QStringLiteral("na\u00EFve \u2713\n");
        QTest::newRow("one invalid byte") << QByteArray("valid until \xFF") << QString();
        QTest::newRow("sequence cut off at the end") << QByteArray("euro \xE2\x82") << QString();
        QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBFtext") << QStringLiteral("\uFEFFtext");
    }
    void decodesEachStreamOnItsOwn()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const Shell::TextResult result = Shell::run(helper("write_hex"), {hex(bytes), hex("fine\n"), "7"});
        QCOMPARE(result.exitCode, 7);
        QCOMPARE(result.stdout, text);
        QCOMPARE(result.stderr, QStringLiteral("fine\n"));
    }

    void passesArgumentsOneForOne_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("spaces") << QStringList{"two words", " leading", "trailing ", "  "};
        QTest::newRow("quotes and backslashes") << QStringList{"\"double\"", "'single'", "back\\slash", "it's"};
        QTest::newRow("empty strings") << QStringList{"", "between", ""};
        QTest::newRow("shell characters and options") << QStringList{"$HOME", "*", "; touch no", "`id`", "a|b>c", "--verbose=4", ":-"};
        QTest::newRow("non-ASCII") << QStringList{"na\u00EFve", "\u65E5\u672C", "\u201Cquoted\u201D"};
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

    void namesCaptureFilesForTheRun()
    {
#ifndef __linux__
        QSKIP("The helper reads where its streams lead through /proc.");
#endif
        const QRegularExpression name(QStringLiteral("^%1/veristamp-([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})-(stdout|stderr)$")
                                          .arg(QRegularExpression::escape(m_temp.path())));
        QStringList tokens;
        for (int run = 0; run < 2; ++run) {
            const QStringList paths = QString::fromUtf8(Shell::runData(helper("report_capture_paths"), {}).stdoutData)
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(paths.size(), 2);
            const auto out = name.match(paths.at(0));
            const auto err = name.match(paths.at(1));
            QVERIFY2(out.hasMatch() && out.captured(2) == "stdout", qPrintable(paths.at(0)));
            QVERIFY2(err.hasMatch() && err.captured(2) == "stderr", qPrintable(paths.at(1)));
            QCOMPARE(err.captured(1), out.captured(1));
            QVERIFY(!QFile::exists(paths.at(0)) && !QFile::exists(paths.at(1)));
            tokens << out.captured(1);
        }
        QVERIFY(tokens.at(0) != tokens.at(1));
    }

    void reportsAProgramThatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << m_temp.filePath("no-such-program") << "No such file or directory";
        QTest::newRow("not executable") << m_temp.filePath("plain-file") << "Permission denied";
        QTest::newRow("a folder") << m_temp.path() << "Permission denied";
        // A bare name is a file location relative to the working folder, never looked up on PATH.
        QTest::newRow("bare name on PATH") << "veristamp-helper-write_hex" << "No such file or directory";
    }
    void reportsAProgramThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        QFile plain(m_temp.filePath("plain-file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray(VERISTAMP_HELPER_DIR));
        const Shell::DataResult result = Shell::runData(program, {});
        qputenv("PATH", path);
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(QString::fromUtf8(result.stderrData),
                 QStringLiteral("The program \u201C%1\u201D could not be started: %2.").arg(program, reason));
    }

    void startsNothingWithoutCaptureFiles_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing folder") << m_temp.filePath("gone");
        QTest::newRow("a file in place of the folder") << m_temp.filePath("plain-file");
        QTest::newRow("a folder nobody may write, not even root") << "/proc";
    }
    void startsNothingWithoutCaptureFiles()
    {
        QFETCH(QString, folder);
        QFile plain(m_temp.filePath("plain-file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString marker = m_temp.filePath("started");
        QFile::remove(marker);
        qputenv("TMPDIR", QFile::encodeName(folder));
        const Shell::DataResult result = Shell::runData(helper("touch_marker"), {marker});
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(result.exitCode, -1);
        QCOMPARE(result.stdoutData, QByteArray());
        QCOMPARE(result.stderrData, kCaptureFailure);
        QCOMPARE(result.stderrData.size(), 58);
        QVERIFY(!QFile::exists(marker));
    }

    void reportsADeathBySignal_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("terminated") << int(SIGTERM) << "Terminated";
        QTest::newRow("killed") << int(SIGKILL) << "Killed";
    }
    void reportsADeathBySignal()
    {
        QFETCH(int, number);
        QFETCH(QString, description);
        const QString program = helper("raise_signal");
        const Shell::DataResult result = Shell::runData(program, {QString::number(number)});
        QCOMPARE(result.exitCode, 128 + number);
        QCOMPARE(QString::fromUtf8(result.stderrData),
                 QStringLiteral("dying\nThe program \u201C%1\u201D was ended by signal %2 (%3).")
                     .arg(program, QString::number(number), description));
    }

    void readsLargeOutputWhole()
    {
        const Shell::DataResult result = Shell::runData(helper("write_megabytes"), {"40", "8"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.stdoutData.size(), 40 << 20);
        QCOMPARE(result.stderrData.size(), 8 << 20);
        for (const QByteArray *stream : {&result.stdoutData, &result.stderrData}) {
            for (qsizetype i = 0; i < stream->size(); i += 4093)
                QCOMPARE(static_cast<unsigned char>(stream->at(i)), static_cast<unsigned char>(i % 251));
            QCOMPARE(static_cast<unsigned char>(stream->back()), static_cast<unsigned char>((stream->size() - 1) % 251));
        }
    }

    // What a capture file finds at its path stays as it was: a link planted in
    // a shared temporary folder neither redirects output nor gets deleted.
    void captureFileTakesNothingOver_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("link to nothing") << "dangling";
        QTest::newRow("regular file") << "file";
    }
    void captureFileTakesNothingOver()
    {
        QFETCH(QString, planted);
        QTemporaryDir folder;
        const QString path = folder.filePath("veristamp-planted-stdout");
        const QString target = folder.filePath("target");
        if (planted != "dangling") {
            QFile file(planted == "file" ? path : target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep");
        }
        if (planted != "file")
            QVERIFY(QFile::link(target, path));
        {
            CaptureFile capture(path);
            QVERIFY(!capture.isOpen());
        }
        QCOMPARE(QFileInfo(path).isSymLink(), planted != "file");
        QCOMPARE(QFile::exists(target), planted == "link");
        QFile kept(planted == "file" ? path : target);
        if (planted != "dangling") {
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("keep"));
        }
    }

    void captureFileIsPrivateAndGoesWithItsOwner()
    {
        const QString path = m_temp.filePath("veristamp-own-stdout");
        {
            CaptureFile capture(path);
            QVERIFY(capture.isOpen());
            struct stat info {};
            QCOMPARE(::fstat(capture.fd(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0600));
            QCOMPARE(::write(capture.fd(), "abc", 3), ssize_t(3));
            QCOMPARE(capture.readAll(), QByteArray("abc"));
        }
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(ShellTest)
#include "shell_test.moc"
