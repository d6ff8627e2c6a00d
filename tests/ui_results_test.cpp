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

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

Q_DECLARE_METATYPE(InspectionResult)
Q_DECLARE_METATYPE(CheckStatus)

namespace {

QList<InspectionCheck> checks(std::initializer_list<CheckStatus> statuses)
{
    QList<InspectionCheck> made;
    for (CheckStatus status : statuses)
        made.append(makeCheck(QStringLiteral("Code signature"), status, QStringLiteral("The code is signed.")));
    return made;
}

const QString plist = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                     "\t<key>com.apple.security.app-sandbox</key>\n\t<true/>\n</dict>\n</plist>");

InspectionResult application(const QString &entitlements = plist)
{
    InspectionResult made{QUrl::fromLocalFile(QStringLiteral("/Users/dana/Builds/Harbor Lights.app")),
                          PackageKind::application, QStringLiteral("Harbor Lights"), 48'213'504,
                          QStringLiteral("com.example.harborlights"), QStringLiteral("2.4.1"), QStringLiteral("241"),
                          QStringLiteral("13.0"), QStringLiteral("Harbor Lights"),
                          checks({CheckStatus::pass, CheckStatus::pass, CheckStatus::pass}), entitlements, {}};
    return made;
}

EmbeddedAppResult embeddedApp(const QString &entitlements, QList<InspectionCheck> appChecks)
{
    return {QStringLiteral("Harbor Lights"), QStringLiteral("com.example.harborlights"), QStringLiteral("2.4.1"),
            std::nullopt, std::move(appChecks), entitlements};
}

InspectionResult diskImage(std::optional<EmbeddedAppResult> app = std::nullopt)
{
    return {QUrl::fromLocalFile(QStringLiteral("/Users/dana/Release/Harbor-2.4.1.DMG")), PackageKind::diskImage,
            QStringLiteral("Harbor-2.4.1"), 1'234'567'890, {}, {}, {}, {}, {},
            checks({CheckStatus::pass, CheckStatus::pass}), {}, std::move(app)};
}

InspectionResult withChecks(InspectionResult result, QList<InspectionCheck> resultChecks)
{
    result.checks = std::move(resultChecks);
    return result;
}

// A state, the results screen drawn from whatever result the test hands the
// state's inspection view, and the About sheet.
const QByteArray resultsWindow = R"(
import QtQuick
import Veristamp
Window {
    width: 920; height: 700; visible: true
    ContentViewState { id: viewState; objectName: "viewState" }
    Flickable {
        anchors.fill: parent
        contentHeight: results.height
        ResultsView { id: results; objectName: "resultsView"; width: parent.width; viewState: viewState }
    }
    AboutSheet { viewState: viewState }
}
)";

QList<QQuickItem *> descendants(QQuickItem *root)
{
    QList<QQuickItem *> found;
    for (QQuickItem *child : root->childItems())
        found << child << descendants(child);
    return found;
}

// The visible items below root whose object name starts with prefix, in tree order.
QList<QQuickItem *> named(QQuickItem *root, const QString &prefix)
{
    QList<QQuickItem *> found;
    for (QQuickItem *item : root ? descendants(root) : found) {
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

QPoint centreOf(QQuickItem *item)
{
    return item->mapToScene(item->boundingRect().center()).toPoint();
}

bool hasColour(QQuickItem *item, const QColor &expected, double opacity = 1.0)
{
    const QColor colour = item->property("color").value<QColor>();
    return colour.rgb() == expected.rgb() && qAbs(colour.alphaF() - expected.alphaF() * opacity) < 0.002;
}

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

const QString saveTitle = QString::fromUtf8("Save Release Report\u2026");

} // namespace

class UiResultsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    ContentViewState *m_state = nullptr;
    QQuickItem *m_results = nullptr;
    AnsweringDialogs m_dialogs;
    QTemporaryDir m_folder;

    void show(const InspectionResult &result)
    {
        m_state->inspectionView()->setResult(result);
        m_window->grabWindow(); // the layouts settle: sizes and wrapped line counts are final
    }
    QQuickItem *section(const QString &title) { return one(m_results, QStringLiteral("section:") + title); }
    QQuickItem *saveButton() { return one(m_results, QStringLiteral("saveReportButton")); }
    void clickSave() { QTest::mouseClick(m_window, Qt::LeftButton, {}, centreOf(saveButton())); }
    QString saveSymbol() { return one(saveButton(), QStringLiteral("saveReportSymbol"))->property("name").toString(); }

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    void init()
    {
        m_engine = std::make_unique<QQmlApplicationEngine>();
        setUpEngine(*m_engine);
        m_engine->addImportPath(QStringLiteral("qrc:/")); // where the module's qmldir lives
        m_engine->loadData(resultsWindow);
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().value(0));
        QVERIFY(m_window && QTest::qWaitForWindowExposed(m_window));
        m_state = m_window->findChild<ContentViewState *>(QStringLiteral("viewState"));
        m_results = m_window->findChild<QQuickItem *>(QStringLiteral("resultsView"));
        auto *saver = m_window->findChild<ReleaseReportSaver *>(QStringLiteral("releaseReportSaver"));
        QVERIFY(m_state && m_results && saver);
        m_dialogs = AnsweringDialogs{};
        saver->setDialogs(&m_dialogs);
        saver->setClock(fixedMoment);
    }

    void cleanup() { m_engine.reset(); }

    void sectionsFollowKindAndContent_data()
    {
        QTest::addColumn<InspectionResult>("result");
        // "TITLE rows", rows counting fact rows, check rows or the entitlements block.
        QTest::addColumn<QStringList>("expected");

        const QStringList application3 = {"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 3"};
        QTest::newRow("application with entitlements") << application() << application3 + QStringList{"ENTITLEMENTS 1"};
        QTest::newRow("application, empty entitlements") << application(QString()) << application3;
        QTest::newRow("entitlements of blanks only") << application(" \n ") << application3 + QStringList{"ENTITLEMENTS 1"};
        QTest::newRow("no checks, an empty card")
            << withChecks(application(QString()), {})
            << QStringList{"PACKAGE 4", "APPLICATION METADATA 5", "RELEASE PREFLIGHT 0"};
        QTest::newRow("disk image without app") << diskImage() << QStringList{"PACKAGE 4", "DMG PREFLIGHT 2"};
        QTest::newRow("disk image, app with empty entitlements")
            << diskImage(embeddedApp(QString(), checks({CheckStatus::pass, CheckStatus::warning})))
            << QStringList{"PACKAGE 4", "DMG PREFLIGHT 2", "PACKAGED APP 4", "PACKAGED APP PREFLIGHT 2"};
        QTest::newRow("disk image, app with entitlements")
            << diskImage(embeddedApp(plist, checks({CheckStatus::pass})))
            << QStringList{"PACKAGE 4", "DMG PREFLIGHT 2", "PACKAGED APP 4", "PACKAGED APP PREFLIGHT 1",
                           "PACKAGED APP ENTITLEMENTS 1"};
    }

    void sectionsFollowKindAndContent()
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

    void factValuesAndPlaceholders_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QString>("sectionTitle");
        QTest::addColumn<QStringList>("expected"); // "Label: value", in row order

        InspectionResult bare = application(QString());
        bare.bundleIdentifier = bare.shortVersion = bare.buildVersion = bare.minimumSystemVersion =
            bare.executableName = std::nullopt;
        QTest::newRow("metadata all missing")
            << bare << "APPLICATION METADATA"
            << QStringList{"Bundle Identifier: Not found", "Version: Not found", "Build: Not found",
                           "Minimum macOS: Not declared", "Executable: Not found"};
        InspectionResult empty = application(QString());
        empty.bundleIdentifier = QString();
        QTest::newRow("present but empty identifier")
            << empty << "APPLICATION METADATA"
            << QStringList{"Bundle Identifier: ", "Version: 2.4.1", "Build: 241", "Minimum macOS: 13.0",
                           "Executable: Harbor Lights"};
        QTest::newRow("application package")
            << application() << "PACKAGE"
            << QStringList{"Type: macOS Application", "Name: Harbor Lights", "Extension: app", "Size: 48.2 MB"};
        QTest::newRow("disk image package, upper-case extension")
            << diskImage() << "PACKAGE"
            << QStringList{"Type: Disk Image", "Name: Harbor-2.4.1", "Extension: dmg", "Size: 1.23 GB"};
        QTest::newRow("packaged app without build")
            << diskImage(embeddedApp(QString(), {})) << "PACKAGED APP"
            << QStringList{"App: Harbor Lights", "Bundle Identifier: com.example.harborlights", "Version: 2.4.1",
                           "Build: Not found"};
    }

    void factValuesAndPlaceholders()
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

    void longValuesWrapBesideAFixedLabelColumn()
    {
        InspectionResult result = application();
        result.bundleIdentifier = QStringLiteral("com.example.") + QStringLiteral("longidentifierpart.").repeated(14);
        show(result);

        QQuickItem *row = one(section(QStringLiteral("APPLICATION METADATA")), QStringLiteral("fact:Bundle Identifier"));
        QQuickItem *value = one(row, QStringLiteral("factValue"));
        QCOMPARE(one(row, QStringLiteral("factLabel"))->width(), 155.0);
        QVERIFY(value->property("lineCount").toInt() > 1);
        QVERIFY(value->mapToScene(QPointF(value->width(), 0)).x() <= m_window->width());
    }

    void entitlementsKeepEveryLine()
    {
        const QString text = plist + QStringLiteral("\n\n  indented <tail> & more\n");
        show(application(text));

        QQuickItem *block = one(section(QStringLiteral("ENTITLEMENTS")), QStringLiteral("entitlementsText"));
        QCOMPARE(block->property("textDocument").value<QQuickTextDocument *>()->textDocument()->toPlainText(), text);
    }

    void checkRowsShowTheirStatus_data()
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

    void checkRowsShowTheirStatus()
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
        QCOMPARE(symbolItem->property("name").toString(), symbol);
        QVERIFY(hasColour(symbolItem, colour));
        QCOMPARE(textOf(badgeText), badge);
        QVERIFY(hasColour(badgeText, colour));
        QVERIFY(hasColour(badgeText->parentItem(), colour, 0.14)); // pending: white at 0.098
        QCOMPARE(textOf(one(row, QStringLiteral("checkDetail"))), detail);
        // A detail of several lines keeps symbol and badge level with the title.
        const qreal titleTop = one(row, QStringLiteral("checkTitle"))->mapToScene(QPointF()).y();
        QCOMPARE(symbolItem->mapToScene(QPointF()).y(), titleTop);
        QCOMPARE(badgeText->parentItem()->mapToScene(QPointF()).y(), titleTop);
    }

    void bannerAndHeaderFollowTheVerdict_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("tallies");
        QTest::addColumn<QString>("packageSymbol");

        const QString ready = QStringLiteral("READY TO SHIP");
        const QString stop = QStringLiteral("DO NOT SHIP");
        QTest::newRow("passes and a pending check ship")
            << withChecks(application(), checks({CheckStatus::pass, CheckStatus::pass, CheckStatus::pending}))
            << systemGreen() << "checkmark.seal.fill" << ready << QStringList{"2", "0", "0"} << "app.badge.checkmark";
        QTest::newRow("a warning asks for review")
            << withChecks(application(), checks({CheckStatus::pass, CheckStatus::warning, CheckStatus::pending}))
            << systemOrange() << "exclamationmark.triangle.fill" << "REVIEW BEFORE SHIPPING"
            << QStringList{"1", "1", "0"} << "app.badge.checkmark";
        QTest::newRow("a failure outweighs warnings")
            << withChecks(application(), checks({CheckStatus::warning, CheckStatus::warning, CheckStatus::fail}))
            << systemRed() << "xmark.octagon.fill" << stop << QStringList{"0", "2", "1"} << "app.badge.checkmark";
        QTest::newRow("disk image whose packaged app alone fails")
            << diskImage(embeddedApp(QString(), checks({CheckStatus::pass, CheckStatus::fail}))) << systemRed()
            << "xmark.octagon.fill" << stop << QStringList{"3", "0", "1"} << "externaldrive.fill";
        QTest::newRow("disk image without checks")
            << withChecks(diskImage(), {}) << systemGreen() << "checkmark.seal.fill" << ready
            << QStringList{"0", "0", "0"} << "externaldrive.fill";
        QList<InspectionCheck> many;
        for (int i = 0; i < 100; ++i)
            many += checks(i < 12 ? std::initializer_list<CheckStatus>{CheckStatus::pass, CheckStatus::warning, CheckStatus::fail}
                                  : std::initializer_list<CheckStatus>{CheckStatus::fail});
        QTest::newRow("two-digit counts") << withChecks(application(), many) << systemRed() << "xmark.octagon.fill"
                                          << stop << QStringList{"12", "12", "100"} << "app.badge.checkmark";
    }

    void bannerAndHeaderFollowTheVerdict()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QColor, colour);
        QFETCH(QString, symbol);
        QFETCH(QString, title);
        QFETCH(QStringList, tallies);
        QFETCH(QString, packageSymbol);
        show(result);
        const QMap<QString, QString> summaries = {
            {"READY TO SHIP", "All release checks passed."},
            {"REVIEW BEFORE SHIPPING", "No blocking failures were found, but one or more items should be reviewed."},
            {"DO NOT SHIP", "One or more release-blocking checks failed."}};

        QQuickItem *banner = one(m_results, QStringLiteral("verdictBanner"));
        QVERIFY(hasColour(banner, colour, 0.075));
        QCOMPARE(one(banner, QStringLiteral("verdictSymbol"))->property("name").toString(), symbol);
        QVERIFY(hasColour(one(banner, QStringLiteral("verdictSymbol")), colour));
        QCOMPARE(textOf(one(banner, QStringLiteral("verdictTitle"))), title);
        QVERIFY(hasColour(one(banner, QStringLiteral("verdictTitle")), colour));
        QCOMPARE(textOf(one(banner, QStringLiteral("verdictSummary"))), summaries.value(title));
        // Each tile keeps its own colour and size whatever the verdict or count.
        const QList<std::pair<QString, QColor>> tiles = {
            {"tallyTilePASS", systemGreen()}, {"tallyTileWARN", systemOrange()}, {"tallyTileFAIL", systemRed()}};
        for (int i = 0; i < 3; ++i) {
            QQuickItem *tile = one(banner, tiles[i].first);
            QCOMPARE(QSizeF(tile->width(), tile->height()), QSizeF(54, 48));
            QCOMPARE(textOf(one(tile, QStringLiteral("tallyCount"))), tallies[i]);
            QVERIFY(hasColour(one(tile, QStringLiteral("tallyCount")), tiles[i].second));
        }

        QQuickItem *header = one(m_results, QStringLiteral("packageHeader"));
        QCOMPARE(one(header, QStringLiteral("packageSymbol"))->property("name").toString(), packageSymbol);
        QCOMPARE(textOf(one(header, QStringLiteral("packageName"))), result.displayName);
        QCOMPARE(textOf(one(header, QStringLiteral("packageKind"))), displayWords(result.kind));
        QCOMPARE(textOf(one(header, QStringLiteral("packagePath"))), result.url.toLocalFile());
        QCOMPARE(textOf(one(header, QStringLiteral("verdictBadge"))), title);
        QVERIFY(hasColour(one(header, QStringLiteral("verdictBadge")), colour));
        QCOMPARE(textOf(one(header, QStringLiteral("tallyLine"))),
                 QString::fromUtf8("%1 pass \u2022 %2 warn \u2022 %3 fail").arg(tallies[0], tallies[1], tallies[2]));
    }

    void longPathOnOneLineLongNameWraps()
    {
        InspectionResult result = application();
        result.displayName = QStringLiteral("Harbor Lights Release Candidate With A Remarkably Long Product Name");
        result.url = QUrl::fromLocalFile(QStringLiteral("/Users/dana/") + QStringLiteral("nested/folder/").repeated(20)
                                         + QStringLiteral("Harbor Lights.app"));
        show(result);

        QQuickItem *header = one(m_results, QStringLiteral("packageHeader"));
        QQuickItem *path = one(header, QStringLiteral("packagePath"));
        QCOMPARE(path->property("lineCount").toInt(), 1);
        QVERIFY(path->property("truncated").toBool());
        QVERIFY(one(header, QStringLiteral("packageName"))->property("lineCount").toInt() > 1);
        QVERIFY(header->width() <= m_window->width());
    }

    void unsuccessfulSaveKeepsTheButton_data()
    {
        QTest::addColumn<bool>("cancelled"); // else a write into a missing folder
        QTest::newRow("cancelled") << true;
        QTest::newRow("failed write") << false;
    }

    void unsuccessfulSaveKeepsTheButton()
    {
        QFETCH(bool, cancelled);
        const InspectionResult result = application();
        show(result);
        if (!cancelled)
            m_dialogs.answer = m_folder.filePath(QStringLiteral("missing folder/report.txt"));
        clickSave();

        QCOMPARE(m_dialogs.proposedNames, QStringList{defaultReportFileName(result, fixedMoment())});
        QCOMPARE(m_dialogs.failures.size(), cancelled ? 0 : 1);
        QCOMPARE(textOf(saveButton()), saveTitle);
        QCOMPARE(saveSymbol(), QStringLiteral("square.and.arrow.down"));
        QVERIFY(saveButton()->isEnabled());
        QVERIFY(!m_state->releaseReportSaved());
    }

    void successfulSaveWritesTheReportAndDisablesTheButton()
    {
        const InspectionResult result = diskImage(embeddedApp(plist, checks({CheckStatus::warning})));
        show(result);
        m_dialogs.answer = m_folder.filePath(QStringLiteral("report.txt"));
        clickSave();

        QFile saved(*m_dialogs.answer);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), releaseReportText(result, fixedMoment()).toUtf8());
        QCOMPARE(textOf(saveButton()), QStringLiteral("Saved"));
        QCOMPARE(saveSymbol(), QStringLiteral("checkmark.circle.fill"));
        QVERIFY(!saveButton()->isEnabled());
        clickSave(); // one report per result: the disabled button asks nothing
        QCOMPARE(m_dialogs.proposedNames.size(), 1);
    }

    void aNewRunOffersSavingAgain_data()
    {
        QTest::addColumn<bool>("viaNewDrop"); // else "Check Another App or DMG"
        QTest::newRow("check another") << false;
        QTest::newRow("new drop") << true;
    }

    void aNewRunOffersSavingAgain()
    {
        QFETCH(bool, viaNewDrop);
        show(application());
        m_dialogs.answer = m_folder.filePath(QStringLiteral("report.txt"));
        clickSave();
        QVERIFY(!saveButton()->isEnabled());

        if (viaNewDrop) {
            // Tools that answer nothing and a clock that never waits: the run is over at once.
            m_state->setReleaseTools(ReleaseTools{[](const ToolCall &) { return Shell::DataResult{1, {}, {}}; }});
            m_state->setPacingClock({[] { return std::chrono::nanoseconds(0); }, [](std::chrono::nanoseconds) {}});
            m_state->beginInspection(QUrl::fromLocalFile(m_folder.filePath(QStringLiteral("Next.app"))));
            QTRY_VERIFY(!m_state->isInspecting());
        } else {
            m_state->checkAnother();
        }
        show(viaNewDrop ? *m_state->inspection() : application());
        QCOMPARE(textOf(saveButton()), saveTitle);
        QVERIFY(saveButton()->isEnabled());
    }

    void versionFallsBackToDefaults_data()
    {
        QTest::addColumn<QVariant>("recorded");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text") << QVariant(QStringLiteral("2.4.1")) << "2.4.1";
        QTest::newRow("missing") << QVariant() << "1.0";
        QTest::newRow("empty text") << QVariant(QString()) << "1.0";
        QTest::newRow("a number is not text") << QVariant(241) << "1.0";
    }

    void versionFallsBackToDefaults()
    {
        QFETCH(QVariant, recorded);
        QFETCH(QString, shown);
        QCOMPARE(recordedTextOr(recorded, QStringLiteral("1.0")), shown);
    }

    void aboutSheetShowsItsContent()
    {
        m_state->setShowingAbout(true);
        auto *sheet = m_window->findChild<QObject *>(QStringLiteral("aboutSheet"));
        QTRY_VERIFY(sheet->property("opened").toBool());
        auto *content = sheet->property("contentItem").value<QQuickItem *>();
        m_window->grabWindow();

        QCOMPARE(sheet->property("width").toReal(), 660.0);
        QCOMPARE(textOf(one(content, QStringLiteral("aboutStatement"))),
                 QString::fromUtf8("Veristamp inspects the final macOS release artifact \u2014 the .app or .dmg that will "
                                   "actually reach the user. It verifies the package itself, not just the source "
                                   "project or build pipeline."));
        const QList<QQuickItem *> cells = named(content, QStringLiteral("checkArea:"));
        QStringList areas;
        for (QQuickItem *cell : cells)
            areas.append(cell->objectName().mid(10));
        QCOMPARE(areas, (QStringList{"Signing", "Runtime", "Notarization", "Gatekeeper", "Disk Image", "Evidence"}));
        // Filled row by row: the second area beside the first, the third under it.
        QCOMPARE(cells[1]->y(), cells[0]->y());
        QVERIFY(cells[2]->y() > cells[0]->y());
        QCOMPARE(cells[2]->x(), cells[0]->x());
        QCOMPARE(textOf(one(content, QStringLiteral("versionValue:VERSION"))), QStringLiteral("1.0"));
        QCOMPARE(textOf(one(content, QStringLiteral("versionValue:BUILD"))), QStringLiteral("1"));
        QStringList selectable;
        for (QQuickItem *item : descendants(content)) {
            if (item->property("selectByMouse").toBool())
                selectable.append(textOf(item));
        }
        QCOMPARE(selectable, QStringList{"support@veristamp.dev"});

        // In the smallest window the sheet fits and its content scrolls.
        m_window->resize(760, 560);
        QTRY_COMPARE(sheet->property("height").toReal(), 560.0);
        QVERIFY(content->property("contentHeight").toReal() > content->height());
    }

    void aboutSheetOpensAndCloses_data()
    {
        QTest::addColumn<bool>("byReturn"); // else by "Done"
        QTest::newRow("Done") << false;
        QTest::newRow("Return") << true;
    }

    void aboutSheetOpensAndCloses()
    {
        QFETCH(bool, byReturn);
        // The real window: its "About" button and the application-wide command.
        QQmlApplicationEngine engine;
        setUpEngine(engine);
        engine.load(mainWindowUrl());
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        auto *state = window->findChild<ContentViewState *>(QStringLiteral("viewState"));
        auto *sheet = window->findChild<QObject *>(QStringLiteral("aboutSheet"));
        auto *commands = engine.singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
        QQuickItem *aboutButton = one(window->contentItem(), QStringLiteral("aboutButton"));
        QVERIFY(state && sheet && commands && aboutButton);

        QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(aboutButton));
        QTRY_VERIFY(sheet->property("opened").toBool());
        commands->showAbout(); // while open: it stays open
        QVERIFY(state->showingAbout() && sheet->property("visible").toBool());

        if (byReturn)
            QTest::keyClick(window, Qt::Key_Return);
        else
            QTest::mouseClick(window, Qt::LeftButton, {},
                              centreOf(one(sheet->property("contentItem").value<QQuickItem *>(),
                                           QStringLiteral("aboutDoneButton"))));
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QVERIFY(!state->showingAbout());

        commands->showAbout();
        QTRY_VERIFY(sheet->property("opened").toBool());
    }
};

QTEST_MAIN(UiResultsTest)
#include "ui_results_test.moc"
