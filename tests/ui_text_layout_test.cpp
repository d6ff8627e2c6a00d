// Where text may wrap: the entitlements only after white space or between
// two tags, copied back as signed; centred text balanced.

#include "ui/style/text_balance.h"
#include "ui/views/entitlements_display.h"

#include <QGuiApplication>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QFontMetricsF>

namespace {

// The displayed text cut at every place a line may break, joined by "|",
// without the invisible characters that steer the breaks.
QString breakable(const QString &entitlements)
{
    const QString shown = entitlementsDisplayText(entitlements);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, shown);
    QStringList pieces;
    qsizetype from = 0;
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        pieces << entitlementsCopiedText(shown.mid(from, at - from));
        from = at;
    }
    return pieces.join('|');
}

} // namespace

class UiTextLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void entitlementsBreaks_data()
    {
        QTest::addColumn<QString>("entitlements");
        QTest::addColumn<QString>("pieces");

        QTest::newRow("compact XML breaks between tags only")
            << "<dict><key>com.apple.security.app-sandbox</key><true/></dict>"
            << "<dict>|<key>com.apple.security.app-sandbox</key>|<true/>|</dict>";
        QTest::newRow("tab-indented lines")
            << "<dict>\n\t<key>com.apple.security.cs.allow-jit</key>\n\t<true/>\n"
            << "<dict>\n|\t|<key>com.apple.security.cs.allow-jit</key>\n|\t|<true/>\n";
        QTest::newRow("text between tags breaks at its spaces")
            << "<string>a path/with-parts and (words)</string>"
            << "<string>a |path/with-parts |and |(words)</string>";
    }

    void entitlementsBreaks()
    {
        QFETCH(QString, entitlements);
        QTEST(breakable(entitlements), "pieces");
        QCOMPARE(entitlementsCopiedText(entitlementsDisplayText(entitlements)), entitlements);
    }

    // Two lines of about half the text's length each, not a full line and an orphan.
    void centredTextIsBalanced()
    {
        const QString footnote = "Each stage turns green as it passes. Veristamp remains responsive while the "
                                 "release package is inspected.";
        QFont font;
        font.setPixelSize(12);
        const qreal half = QFontMetricsF(font).horizontalAdvance(footnote) / 2;
        QCOMPARE_LT(qAbs(balancedTextWidth(footnote, font, 570) - half), half / 8);
        QCOMPARE(balancedTextWidth(footnote, font, 0), 0.0);
    }
};

QTEST_MAIN(UiTextLayoutTest)
#include "ui_text_layout_test.moc"
