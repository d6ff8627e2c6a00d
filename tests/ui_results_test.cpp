// The results screen, its save button and the About sheet, drawn offscreen:
// which sections and rows a result gets, the verdict's words, symbols and
// colours, the save flow through answering dialogs, and how the About sheet
// opens and closes.

#include "report/report_file_name.h"
#include "report/report_text.h"
#include "ui/app_commands.h"
#include "ui/app_version.h"
#include "ui/content_view_state.h"
#include "ui/engine_setup.h"
#include "ui/release_report_saver.h"
#include "ui/status_palette.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickTextDocument>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QtQml/qqmlextensionplugin.h>

#include <functional>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

Q_DECLARE_METATYPE(InspectionResult)
Q_DECLARE_METATYPE(CheckStatus)

namespace {

// ---- results to show ------------------------------------------------------

InspectionCheck check(CheckStatus status, const QString &title = QStringLiteral("Code signature"))
{
    return makeCheck(title, status, QStringLiteral("The application passed codesign verification."));
}

QList<InspectionCheck> checks(std::initializer_list<CheckStatus> statuses)
{
    QList<InspectionCheck> made;
    for (CheckStatus status : statuses)
        made.append(check(status));
    return made;
}

const QString plist = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                     "\t<key>com.apple.security.app-sandbox</key>\n\t<true/>\n</dict>\n</plist>");

InspectionResult application(const QString &entitlements = plist)
{
    InspectionResult made;
    made.url = QUrl::fromLocalFile(QStringLiteral("/Users/dana/Builds/Harbor Lights.app"));
    made.kind = PackageKind::application;
    made.displayName = QStringLiteral("Harbor Lights");
    made.byteSize = 48'213'504;
    made.bundleIdentifier = QStringLiteral("com.example.harborlights");
    made.shortVersion = QStringLiteral("2.4.1");
    made.buildVersion = QStringLiteral("241");
    made.minimumSystemVersion = QStringLiteral("13.0");
    made.executableName = QStringLiteral("Harbor Lights");
    made.checks = checks({CheckStatus::pass, CheckStatus::pass, CheckStatus::pass, CheckStatus::pass, CheckStatus::pass});
    made.entitlements = entitlements;
    return made;
}

EmbeddedAppResult embeddedApp(const QString &entitlements, QList<InspectionCheck> appChecks)
{
    return EmbeddedAppResult{QStringLiteral("Harbor Lights"), QStringLiteral("com.example.harborlights"),
                             QStringLiteral("2.4.1"), std::nullopt, std::move(appChecks), entitlements};
}

InspectionResult diskImage(std::optional<EmbeddedAppResult> app = std::nullopt)
{
    InspectionResult made;
    made.url = QUrl::fromLocalFile(QStringLiteral("/Users/dana/Release/Harbor-2.4.1.DMG"));
    made.kind = PackageKind::diskImage;
    made.displayName = QStringLiteral("Harbor-2.4.1");
    made.byteSize = 1'234'567'890;
    made.checks = checks({CheckStatus::pass, CheckStatus::pass, CheckStatus::pass, CheckStatus::pass});
    made.embeddedApp = std::move(app);
    return made;
}

InspectionResult withChecks(InspectionResult result, QList<InspectionCheck> resultChecks)
{
    result.checks = std::move(resultChecks);
    return result;
}

// ---- the screen -----------------------------------------------------------

// A window holding a state and the results screen (and the About sheet),
// drawn from whatever result the test hands the state's inspection view.
const QByteArray resultsWindow = R"(
import QtQuick
import Veristamp

Window {
    width: 920
    height: 700
    visible: true
    color: "#1a1a1a"

    ContentViewState { id: viewState; objectName: "viewState" }

    Flickable {
        anchors.fill: parent
        contentHeight: results.height

        ResultsView {
            id: results
            objectName: "resultsView"
            width: parent.width
            viewState: viewState
        }
    }

    AboutSheet { viewState: viewState }
}
)";

QList<QQuickItem *> descendants(QQuickItem *root)
{
    QList<QQuickItem *> found;
    for (QQuickItem *child : root->childItems()) {
        found.append(child);
        found.append(descendants(child));
    }
    return found;
}

// The visible items below root whose object name starts with prefix, in tree order.
QList<QQuickItem *> named(QQuickItem *root, const QString &prefix)
{
    QList<QQuickItem *> found;
    if (!root)
        return found;
    for (QQuickItem *item : descendants(root)) {
        if (item->objectName().startsWith(prefix) && item->isVisible())
            found.append(item);
    }
    return found;
}

// The one visible item below root of exactly this name; null when there is none or more than one.
QQuickItem *one(QQuickItem *root, const QString &name)
{
    QList<QQuickItem *> found = named(root, name);
    found.removeIf([&name](QQuickItem *item) { return item->objectName() != name; });
    return found.size() == 1 ? found.first() : nullptr;
}

QString textOf(QQuickItem *item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

QString plainTextOf(QQuickItem *textEdit)
{
    auto *document = textEdit->property("textDocument").value<QQuickTextDocument *>();
    return document->textDocument()->toPlainText();
}

QColor colourOf(QQuickItem *item, const char *property = "color")
{
    return item->property(property).value<QColor>();
}

QColor faded(QColor colour, double opacity)
{
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

bool sameColour(const QColor &a, const QColor &b)
{
    return a.rgb() == b.rgb() && qAbs(a.alphaF() - b.alphaF()) < 0.002;
}

// Dialogs that answer as the test says and remember what they were asked.
struct AnsweringDialogs : ReportSaveDialogs {
    std::optional<QString> answer;
    QStringList proposedNames;
    QStringList failures;

    std::optional<QString> chooseReportLocation(const QString &proposedFileName) override
    {
        proposedNames.append(proposedFileName);
        return answer;
    }
    void showSaveFailure(const QString &errorDescription) override { failures.append(errorDescription); }
};

QDateTime fixedMoment()
{
    return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7), Qt::OffsetFromUTC, 3600);
}

} // namespace

class UiResultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sectionsFollowKindAndContent_data();
    void sectionsFollowKindAndContent();
    void factValuesAndPlaceholders_data();
    void factValuesAndPlaceholders();
    void longValuesWrapBesideAFixedLabelColumn();
    void entitlementsKeepEveryLine();
    void checkRowsShowTheirStatus_data();
    void checkRowsShowTheirStatus();
    void bannerAndHeaderFollowTheVerdict_data();
    void bannerAndHeaderFollowTheVerdict();
    void tallyTilesKeepTheirSize();
    void headerShowsThePackage_data();
    void headerShowsThePackage();
    void longPathAndNameInTheHeader();

    void cancelledSaveLeavesTheButton();
    void failedWriteAlertsAndLeavesTheButton();
    void successfulSaveWritesTheReportAndDisablesTheButton();
    void aNewRunOffersSavingAgain_data();
    void aNewRunOffersSavingAgain();

    void versionFallsBackToDefaults_data();
    void versionFallsBackToDefaults();
    void aboutSheetShowsItsContent();
    void aboutSheetOpensAndCloses_data();
    void aboutSheetOpensAndCloses();

private:
    void show(const InspectionResult &result);
    QQuickItem *section(const QString &title);
    QQuickItem *saveButton();
    void clickSave();

    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    ContentViewState *m_state = nullptr;
    QQuickItem *m_results = nullptr;
    ReleaseReportSaver *m_saver = nullptr;
    AnsweringDialogs m_dialogs;
    QTemporaryDir m_folder;
};

void UiResultsTest::initTestCase()
{
    setUpQuickControlsStyle();
}

void UiResultsTest::init()
{
    m_engine = std::make_unique<QQmlApplicationEngine>();
    setUpEngine(*m_engine);
    // The module's qmldir lives at qrc:/Veristamp, reached through the resource root.
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    m_engine->loadData(resultsWindow);
    QVERIFY(!m_engine->rootObjects().isEmpty());
    m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
    m_state = m_window->findChild<ContentViewState *>(QStringLiteral("viewState"));
    m_results = m_window->findChild<QQuickItem *>(QStringLiteral("resultsView"));
    m_saver = m_window->findChild<ReleaseReportSaver *>(QStringLiteral("releaseReportSaver"));
    QVERIFY(m_state && m_results && m_saver);
    m_dialogs = AnsweringDialogs{};
    m_saver->setDialogs(&m_dialogs);
    m_saver->setClock(fixedMoment);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void UiResultsTest::cleanup()
{
    m_engine.reset();
}

void UiResultsTest::show(const InspectionResult &result)
{
    m_state->inspectionView()->setResult(result);
    // Lets the layouts settle so sizes and wrapped line counts are final.
    m_window->grabWindow();
}

QQuickItem *UiResultsTest::section(const QString &title)
{
    return one(m_results, QStringLiteral("section:") + title);
}

QQuickItem *UiResultsTest::saveButton()
{
    return one(m_results, QStringLiteral("saveReportButton"));
}

void UiResultsTest::clickSave()
{
    QQuickItem *button = saveButton();
    const QPointF centre = button->mapToScene(QPointF(button->width() / 2, button->height() / 2));
    QTest::mouseClick(m_window, Qt::LeftButton, {}, centre.toPoint());
}

// ---- sections ------------------------------------------------------------

void UiResultsTest::sectionsFollowKindAndContent_data()
{
    QTest::addColumn<InspectionResult>("result");
    // Each section as "TITLE rows", rows counting fact rows, check rows or the entitlements block.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("application with entitlements")
        << application() << QStringList{"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 5", "ENTITLEMENTS 1"};
    QTest::newRow("application with empty entitlements")
        << application(QString()) << QStringList{"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 5"};
    QTest::newRow("entitlements of blanks only still show")
        << application(QStringLiteral(" \n ")) << QStringList{"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 5", "ENTITLEMENTS 1"};
    QTest::newRow("application without checks keeps an empty card")
        << withChecks(application(QString()), {}) << QStringList{"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 0"};
    QTest::newRow("disk image without packaged app")
        << diskImage() << QStringList{"PACKAGE 4", "DMG PREFLIGHT 4"};
    QTest::newRow("disk image, packaged app with empty entitlements")
        << diskImage(embeddedApp(QString(), checks({CheckStatus::pass, CheckStatus::warning})))
        << QStringList{"PACKAGE 4", "DMG PREFLIGHT 4", "PACKAGED APP 4", "PACKAGED APP PREFLIGHT 2"};
    QTest::newRow("disk image, packaged app with entitlements")
        << diskImage(embeddedApp(plist, checks({CheckStatus::pass})))
        << QStringList{"PACKAGE 4", "DMG PREFLIGHT 4", "PACKAGED APP 4", "PACKAGED APP PREFLIGHT 1",
                       "PACKAGED APP ENTITLEMENTS 1"};
}

void UiResultsTest::sectionsFollowKindAndContent()
{
    QFETCH(InspectionResult, result);
    QFETCH(QStringList, expected);
    show(result);

    QStringList shown;
    for (QQuickItem *section : named(m_results, QStringLiteral("section:"))) {
        const qsizetype rows = named(section, QStringLiteral("fact:")).size()
            + named(section, QStringLiteral("check:")).size()
            + named(section, QStringLiteral("entitlementsBlock")).size();
        shown.append(QStringLiteral("%1 %2").arg(textOf(one(section, QStringLiteral("sectionTitle")))).arg(rows));
    }
    QCOMPARE(shown, expected);
}

void UiResultsTest::factValuesAndPlaceholders_data()
{
    QTest::addColumn<InspectionResult>("result");
    QTest::addColumn<QString>("sectionTitle");
    QTest::addColumn<QStringList>("expected"); // "Label: value", in row order

    InspectionResult bare = application(QString());
    bare.bundleIdentifier.reset();
    bare.shortVersion.reset();
    bare.buildVersion.reset();
    bare.minimumSystemVersion.reset();
    bare.executableName.reset();
    QTest::newRow("application metadata all missing")
        << bare << "APPLICATION METADATA"
        << QStringList{"Bundle Identifier: Not found", "Version: Not found", "Build: Not found",
                       "Minimum macOS: Not declared", "Executable: Not found"};

    InspectionResult empty = application(QString());
    empty.bundleIdentifier = QString();
    QTest::newRow("present but empty identifier shows empty")
        << empty << "APPLICATION METADATA"
        << QStringList{"Bundle Identifier: ", "Version: 2.4.1", "Build: 241", "Minimum macOS: 13.0",
                       "Executable: Harbor Lights"};

    QTest::newRow("disk image package facts")
        << diskImage() << "PACKAGE"
        << QStringList{"Type: Disk Image", "Name: Harbor-2.4.1", "Extension: dmg", "Size: 1.23 GB"};
    QTest::newRow("application package facts")
        << application() << "PACKAGE"
        << QStringList{"Type: macOS Application", "Name: Harbor Lights", "Extension: app", "Size: 48.2 MB"};
    QTest::newRow("packaged app without build")
        << diskImage(embeddedApp(QString(), {})) << "PACKAGED APP"
        << QStringList{"App: Harbor Lights", "Bundle Identifier: com.example.harborlights", "Version: 2.4.1",
                       "Build: Not found"};
}

void UiResultsTest::factValuesAndPlaceholders()
{
    QFETCH(InspectionResult, result);
    QFETCH(QString, sectionTitle);
    QFETCH(QStringList, expected);
    show(result);

    QStringList shown;
    for (QQuickItem *row : named(section(sectionTitle), QStringLiteral("fact:")))
        shown.append(textOf(one(row, QStringLiteral("factLabel"))) + QStringLiteral(": ")
                     + textOf(one(row, QStringLiteral("factValue"))));
    QCOMPARE(shown, expected);
}

void UiResultsTest::longValuesWrapBesideAFixedLabelColumn()
{
    InspectionResult result = application();
    result.bundleIdentifier = QStringLiteral("com.example.") + QStringLiteral("verylongidentifierpart.").repeated(12);
    show(result);

    QQuickItem *row = one(section(QStringLiteral("APPLICATION METADATA")), QStringLiteral("fact:Bundle Identifier"));
    QQuickItem *label = one(row, QStringLiteral("factLabel"));
    QQuickItem *value = one(row, QStringLiteral("factValue"));
    QCOMPARE(label->width(), 155.0);
    QVERIFY2(value->property("lineCount").toInt() > 1, "a value wider than the card wraps");
    QVERIFY(value->mapToScene(QPointF(value->width(), 0)).x() <= m_window->width());
    QCOMPARE(value->property("readOnly").toBool(), true);
    QCOMPARE(value->property("selectByMouse").toBool(), true);
}

void UiResultsTest::entitlementsKeepEveryLine()
{
    const QString text = plist + QStringLiteral("\n\n  indented <tail> & more");
    show(application(text));

    QQuickItem *block = one(section(QStringLiteral("ENTITLEMENTS")), QStringLiteral("entitlementsText"));
    QCOMPARE(plainTextOf(block), text);
    QCOMPARE(block->property("selectByMouse").toBool(), true);
}

void UiResultsTest::checkRowsShowTheirStatus_data()
{
    QTest::addColumn<CheckStatus>("status");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("badge");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("pass") << CheckStatus::pass << "checkmark.circle.fill" << "PASS" << systemGreen();
    QTest::newRow("warning") << CheckStatus::warning << "exclamationmark.triangle.fill" << "WARN" << systemOrange();
    QTest::newRow("fail") << CheckStatus::fail << "xmark.circle.fill" << "FAIL" << systemRed();
    QTest::newRow("pending") << CheckStatus::pending << "clock.fill" << "NEXT" << whiteAt(0.7);
}

void UiResultsTest::checkRowsShowTheirStatus()
{
    QFETCH(CheckStatus, status);
    QFETCH(QString, symbol);
    QFETCH(QString, badge);
    QFETCH(QColor, colour);
    const QString detail = QStringLiteral("First line of the finding.\nSecond line.\nThird line.");
    show(withChecks(application(), {makeCheck(QStringLiteral("Gatekeeper assessment"), status, detail)}));

    QQuickItem *row = one(section(QStringLiteral("RELEASE PREFLIGHT")), QStringLiteral("check:Gatekeeper assessment"));
    QQuickItem *symbolItem = one(row, QStringLiteral("checkSymbol"));
    QQuickItem *badgeText = one(row, QStringLiteral("checkBadge"));
    QQuickItem *title = one(row, QStringLiteral("checkTitle"));
    QCOMPARE(symbolItem->property("name").toString(), symbol);
    QVERIFY(sameColour(colourOf(symbolItem), colour));
    QCOMPARE(textOf(badgeText), badge);
    QVERIFY(sameColour(colourOf(badgeText), colour));
    QVERIFY(sameColour(colourOf(badgeText->parentItem()), faded(colour, 0.14)));
    QCOMPARE(textOf(one(row, QStringLiteral("checkDetail"))), detail);
    // A detail of several lines keeps symbol and badge level with the title.
    const qreal titleTop = title->mapToScene(QPointF()).y();
    QCOMPARE(symbolItem->mapToScene(QPointF()).y(), titleTop);
    QCOMPARE(badgeText->parentItem()->mapToScene(QPointF()).y(), titleTop);
}

// ---- banner and header -----------------------------------------------------

void UiResultsTest::bannerAndHeaderFollowTheVerdict_data()
{
    QTest::addColumn<InspectionResult>("result");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("tallies");
    QTest::addColumn<QString>("tallyLine");

    QTest::newRow("passes and a pending check ship")
        << withChecks(application(), checks({CheckStatus::pass, CheckStatus::pass, CheckStatus::pending}))
        << systemGreen() << "checkmark.seal.fill" << "READY TO SHIP" << "All release checks passed."
        << QStringList{"2", "0", "0"} << QString::fromUtf8("2 pass \u2022 0 warn \u2022 0 fail");
    QTest::newRow("a warning asks for review")
        << withChecks(application(), checks({CheckStatus::pass, CheckStatus::warning, CheckStatus::pending}))
        << systemOrange() << "exclamationmark.triangle.fill" << "REVIEW BEFORE SHIPPING"
        << "No blocking failures were found, but one or more items should be reviewed."
        << QStringList{"1", "1", "0"} << QString::fromUtf8("1 pass \u2022 1 warn \u2022 0 fail");
    QTest::newRow("a failure outweighs warnings")
        << withChecks(application(), checks({CheckStatus::warning, CheckStatus::warning, CheckStatus::fail}))
        << systemRed() << "xmark.octagon.fill" << "DO NOT SHIP" << "One or more release-blocking checks failed."
        << QStringList{"0", "2", "1"} << QString::fromUtf8("0 pass \u2022 2 warn \u2022 1 fail");
    QTest::newRow("disk image whose packaged app alone fails")
        << diskImage(embeddedApp(QString(), checks({CheckStatus::pass, CheckStatus::fail})))
        << systemRed() << "xmark.octagon.fill" << "DO NOT SHIP" << "One or more release-blocking checks failed."
        << QStringList{"5", "0", "1"} << QString::fromUtf8("5 pass \u2022 0 warn \u2022 1 fail");
    QTest::newRow("no checks at all ship")
        << withChecks(application(), {}) << systemGreen() << "checkmark.seal.fill" << "READY TO SHIP"
        << "All release checks passed." << QStringList{"0", "0", "0"}
        << QString::fromUtf8("0 pass \u2022 0 warn \u2022 0 fail");
}

void UiResultsTest::bannerAndHeaderFollowTheVerdict()
{
    QFETCH(InspectionResult, result);
    QFETCH(QColor, colour);
    QFETCH(QString, symbol);
    QFETCH(QString, title);
    QFETCH(QString, summary);
    QFETCH(QStringList, tallies);
    QFETCH(QString, tallyLine);
    show(result);

    QQuickItem *banner = one(m_results, QStringLiteral("verdictBanner"));
    QVERIFY(sameColour(colourOf(banner), faded(colour, 0.075)));
    QQuickItem *symbolItem = one(banner, QStringLiteral("verdictSymbol"));
    QCOMPARE(symbolItem->property("name").toString(), symbol);
    QVERIFY(sameColour(colourOf(symbolItem), colour));
    QCOMPARE(textOf(one(banner, QStringLiteral("verdictTitle"))), title);
    QVERIFY(sameColour(colourOf(one(banner, QStringLiteral("verdictTitle"))), colour));
    QCOMPARE(textOf(one(banner, QStringLiteral("verdictSummary"))), summary);

    // The tiles keep their own colours whatever the verdict or count.
    const QList<std::pair<QString, QColor>> tiles = {
        {"tallyTilePASS", systemGreen()}, {"tallyTileWARN", systemOrange()}, {"tallyTileFAIL", systemRed()}};
    for (int i = 0; i < 3; ++i) {
        QQuickItem *count = one(one(banner, tiles[i].first), QStringLiteral("tallyCount"));
        QCOMPARE(textOf(count), tallies[i]);
        QVERIFY(sameColour(colourOf(count), tiles[i].second));
    }

    QQuickItem *header = one(m_results, QStringLiteral("packageHeader"));
    QQuickItem *badge = one(header, QStringLiteral("verdictBadge"));
    QCOMPARE(textOf(badge), title);
    QVERIFY(sameColour(colourOf(badge), colour));
    QCOMPARE(textOf(one(header, QStringLiteral("tallyLine"))), tallyLine);
}

void UiResultsTest::tallyTilesKeepTheirSize()
{
    QList<InspectionCheck> many;
    for (int i = 0; i < 12; ++i)
        many += checks({CheckStatus::pass});
    for (int i = 0; i < 10; ++i)
        many += checks({CheckStatus::warning});
    for (int i = 0; i < 100; ++i)
        many += checks({CheckStatus::fail});
    show(withChecks(application(), many));

    for (const char *name : {"tallyTilePASS", "tallyTileWARN", "tallyTileFAIL"}) {
        QQuickItem *tile = one(m_results, QString::fromLatin1(name));
        QCOMPARE(QSizeF(tile->width(), tile->height()), QSizeF(54, 48));
    }
    QCOMPARE(textOf(one(one(m_results, QStringLiteral("tallyTileFAIL")), QStringLiteral("tallyCount"))),
             QStringLiteral("100"));
}

void UiResultsTest::headerShowsThePackage_data()
{
    QTest::addColumn<InspectionResult>("result");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("kindWords");

    QTest::newRow("application") << application() << "app.badge.checkmark" << "macOS Application";
    QTest::newRow("disk image") << diskImage() << "externaldrive.fill" << "Disk Image";
    QTest::newRow("disk image holding an app")
        << diskImage(embeddedApp(plist, checks({CheckStatus::pass}))) << "externaldrive.fill" << "Disk Image";
}

void UiResultsTest::headerShowsThePackage()
{
    QFETCH(InspectionResult, result);
    QFETCH(QString, symbol);
    QFETCH(QString, kindWords);
    show(result);

    QQuickItem *header = one(m_results, QStringLiteral("packageHeader"));
    QCOMPARE(one(header, QStringLiteral("packageSymbol"))->property("name").toString(), symbol);
    QCOMPARE(textOf(one(header, QStringLiteral("packageName"))), result.displayName);
    QCOMPARE(textOf(one(header, QStringLiteral("packageKind"))), kindWords);
    QCOMPARE(textOf(one(header, QStringLiteral("packagePath"))), result.url.toLocalFile());
}

void UiResultsTest::longPathAndNameInTheHeader()
{
    InspectionResult result = application();
    result.displayName = QStringLiteral("Harbor Lights Release Candidate With A Remarkably Long Product Name");
    result.url = QUrl::fromLocalFile(QStringLiteral("/Users/dana/") + QStringLiteral("deeply/nested/folder/").repeated(12)
                                     + QStringLiteral("Harbor Lights.app"));
    show(result);

    QQuickItem *header = one(m_results, QStringLiteral("packageHeader"));
    QQuickItem *path = one(header, QStringLiteral("packagePath"));
    QCOMPARE(path->property("lineCount").toInt(), 1);
    QVERIFY2(path->property("truncated").toBool(), "a path too long for the header is shortened");
    QVERIFY(one(header, QStringLiteral("packageName"))->property("lineCount").toInt() > 1);
    QVERIFY(header->width() <= m_window->width());
}

// ---- saving ----------------------------------------------------------------

void UiResultsTest::cancelledSaveLeavesTheButton()
{
    const InspectionResult result = application();
    show(result);
    m_dialogs.answer.reset();
    clickSave();

    QCOMPARE(m_dialogs.proposedNames, QStringList{defaultReportFileName(result, fixedMoment())});
    QVERIFY(m_dialogs.failures.isEmpty());
    QCOMPARE(textOf(saveButton()), QString::fromUtf8("Save Release Report\u2026"));
    QCOMPARE(one(saveButton(), QStringLiteral("saveReportSymbol"))->property("name").toString(),
             QStringLiteral("square.and.arrow.down"));
    QVERIFY(saveButton()->isEnabled());
    QVERIFY(!m_state->releaseReportSaved());
}

void UiResultsTest::failedWriteAlertsAndLeavesTheButton()
{
    show(application());
    m_dialogs.answer = m_folder.filePath(QStringLiteral("missing folder/report.txt"));
    clickSave();

    QCOMPARE(m_dialogs.failures.size(), 1);
    QVERIFY(!m_dialogs.failures.first().isEmpty());
    QVERIFY(!QFile::exists(*m_dialogs.answer));
    QCOMPARE(textOf(saveButton()), QString::fromUtf8("Save Release Report\u2026"));
    QVERIFY(saveButton()->isEnabled());
}

void UiResultsTest::successfulSaveWritesTheReportAndDisablesTheButton()
{
    const InspectionResult result = diskImage(embeddedApp(plist, checks({CheckStatus::warning})));
    show(result);
    m_dialogs.answer = m_folder.filePath(QStringLiteral("report.txt"));
    clickSave();

    QFile saved(*m_dialogs.answer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), releaseReportText(result, fixedMoment()).toUtf8());
    QVERIFY(m_dialogs.failures.isEmpty());
    QCOMPARE(textOf(saveButton()), QStringLiteral("Saved"));
    QCOMPARE(one(saveButton(), QStringLiteral("saveReportSymbol"))->property("name").toString(),
             QStringLiteral("checkmark.circle.fill"));
    QVERIFY(!saveButton()->isEnabled());

    // One report per result: a click on the disabled button asks nothing.
    clickSave();
    QCOMPARE(m_dialogs.proposedNames.size(), 1);
}

void UiResultsTest::aNewRunOffersSavingAgain_data()
{
    QTest::addColumn<bool>("viaNewDrop"); // else "Check Another App or DMG"

    QTest::newRow("check another") << false;
    QTest::newRow("new drop") << true;
}

void UiResultsTest::aNewRunOffersSavingAgain()
{
    QFETCH(bool, viaNewDrop);
    show(application());
    m_dialogs.answer = m_folder.filePath(QStringLiteral("report.txt"));
    clickSave();
    QVERIFY(!saveButton()->isEnabled());

    if (viaNewDrop) {
        // Tools that answer nothing and a clock that never waits: the run is over at once.
        m_state->setReleaseTools(ReleaseTools{[](const ToolCall &) { return Shell::DataResult{1, {}, {}}; }});
        m_state->setPacingClock(PacingClock{[] { return std::chrono::nanoseconds(0); }, [](std::chrono::nanoseconds) {}});
        m_state->beginInspection(QUrl::fromLocalFile(m_folder.filePath(QStringLiteral("Next.app"))));
        QTRY_VERIFY(!m_state->isInspecting());
    } else {
        m_state->checkAnother();
    }
    show(viaNewDrop ? *m_state->inspection() : application());
    QCOMPARE(textOf(saveButton()), QString::fromUtf8("Save Release Report\u2026"));
    QVERIFY(saveButton()->isEnabled());
}

// ---- About -----------------------------------------------------------------

void UiResultsTest::versionFallsBackToDefaults_data()
{
    QTest::addColumn<QVariant>("recorded");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("shown");

    QTest::newRow("text") << QVariant(QStringLiteral("2.4.1")) << "1.0" << "2.4.1";
    QTest::newRow("missing") << QVariant() << "1.0" << "1.0";
    QTest::newRow("empty text") << QVariant(QString()) << "1" << "1";
    QTest::newRow("a number is not text") << QVariant(241) << "1" << "1";
}

void UiResultsTest::versionFallsBackToDefaults()
{
    QFETCH(QVariant, recorded);
    QFETCH(QString, fallback);
    QFETCH(QString, shown);
    QCOMPARE(recordedTextOr(recorded, fallback), shown);
}

void UiResultsTest::aboutSheetShowsItsContent()
{
    m_state->setShowingAbout(true);
    auto *sheet = m_window->findChild<QObject *>(QStringLiteral("aboutSheet"));
    QTRY_VERIFY(sheet->property("opened").toBool());
    auto *content = sheet->property("contentItem").value<QQuickItem *>();
    m_window->grabWindow();

    QCOMPARE(sheet->property("width").toReal(), 660.0);
    QCOMPARE(textOf(one(content, QStringLiteral("aboutStatement"))),
             QString::fromUtf8("Veristamp inspects the final macOS release artifact \u2014 the .app or .dmg that will "
                               "actually reach the user. It verifies the package itself, not just the source project "
                               "or build pipeline."));
    QStringList areas;
    for (QQuickItem *cell : named(content, QStringLiteral("checkArea:")))
        areas.append(cell->objectName().mid(10));
    QCOMPARE(areas, (QStringList{"Signing", "Runtime", "Notarization", "Gatekeeper", "Disk Image", "Evidence"}));
    // The grid fills row by row: the second area sits beside the first, the third under it.
    const QList<QQuickItem *> cells = named(content, QStringLiteral("checkArea:"));
    QCOMPARE(cells[1]->y(), cells[0]->y());
    QVERIFY(cells[2]->y() > cells[0]->y());
    QCOMPARE(cells[2]->x(), cells[0]->x());

    QCOMPARE(textOf(one(content, QStringLiteral("versionValue:VERSION"))), QStringLiteral("1.0"));
    QCOMPARE(textOf(one(content, QStringLiteral("versionValue:BUILD"))), QStringLiteral("1"));
    // Only the support address can be selected.
    QStringList selectable;
    for (QQuickItem *item : descendants(content)) {
        if (item->property("selectByMouse").toBool())
            selectable.append(textOf(item));
    }
    QCOMPARE(selectable, QStringList{"support@veristamp.dev"});
}

void UiResultsTest::aboutSheetOpensAndCloses_data()
{
    QTest::addColumn<QString>("closeBy");

    QTest::newRow("Done") << "Done";
    QTest::newRow("Return") << "Return";
}

void UiResultsTest::aboutSheetOpensAndCloses()
{
    QFETCH(QString, closeBy);
    // The real window: its "About" button and the application-wide command.
    QQmlApplicationEngine engine;
    setUpEngine(engine);
    engine.load(mainWindowUrl());
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
    QVERIFY(window && QTest::qWaitForWindowExposed(window));
    auto *state = window->findChild<ContentViewState *>(QStringLiteral("viewState"));
    auto *sheet = window->findChild<QObject *>(QStringLiteral("aboutSheet"));
    auto *commands = engine.singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
    QVERIFY(state && sheet && commands);

    QQuickItem *aboutButton = one(window->contentItem(), QStringLiteral("aboutButton"));
    QVERIFY(aboutButton);
    QTest::mouseClick(window, Qt::LeftButton, {}, aboutButton->mapToScene(aboutButton->boundingRect().center()).toPoint());
    QTRY_VERIFY(sheet->property("opened").toBool());
    QVERIFY(state->showingAbout());

    // The notification while the sheet is open keeps it open.
    commands->showAbout();
    QVERIFY(state->showingAbout());
    QVERIFY(sheet->property("visible").toBool());

    if (closeBy == QLatin1String("Done")) {
        auto *content = sheet->property("contentItem").value<QQuickItem *>();
        QQuickItem *done = one(content, QStringLiteral("aboutDoneButton"));
        QTest::mouseClick(window, Qt::LeftButton, {}, done->mapToScene(done->boundingRect().center()).toPoint());
    } else {
        QTest::keyClick(window, Qt::Key_Return);
    }
    QTRY_VERIFY(!sheet->property("visible").toBool());
    QVERIFY(!state->showingAbout());

    // Closed, it opens again on the application-wide command.
    commands->showAbout();
    QTRY_VERIFY(sheet->property("opened").toBool());
}

QTEST_MAIN(UiResultsTest)
#include "ui_results_test.moc"
