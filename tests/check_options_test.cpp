// The command line of veristamp-check: what it accepts and the exact reason it refuses.

#include "cli/check_options.h"

#include <QTest>

class CheckOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("unknown option") << QStringList{"--fast", "A.app"} << "unknown option --fast";
        QTest::newRow("unknown option with a value") << QStringList{"A.app", "--fast=1"} << "unknown option --fast=1";
        QTest::newRow("unknown letter in a cluster") << QStringList{"-hx", "A.app"} << "unknown option -hx";
        QTest::newRow("value for a switch") << QStringList{"--release-set=yes", "A.app"} << "unknown option --release-set=yes";
        QTest::newRow("folder missing") << QStringList{"A.app", "--output-dir"} << "--output-dir needs a folder";
        QTest::newRow("folder empty") << QStringList{"--output-dir=", "A.app"} << "--output-dir needs a folder";
        QTest::newRow("format missing") << QStringList{"A.app", "--format"} << "--format needs text, json or junit";
        QTest::newRow("format unknown") << QStringList{"--format", "xml", "A.app"} << "unknown format xml (text, json or junit)";
        QTest::newRow("no package") << QStringList{"--output-dir", "out"} << "no package given";
        QTest::newRow("values and packages that look like options")
            << QStringList{"--output-dir", "-d", "--format=junit", "--", "-x.app", "-"} << "junit out=-d: -x.app -";
        QTest::newRow("options after packages") << QStringList{"A.app", "--release-set", "B.dmg", "--format", "json"}
                                                << "json set: A.app B.dmg";
        QTest::newRow("help") << QStringList{"-h"} << "text help: ";
        QTest::newRow("version") << QStringList{"--version"} << "text version: ";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, outcome);
        const ParsedCheckOptions parsed = parseCheckOptions(arguments);
        if (!parsed.options) {
            QCOMPARE(parsed.error, outcome);
            return;
        }
        const CheckOptions &o = *parsed.options;
        const QString settings = QStringList{"text", "json", "junit"}.at(int(o.format)) + (o.releaseSet ? " set" : "")
            + (o.outputDir ? " out=" + *o.outputDir : "") + (o.showHelp ? " help" : "") + (o.showVersion ? " version" : "");
        QCOMPARE(settings + ": " + o.packages.join(' '), outcome);
    }
};

QTEST_GUILESS_MAIN(CheckOptionsTest)
#include "check_options_test.moc"
