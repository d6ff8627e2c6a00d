// The results screen and its save button, drawn offscreen; the platform's
// save panel and alert; where the screens' text may wrap.

#include "test_files.h"
#include "window_harness.h"

#include "engine/check_catalog.h"
#include "report/report_text.h"
#include "ui/saving/release_report_saver.h"
#include "ui/saving/report_dialogs.h"
#include "ui/style/text_balance.h"
#include "ui/views/entitlements_display.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QQuickTextDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

Q_DECLARE_METATYPE(InspectionResult)
Q_DECLARE_METATYPE(std::optional<ForecastAttempt>)

namespace {

using S = CheckStatus;

QList<InspectionCheck> checks(std::initializer_list<CheckStatus> statuses)
{
    QList<InspectionCheck> made;
    for (CheckStatus status : statuses)
        made.append(makeCheck(Checks::codeSignature, status, "The code is signed.\nBy Jane Doe."));
    return made;
}

const QString plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                      "\t<key>com.apple.security.app-sandbox</key>\n\t<true/>\n</dict>\n</plist>\n\n  <tail> & more\n";

// An image whose own checks pass, with its packaged app.
InspectionResult diskImage(const QList<InspectionCheck> &appChecks, const QString &entitlements = {})
{
    return {QUrl::fromLocalFile("/Users/dana/Release/Harbor-2.4.1.DMG"), 1'234'567'890,
            DiskImageInspection{"Harbor-2.4.1", checks({S::pass, S::pass}),
                                AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", {}, {}, {}, appChecks,
                                                  entitlements}}};
}

// The save dialog opens a little before midnight.
const QDateTime moment(QDate(2023, 12, 31), QTime(23, 59, 30), Qt::OffsetFromUTC, 3600);

const QByteArray resultsWindow = R"(import QtQuick; import Veristamp
Window { width: 920; height: 700; visible: true
    ContentViewState { id: viewState; objectName: "viewState" }
    Flickable { anchors.fill: parent; contentHeight: results.height
        ResultsView { id: results; objectName: "resultsView"; width: parent.width; viewState: viewState } } })";

// The visible items below root whose object name starts with prefix, in tree order.
QList<QQuickItem *> named(QQuickItem *root, const QString &prefix)
{
    QList<QQuickItem *> found;
    for (QQuickItem *child : root ? root->childItems() : found) {
        if (child->isVisible() && child->objectName().startsWith(prefix))
            found << child;
        found << named(child, prefix);
    }
    return found;
}

QString textOf(QQuickItem *root, const QString &name)
{
    for (QQuickItem *item : named(root, name))
        if (item->objectName() == name)
            return item->property("text").toString();
    return "<missing>";
}

// "TITLE rows" of each section, counting the rows whose names start with the prefixes given.
QStringList sections(QQuickItem *results, const QStringList &rowPrefixes)
{
    QStringList shown;
    for (QQuickItem *section : named(results, "section:")) {
        qsizetype rows = 0;
        for (const QString &prefix : rowPrefixes)
            rows += named(section, prefix).size();
        shown << QString("%1 %2").arg(textOf(section, "sectionTitle")).arg(rows);
    }
    return shown;
}

// The badges of the check rows.
QStringList badges(QQuickItem *results)
{
    QStringList shown;
    for (QQuickItem *row : named(results, "check:"))
        shown << textOf(row, "checkBadge");
    return shown;
}

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

class UiResultsTest : public QObject {
    Q_OBJECT

    std::optional<WindowHarness> m_harness;
    QQuickItem *m_results = nullptr;
    ReleaseReportSaver *m_saver = nullptr;
    FakeSaveDialogs m_dialogs;

    void show(const InspectionResult &result, const std::optional<ForecastAttempt> &forecast = std::nullopt)
    {
        m_harness->state()->inspectionView()->setResult(result, forecast);
        m_harness->window()->grabWindow(); // the layouts settle
    }
    QString saveButtonShown()
    {
        return textOf(m_results, "saveReportButton") + (m_harness->item("saveReportButton")->isEnabled() ? "" : " disabled");
    }

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    void init()
    {
        m_harness.emplace(resultsWindow);
        QVERIFY(QTest::qWaitForWindowExposed(m_harness->window()));
        m_results = m_harness->item("resultsView");
        m_saver = m_harness->window()->findChild<ReleaseReportSaver *>("releaseReportSaver");
        m_dialogs = FakeSaveDialogs{};
        m_saver->setDialogs(&m_dialogs);
    }

    // The sections with their rows, some facts, the verdict, the tallies and the check rows a result gets.
    void resultScreen_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QString>("sections"); // "TITLE rows", rows of facts, checks or entitlements
        QTest::addColumn<QString>("facts");    // "Label: value", some of the facts shown
        QTest::addColumn<QString>("verdict");  // the pass, warn and fail tiles, the tally line
        QTest::addColumn<QString>("badges");   // of the check rows

        const QString app = "PACKAGE 4, APPLICATION METADATA 5, RELEASE PREFLIGHT ";
        const QUrl harbor = QUrl::fromLocalFile("/Users/dana/Builds/Harbor Lights.app");
        const InspectionResult full{harbor, 48'213'504,
                                    AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", "241", "13.0",
                                                  "Harbor Lights", checks({S::pass, S::pass, S::pending}), plist}};
        const InspectionResult bare{harbor, 0, AppInspection{"Harbor Lights", {}, {}, {}, {}, {},
                                                             checks({S::pass, S::warning}), {}}};
        QTest::newRow("application with entitlements, a pending check asks for review")
            << full << app + "3, ENTITLEMENTS 1" << "Version: 2.4.1; Size: 48.2 MB"
            << "REVIEW BEFORE SHIPPING 2 0 0, 2 pass \u2022 0 warn \u2022 0 fail"
            << "PASS PASS NEXT";
        QTest::newRow("application without entitlements or metadata, a warning")
            << bare << app + "2" << "Bundle Identifier: Not found; Build: Not found; Minimum macOS: Not declared"
            << "REVIEW BEFORE SHIPPING 1 1 0, 1 pass \u2022 1 warn \u2022 0 fail" << "PASS WARN";
        QTest::newRow("disk image whose packaged app, without entitlements, alone fails")
            << diskImage(checks({S::warning, S::fail}))
            << "PACKAGE 4, DMG PREFLIGHT 2, PACKAGED APP 4, PACKAGED APP PREFLIGHT 2"
            << "App: Harbor Lights; Build: Not found" << "DO NOT SHIP 2 1 1, 2 pass \u2022 1 warn \u2022 1 fail"
            << "PASS PASS WARN FAIL";
    }

    void resultScreen()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QString, facts);
        show(result);

        QTEST(sections(m_results, {"fact:", "check:", "entitlementsBlock"}).join(", "), "sections");
        QStringList shownFacts;
        for (QQuickItem *row : named(m_results, "fact:"))
            shownFacts.append(textOf(row, "factLabel") + ": " + textOf(row, "factValue"));
        for (const QString &fact : facts.split("; "))
            QVERIFY2(shownFacts.contains(fact), qPrintable(fact));
        if (QQuickItem *block = named(m_results, "entitlementsText").value(0)) { // every line, blank ones included
            const QString shownText = block->property("textDocument").value<QQuickTextDocument *>()->textDocument()->toPlainText();
            QCOMPARE(entitlementsCopiedText(shownText), plist);
            QCOMPARE(QAccessible::queryAccessibleInterface(block)->text(QAccessible::Description), plist);
        }

        QStringList counts;
        for (const char *tile : {"tallyTilePASS", "tallyTileWARN", "tallyTileFAIL"})
            counts << textOf(named(m_results, tile).value(0), "tallyCount");
        QTEST(textOf(m_results, "verdictTitle") + ' ' + counts.join(' ') + ", " + textOf(m_results, "tallyLine"), "verdict");
        for (QQuickItem *row : named(m_results, "check:"))
            QCOMPARE(textOf(row, "checkDetail"), "The code is signed.\nBy Jane Doe.");
        QTEST(badges(m_results).join(' '), "badges");
        // The window's own tools replay recorded answers exactly when the run asks for it.
        const QList<QQuickItem *> notices = m_results->findChildren<QQuickItem *>("recordedAnswersNotice");
        QCOMPARE(!notices.isEmpty() && notices.first()->isVisible(), qgetenv("VERISTAMP_REPLAY_RECORDS") == "1");
    }

    // The forecast's sections after the result's own: its status, each issue
    // as it is read aloud, each piece of code, and every row a Tab stop.
    void forecastSection_data()
    {
        QTest::addColumn<std::optional<ForecastAttempt>>("forecast");
        QTest::addColumn<QString>("sections"); // after the application's own
        QTest::addColumn<QString>("status");   // title, badge
        QTest::addColumn<QStringList>("rows"); // accessible names of the issue and code rows, in Tab order

        const QString exe = "Harbor.app/Contents/MacOS/Harbor";
        const QString framework = "Harbor.app/Contents/Frameworks/Kit.framework/Versions/A/Kit";
        NotaryForecast invalid{{{"error", exe, "The executable does not have the hardened runtime enabled.", "arm64",
                                 "Sign it again with --options runtime."},
                                {"warning", framework, "The library is signed by another team.", "",
                                 "Sign it with your own team."}},
                               {{exe, {"arm64", "x86_64"}, {"Developer ID", "Developer ID"}},
                                {framework, {"arm64", "x86_64"}, {"none", "Developer ID"}},
                                {"Harbor.app/Contents/Resources/broken.dylib", {}, {}}}};
        QTest::newRow("an error and a warning, then the code read")
            << std::optional(ForecastAttempt{invalid}) << "NOTARY FORECAST 3, NESTED CODE 3" << "Invalid FAIL"
            << QStringList{"Error. " + exe + ", arm64. The executable does not have the hardened runtime enabled. "
                           "Fix: Sign it again with --options runtime.",
                           "Warning. " + framework + ". The library is signed by another team. Fix: Sign it with your own team.",
                           exe + ": arm64 and x86_64, Developer ID.",
                           framework + ": arm64 and x86_64, arm64: Not signed, x86_64: Developer ID.",
                           "Harbor.app/Contents/Resources/broken.dylib: Not read, Damaged file."};
        QTest::newRow("accepted without issues")
            << std::optional(ForecastAttempt{NotaryForecast{{}, {{exe, {"arm64"}, {"Developer ID"}}}}})
            << "NOTARY FORECAST 1, NESTED CODE 1" << "Accepted PASS" << QStringList{exe + ": arm64, Developer ID."};
        QTest::newRow("accepted, with no code at all")
            << std::optional(ForecastAttempt{NotaryForecast{}}) << "NOTARY FORECAST 1" << "Accepted PASS" << QStringList{};
        QTest::newRow("the code could not be read")
            << std::optional(ForecastAttempt{}) << "NOTARY FORECAST 1" << "No forecast WARN" << QStringList{};
        QTest::newRow("no forecast asked for") << std::optional<ForecastAttempt>() << "" << "" << QStringList{};
    }

    void forecastSection()
    {
        QFETCH(std::optional<ForecastAttempt>, forecast);
        QFETCH(QStringList, rows);
        show({QUrl::fromLocalFile("/tmp/Harbor.app"), 1, AppInspection{"Harbor", {}, {}, {}, {}, {}, checks({S::pass}), {}}},
             forecast);

        QTEST(sections(m_results, {"check:", "forecastIssue:", "nestedCode:"}).mid(3).join(", "), "sections");
        QStringList status;
        if (QQuickItem *section = named(m_results, "section:NOTARY FORECAST").value(0))
            status << textOf(section, "checkTitle") << textOf(section, "checkBadge");
        QTEST(status.join(' '), "status");

        QAccessible::setActive(true);
        QStringList reached;
        m_harness->item("verdictBanner")->forceActiveFocus();
        for (int tabs = 0; tabs < 12; ++tabs) {
            QTest::keyClick(m_harness->window(), Qt::Key_Tab);
            QQuickItem *focused = m_harness->window()->activeFocusItem();
            if (focused->objectName().startsWith("forecastIssue:") || focused->objectName().startsWith("nestedCode:"))
                reached << QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name);
        }
        QCOMPARE(reached.mid(0, rows.size()), rows);
        QCOMPARE(QSet<QString>(reached.begin(), reached.end()).size(), rows.size()); // no other row is a stop
    }

    // "h" a warning this host could not decide, "w" a real one, "p" a pass, "f" a failure.
    void hostLimits_data()
    {
        QTest::addColumn<QString>("checks");
        QTest::addColumn<QString>("badges");
        QTest::addColumn<QString>("summary");
        const QString review = "No blocking failures were found, but one or more items should be reviewed.";
        const QString hostOnly = "No defects were found; the only warnings are checks this host cannot decide. "
                                 "Check the package on a Mac before shipping.";
        QTest::newRow("only host limits warn") << "phh" << "PASS|ON A MAC|ON A MAC" << hostOnly;
        QTest::newRow("a real warning beside a host limit") << "phw" << "PASS|ON A MAC|WARN" << review;
        QTest::newRow("no warnings at all") << "pp" << "PASS|PASS" << "All release checks passed.";
    }

    void hostLimits()
    {
        QFETCH(QString, checks);
        QList<InspectionCheck> made;
        for (QChar kind : checks) {
            const CheckStatus status = kind == 'p' ? S::pass : kind == 'f' ? S::fail : S::warning;
            made.append(makeCheck(Checks::gatekeeperAssessment, status, "Detail."));
            made.last().decidedOnHost = kind != 'h';
        }
        show({QUrl::fromLocalFile("/tmp/Harbor.app"), 1, AppInspection{"Harbor", {}, {}, {}, {}, {}, made, {}}});
        QTEST(badges(m_results).join('|'), "badges");
        QTEST(textOf(m_results, "verdictSummary"), "summary");
    }

    void saveFlow_data()
    {
        QTest::addColumn<QString>("answer"); // the chosen file, empty for a cancel
        QTest::newRow("cancelled") << "";
        QTest::newRow("failed write") << "plain-file/report.txt";
        QTest::newRow("replaces an existing file") << "report.txt";
        QTest::newRow("over the package being checked") << "Harbor-2.4.1.DMG";
    }

    // The name carries the time the dialog opened, the report the time the save
    // was confirmed (after midnight). A failed write is shown once, naming the
    // path, and leaves no file behind; only a saved report changes the button.
    void saveFlow()
    {
        QFETCH(QString, answer);
        const bool saves = answer == "report.txt";
        QTemporaryDir folder;
        const QString existing = folder.filePath("report.txt"); // the save replaces it: it is read again by its name
        QVERIFY(writeAll(folder.filePath("plain-file"), {}) && writeAll(existing, QByteArray(20'000, 'x')));
        const QDateTime confirmed(QDate(2024, 1, 1), QTime(0, 0, 5), Qt::OffsetFromUTC, 3600);
        m_saver->setClock([readings = QList{moment, confirmed}]() mutable { return readings.takeFirst(); });
        InspectionResult result = diskImage(checks({S::warning}), plist);
        result.url = QUrl::fromLocalFile(folder.filePath("Harbor-2.4.1.DMG"));
        show(result);
        m_dialogs.answer = answer.isEmpty() ? std::nullopt : std::optional(folder.filePath(answer));
        QVERIFY(writeAll(folder.filePath("Harbor-2.4.1.DMG"), {}));
        const QString unsaved = QString::fromUtf8("Save Release Report\u2026");
        QCOMPARE(saveButtonShown(), unsaved);
        QTest::mouseClick(m_harness->window(), Qt::LeftButton, {},
                          WindowHarness::centreOf(m_harness->item("saveReportButton")).toPoint());
        QCOMPARE(m_dialogs.proposedNames, QStringList{"Harbor-2.4.1-Veristamp-2023-12-31-2359.txt"});
        QCOMPARE(m_dialogs.failures.size(), answer.contains('/') || answer.endsWith(".DMG") ? 1 : 0);
        if (answer.startsWith("plain-file"))
            QVERIFY2(m_dialogs.failures.first().contains(*m_dialogs.answer), qPrintable(m_dialogs.failures.first()));
        if (answer.endsWith(".DMG"))
            QCOMPARE(m_dialogs.failures.first(),
                     QString::fromUtf8("The chosen location is inside \u201CHarbor-2.4.1.DMG\u201D, the package being "
                                       "checked. Writing the report there would change the package and break its code "
                                       "signature. Choose a folder outside it."));
        QCOMPARE(saveButtonShown(), saves ? "Saved disabled" : unsaved);
        QCOMPARE(readAll(existing), saves ? releaseReportText(result, confirmed).toUtf8() : QByteArray(20'000, 'x'));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"Harbor-2.4.1.DMG", "plain-file", "report.txt"}));
        QCOMPARE(QFileInfo(folder.filePath("Harbor-2.4.1.DMG")).size(), 0);
    }

    // Shown for real and answered as soon as they are up.
    void platformDialogsShowTheFixedTexts()
    {
        WidgetReportSaveDialogs dialogs;
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto *panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            shown << panel->windowTitle() << panel->labelText(QFileDialog::Accept);
            panel->reject();
        });
        QCOMPARE(dialogs.chooseReportLocation("Name.txt"), std::nullopt);
        QTimer::singleShot(0, this, [&] {
            auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown << alert->text() << alert->informativeText() << alert->buttons().value(0)->text();
            alert->buttons().value(0)->click();
        });
        dialogs.showSaveFailure("The disk is full.");
        QCOMPARE(shown, (QStringList{"Save Veristamp Release Report", "Save Report",
                                     "The release report could not be saved.", "The disk is full.", "OK"}));
    }

    // Where text may wrap: the entitlements only after white space or between
    // two tags, copied back as signed; centred text balanced.
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

QTEST_MAIN(UiResultsTest)
#include "ui_results_test.moc"
