#include "engine/entitlements.h"

#include <QTest>

namespace {

const QString kXmlHeader = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n");

QString plistOf(const QString &body)
{
    return kXmlHeader + QStringLiteral("<plist version=\"1.0\">\n") + body + QStringLiteral("\n</plist>\n");
}

QString dictOf(const QString &entries)
{
    return plistOf(QStringLiteral("<dict>\n") + entries + QStringLiteral("</dict>"));
}

const QString kGetTaskAllow = QStringLiteral("com.apple.security.get-task-allow");

} // namespace

class EntitlementsTest : public QObject {
    Q_OBJECT

private slots:
    void extractsThePropertyList_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");

        QTest::newRow("nothing printed") << QString() << QString();
        QTest::newRow("white space and newlines only") << QStringLiteral(" \n\t\r\n ") << QString();
        QTest::newRow("bare Executable= header") << QStringLiteral("Executable=") << QString();
        QTest::newRow("Executable= between newlines") << QStringLiteral("\n  Executable=\n") << QString();
        QTest::newRow("Executable= with a path is kept")
            << QStringLiteral("Executable=/Applications/Example.app/Contents/MacOS/Example\n")
            << QStringLiteral("Executable=/Applications/Example.app/Contents/MacOS/Example");
        QTest::newRow("warning before the XML header")
            << QStringLiteral("warning: Specifying ':' in the path is deprecated\n<?xml version=\"1.0\"?><plist/>\n")
            << QStringLiteral("<?xml version=\"1.0\"?><plist/>");
        QTest::newRow("doctype without XML header")
            << QStringLiteral("Executable=/x\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>")
            << QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>");
        QTest::newRow("bare plist element")
            << QStringLiteral("Executable=/x\n<plist version=\"1.0\"><dict/></plist>")
            << QStringLiteral("<plist version=\"1.0\"><dict/></plist>");
        QTest::newRow("XML header wins over an earlier plist element")
            << QStringLiteral("<plist> noise <?xml version=\"1.0\"?><plist/>")
            << QStringLiteral("<?xml version=\"1.0\"?><plist/>");
        QTest::newRow("markers are case-sensitive")
            << QStringLiteral("  [Dict] <PLIST> <?XML  ") << QStringLiteral("[Dict] <PLIST> <?XML");
    }
    void extractsThePropertyList()
    {
        QFETCH(QString, output);
        QFETCH(QString, expected);
        QCOMPARE(extractEntitlementsPlist(output), expected);
    }

    void decidesWhetherAKeyIsEnabled_data()
    {
        QTest::addColumn<QString>("entitlements");
        QTest::addColumn<bool>("enabled");

        const QString key = QStringLiteral("<key>com.apple.security.get-task-allow</key>");
        QTest::newRow("true") << dictOf(key + QStringLiteral("<true/>\n")) << true;
        QTest::newRow("false") << dictOf(key + QStringLiteral("<false/>\n")) << false;
        QTest::newRow("missing key")
            << dictOf(QStringLiteral("<key>com.apple.security.app-sandbox</key><true/>\n")) << false;
        QTest::newRow("text true is not a boolean") << dictOf(key + QStringLiteral("<string>true</string>\n")) << false;
        QTest::newRow("integer 1 is not a boolean") << dictOf(key + QStringLiteral("<integer>1</integer>\n")) << false;
        QTest::newRow("key only inside a nested dictionary")
            << dictOf(QStringLiteral("<key>nested</key><dict>") + key + QStringLiteral("<true/></dict>\n")) << false;
        QTest::newRow("root is an array") << plistOf(QStringLiteral("<array><true/></array>")) << false;
        QTest::newRow("one-line compact form")
            << QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
                              "1.0//EN\" \"https://www.apple.com/DTDs/PropertyList-1.0.dtd\"><plist version=\"1.0\">"
                              "<dict><key>com.apple.security.get-task-allow</key><true/></dict></plist>")
            << true;
        QTest::newRow("empty text") << QString() << false;
        QTest::newRow("after 8 MiB of other text")
            << dictOf(QStringLiteral("<key>filler</key><string>") + QString(8 << 20, QLatin1Char('x'))
                      + QStringLiteral("</string>\n") + key + QStringLiteral("<true/>\n"))
            << true;
    }
    void decidesWhetherAKeyIsEnabled()
    {
        QFETCH(QString, entitlements);
        QFETCH(bool, enabled);
        QCOMPARE(isEntitlementEnabled(kGetTaskAllow, entitlements), enabled);
    }

    // Whatever codesign prints, reading it must end in "not enabled", never in a crash.
    void unreadableTextFindsNoKey_data()
    {
        QTest::addColumn<QString>("entitlements");

        QTest::newRow("Executable= header") << QStringLiteral("Executable=");
        QTest::newRow("codesign warning")
            << QStringLiteral("Warning: binary contains an invalid entitlements blob. The OS will ignore these entitlements.");
        QTest::newRow("non-XML listing")
            << QStringLiteral("[Dict]\n\t[Key] com.apple.security.get-task-allow\n\t[Value]\n\t\t[Bool] true\n");
        QTest::newRow("JSON") << QStringLiteral("{\"com.apple.security.get-task-allow\": true}");
        QTest::newRow("unterminated dictionary")
            << QStringLiteral("<plist><dict><key>com.apple.security.get-task-allow</key><true/>");
        QTest::newRow("value without key") << plistOf(QStringLiteral("<dict><true/></dict>"));
        QTest::newRow("undefined entity")
            << dictOf(QStringLiteral("<key>com.apple.security.get-task-allow&bogus;</key><true/>"));
        QTest::newRow("8 MiB of junk") << QString(8 << 20, QLatin1Char('A'));
        QTest::newRow("nesting too deep to convert")
            << dictOf(QStringLiteral("<key>deep</key>") + QStringLiteral("<array>").repeated(100000)
                      + QStringLiteral("</array>").repeated(100000));
        QTest::newRow("unterminated deep nesting")
            << QStringLiteral("<plist>") + QStringLiteral("<array>").repeated(100000);
    }
    void unreadableTextFindsNoKey()
    {
        QFETCH(QString, entitlements);
        QVERIFY(!isEntitlementEnabled(kGetTaskAllow, entitlements));
    }
};

QTEST_GUILESS_MAIN(EntitlementsTest)
#include "entitlements_test.moc"
