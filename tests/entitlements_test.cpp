#include "engine/entitlements.h"

#include <QTest>

namespace {

QString plistOf(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
                          "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n")
        + body + QStringLiteral("\n</plist>\n");
}

QString dictOf(const QString &entries)
{
    return plistOf(QStringLiteral("<dict>\n") + entries + QStringLiteral("</dict>"));
}

} // namespace

class EntitlementsTest : public QObject {
    Q_OBJECT

private slots:
    void extractsThePropertyList_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Executable= between white space") << QStringLiteral("\n  Executable=\n\t") << QString();
        QTest::newRow("Executable= with a path is kept")
            << QStringLiteral("Executable=/A.app/Contents/MacOS/A\n")
            << QStringLiteral("Executable=/A.app/Contents/MacOS/A");
        QTest::newRow("warning before the XML header")
            << QStringLiteral("warning: Specifying ':' in the path is deprecated\n<?xml version=\"1.0\"?><plist/>\n")
            << QStringLiteral("<?xml version=\"1.0\"?><plist/>");
        QTest::newRow("doctype without XML header")
            << QStringLiteral("Executable=/x\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>")
            << QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>");
        QTest::newRow("bare plist element") << QStringLiteral("Executable=/x\n<plist version=\"1.0\"><dict/></plist>")
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

    // Whatever the text, reading it ends in an answer, never in a crash.
    void decidesWhetherAKeyIsEnabled_data()
    {
        QTest::addColumn<QString>("entitlements");
        QTest::addColumn<bool>("enabled");

        const QString key = QStringLiteral("<key>com.apple.security.get-task-allow</key>");
        QTest::newRow("true") << dictOf(key + "<true/>\n") << true;
        QTest::newRow("false") << dictOf(key + "<false/>\n") << false;
        QTest::newRow("missing key") << dictOf("<key>com.apple.security.app-sandbox</key><true/>\n") << false;
        QTest::newRow("text true is not a boolean") << dictOf(key + "<string>true</string>\n") << false;
        QTest::newRow("key only inside a nested dictionary") << dictOf("<key>n</key><dict>" + key + "<true/></dict>\n")
                                                             << false;
        QTest::newRow("root is an array") << plistOf("<array><true/></array>") << false;
        QTest::newRow("after 8 MiB of other text")
            << dictOf("<key>filler</key><string>" + QString(8 << 20, 'x') + "</string>\n" + key + "<true/>\n") << true;
        QTest::newRow("non-XML listing")
            << QStringLiteral("[Dict]\n\t[Key] com.apple.security.get-task-allow\n\t[Value]\n\t\t[Bool] true\n")
            << false;
        QTest::newRow("unterminated dictionary") << "<plist><dict>" + key + "<true/>" << false;
        QTest::newRow("undefined entity") << dictOf(key.chopped(6) + "&bogus;</key><true/>") << false;
        QTest::newRow("nesting too deep to convert")
            << dictOf("<key>deep</key>" + QString("<array>").repeated(100000) + QString("</array>").repeated(100000))
            << false;
        QTest::newRow("unterminated deep nesting") << "<plist>" + QString("<array>").repeated(100000) << false;
    }
    void decidesWhetherAKeyIsEnabled()
    {
        QFETCH(QString, entitlements);
        QFETCH(bool, enabled);
        QCOMPARE(isEntitlementEnabled(QStringLiteral("com.apple.security.get-task-allow"), entitlements), enabled);
    }
};

QTEST_GUILESS_MAIN(EntitlementsTest)
#include "entitlements_test.moc"
