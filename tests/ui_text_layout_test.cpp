// Where text may wrap: the entitlements only after white space or between
// two tags, copied back as signed; centred text balanced, with no word alone
// on its last line.

#include "ui/entitlements_display.h"
#include "ui/text_balance.h"

#include <QGuiApplication>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTextLayout>

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

QStringList laidOutLines(const QString &text, const QFont &font, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
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
        QFETCH(QString, pieces);
        QCOMPARE(breakable(entitlements), pieces);
        QCOMPARE(entitlementsCopiedText(entitlementsDisplayText(entitlements)), entitlements);
    }

    void centredTextIsBalanced()
    {
        const QString footnote = "Each stage turns green as it passes. Veristamp remains responsive while the "
                                 "release package is inspected.";
        QFont font;
        font.setPixelSize(12);
        const QStringList full = laidOutLines(footnote, font, 570);
        const QStringList balanced = laidOutLines(footnote, font, balancedTextWidth(footnote, font, 570));
        QCOMPARE(balanced.size(), full.size());
        QVERIFY2(full.size() == 1 || balanced.last().count(' ') >= full.first().count(' ') / 2,
                 qPrintable(balanced.join(" / ")));
        QCOMPARE(balancedTextWidth(footnote, font, 0), 0.0);
    }
};

QTEST_MAIN(UiTextLayoutTest)
#include "ui_text_layout_test.moc"
