// The results screen, its save button and the About sheet, drawn offscreen.

#include "report/report_file_name.h"
#include "report/report_text.h"
#include "test_doubles.h"
#include "ui/app_commands.h"
#include "ui/content_view_state.h"
#include "ui/engine_setup.h"
#include "ui/release_report_saver.h"
#include "ui/report_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickTextDocument>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

Q_DECLARE_METATYPE(InspectionResult)
Q_DECLARE_METATYPE(CheckStatus)

namespace {

using S = CheckStatus;

QList<InspectionCheck> checks(std::initializer_list<CheckStatus> statuses)
{
    QList<InspectionCheck> made;
    for (CheckStatus status : statuses)
        made.append(makeCheck("Code signature", status, "The code is signed.\nBy Jane Doe."));
    return made;
}

const QString plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                      "\t<key>com.apple.security.app-sandbox</key>\n\t<true/>\n</dict>\n</plist>\n\n  <tail> & more\n";

InspectionResult application(const QString &entitlements = plist, QList<InspectionCheck> appChecks = checks({S::pass}))
{
    return {QUrl::fromLocalFile("/Users/dana/Builds/Harbor Lights.app"), 48'213'504,
            AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", "241", "13.0", "Harbor Lights",
                          std::move(appChecks), entitlements}};
}

InspectionResult diskImage(std::optional<QList<InspectionCheck>> appChecks = std::nullopt,
                           const QString &entitlements = {})
{
    std::optional<EmbeddedAppResult> app;
    if (appChecks)
        app = EmbeddedAppResult{"Harbor Lights", "com.example.harborlights", "2.4.1", std::nullopt, std::nullopt,
                                std::nullopt, *appChecks, entitlements};
    return {QUrl::fromLocalFile("/Users/dana/Release/Harbor-2.4.1.DMG"), 1'234'567'890,
            DiskImageInspection{"Harbor-2.4.1", checks({S::pass, S::pass}), std::move(app)}};
}

const QByteArray resultsWindow = R"(import QtQuick; import Veristamp
Window { width: 920; height: 700; visible: true
    ContentViewState { id: viewState; objectName: "viewState" }
    Flickable { anchors.fill: parent; contentHeight: results.height
        ResultsView { id: results; objectName: "resultsView"; width: parent.width; viewState: viewState } } })";

QList<QQuickItem *> descendants(QQuickItem *root)
{
    QList<QQuickItem *> found;
    for (QQuickItem *child : root ? root->childItems() : found)
        found << child << descendants(child);
    return found;
}

// The visible items below root whose object name starts with prefix (or is name), in tree order.
QList<QQuickItem *> named(QQuickItem *root, const QString &prefix, bool exact = false)
{
    QList<QQuickItem *> found = descendants(root);
    found.removeIf([&](QQuickItem *item) {
        return !item->isVisible() || (exact ? item->objectName() != prefix : !item->objectName().startsWith(prefix));
    });
    return found;
}

QQuickItem *one(QQuickItem *root, const QString &name)
{
    const QList<QQuickItem *> found = named(root, name, true);
    return found.size() == 1 ? found.first() : nullptr;
}

QString textOf(QQuickItem *item) { return item ? item->property("text").toString() : "<missing>"; }
QPoint centreOf(QQuickItem *item) { return item->mapToScene(item->boundingRect().center()).toPoint(); }

QDateTime fixedMoment() { return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7), Qt::OffsetFromUTC, 3600); }

} // namespace

class UiResultsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    ContentViewState *m_state = nullptr;
    ManualClock m_clock{true};
    QQuickItem *m_results = nullptr;
    FakeSaveDialogs m_dialogs;
    QTemporaryDir m_folder;

    void show(const InspectionResult &result)
    {
        m_state->inspectionView()->setResult(result);
        m_window->grabWindow(); // the layouts settle
    }
    QQuickItem *saveButton() { return one(m_results, "saveReportButton"); }
    QString symbolOfSave() { return one(m_results, "saveReportSymbol")->property("name").toString(); }
    void clickSave() { QTest::mouseClick(m_window, Qt::LeftButton, {}, centreOf(saveButton())); }

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    void init()
    {
        m_engine = std::make_unique<QQmlApplicationEngine>();
        setUpEngine(*m_engine);
        m_engine->addImportPath("qrc:/");
        m_engine->loadData(resultsWindow);
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().value(0));
        QVERIFY(m_window && QTest::qWaitForWindowExposed(m_window));
        m_state = m_window->findChild<ContentViewState *>("viewState");
        m_results = m_window->findChild<QQuickItem *>("resultsView");
        auto *saver = m_window->findChild<ReleaseReportSaver *>("releaseReportSaver");
        QVERIFY(m_state && m_results && saver);
        m_dialogs = FakeSaveDialogs{};
        saver->setDialogs(&m_dialogs);
        saver->setClock(fixedMoment);
    }

    void cleanup() { m_engine.reset(); }

    // The sections with their rows, the verdict and the check rows a result gets.
    void resultScreen_data()
    {
        QTest::addColumn<InspectionResult>("result");
        QTest::addColumn<QString>("sections"); // "TITLE rows", rows of facts, checks or entitlements
        QTest::addColumn<QString>("facts");    // "Label: value", some of the facts shown
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("tallies");      // pass, warn and fail counts

        const QString app = "PACKAGE 4, APPLICATION METADATA 5, RELEASE PREFLIGHT ";
        const InspectionResult bare{QUrl::fromLocalFile("/Users/dana/Builds/Harbor Lights.app"), 0,
                                    AppInspection{"Harbor Lights", std::nullopt, std::nullopt, std::nullopt,
                                                  std::nullopt, std::nullopt, checks({S::pass, S::warning}), {}}};
        QList<InspectionCheck> many;
        for (int i = 0; i < 100; ++i)
            many += checks(i < 12 ? std::initializer_list<S>{S::pass, S::warning, S::fail} : std::initializer_list<S>{S::fail});

        QTest::newRow("application with entitlements, a pending check ships")
            << application(plist, checks({S::pass, S::pass, S::pending})) << app + "3, ENTITLEMENTS 1"
            << "Version: 2.4.1; Size: 48.2 MB" << "READY TO SHIP" << "2 0 0";
        QTest::newRow("application without entitlements or metadata, a warning")
            << bare << app + "2" << "Bundle Identifier: Not found; Build: Not found; Minimum macOS: Not declared"
            << "REVIEW BEFORE SHIPPING" << "1 1 0";
        QTest::newRow("a failure outweighs warnings, two-digit counts")
            << application(plist, many) << app + "124, ENTITLEMENTS 1" << "" << "DO NOT SHIP" << "12 12 100";
        QTest::newRow("disk image without app") << diskImage() << "PACKAGE 4, DMG PREFLIGHT 2"
                                                << "Extension: dmg; Size: 1.23 GB" << "READY TO SHIP" << "2 0 0";
        QTest::newRow("disk image whose packaged app, without entitlements, alone fails")
            << diskImage(checks({S::pass, S::fail}))
            << "PACKAGE 4, DMG PREFLIGHT 2, PACKAGED APP 4, PACKAGED APP PREFLIGHT 2"
            << "App: Harbor Lights; Build: Not found" << "DO NOT SHIP" << "3 0 1";
    }

    void resultScreen()
    {
        QFETCH(InspectionResult, result);
        QFETCH(QString, sections);
        QFETCH(QString, facts);
        QFETCH(QString, verdict);
        QFETCH(QString, tallies);
        show(result);

        QStringList shown;
        for (QQuickItem *section : named(m_results, "section:")) {
            const qsizetype rows = named(section, "fact:").size() + named(section, "check:").size()
                + named(section, "entitlementsBlock").size();
            shown.append(QString("%1 %2").arg(textOf(one(section, "sectionTitle"))).arg(rows));
        }
        QCOMPARE(shown.join(", "), sections);
        QStringList shownFacts;
        for (QQuickItem *row : named(m_results, "fact:"))
            shownFacts.append(textOf(one(row, "factLabel")) + ": " + textOf(one(row, "factValue")));
        for (const QString &fact : facts.split("; ", Qt::SkipEmptyParts))
            QVERIFY2(shownFacts.contains(fact), qPrintable(fact));
        if (QQuickItem *block = one(m_results, "entitlementsText")) // every line, blank ones included
            QCOMPARE(block->property("textDocument").value<QQuickTextDocument *>()->textDocument()->toPlainText(), plist);

        QCOMPARE(textOf(one(m_results, "verdictTitle")), verdict);
        QStringList counts;
        for (const char *tile : {"tallyTilePASS", "tallyTileWARN", "tallyTileFAIL"})
            counts << textOf(one(one(m_results, tile), "tallyCount"));
        QCOMPARE(counts.join(' '), tallies);
        QCOMPARE(textOf(one(m_results, "tallyLine")),
                 QString::fromUtf8("%1 pass \u2022 %2 warn \u2022 %3 fail").arg(counts[0], counts[1], counts[2]));
        const QList<InspectionCheck> all =
            result.checks() + (result.embeddedApp() ? result.embeddedApp()->checks : QList<InspectionCheck>{});
        const QList<QQuickItem *> rows = named(m_results, "check:");
        QCOMPARE(rows.size(), all.size());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(textOf(one(rows[i], "checkBadge")) + ' ' + textOf(one(rows[i], "checkDetail")),
                     label(all[i].status) + ' ' + all[i].detail);
    }

    void saveFlow_data()
    {
        QTest::addColumn<QString>("answer"); // the chosen file, empty for a cancel
        QTest::addColumn<QString>("then");   // what follows a successful save
        QTest::newRow("cancelled") << "" << "";
        QTest::newRow("failed write") << "missing folder/report.txt" << "";
        QTest::newRow("saved, then check another") << "report.txt" << "check another";
        QTest::newRow("saved, then a new drop") << "report.txt" << "new drop";
    }

    void saveFlow()
    {
        QFETCH(QString, answer);
        QFETCH(QString, then);
        const InspectionResult result = diskImage(checks({S::warning}), plist);
        show(result);
        if (!answer.isEmpty())
            m_dialogs.answer = m_folder.filePath(answer);
        clickSave();
        QCOMPARE(m_dialogs.proposedNames, QStringList{defaultReportFileName(result, fixedMoment())});

        if (!then.isEmpty()) {
            QFile saved(*m_dialogs.answer);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), releaseReportText(result, fixedMoment()).toUtf8());
            QCOMPARE(textOf(saveButton()) + ' ' + symbolOfSave(), "Saved checkmark.circle.fill");
            QVERIFY(!saveButton()->isEnabled());
            if (then == "new drop") {
                // Tools that answer nothing and a clock that never waits: the run is over at once.
                m_state->setReleaseTools(ReleaseTools{[](const ToolCall &) { return Shell::DataResult{1, {}, {}}; }});
                m_state->setPacingClock(&m_clock);
                m_state->beginInspection(QUrl::fromLocalFile(m_folder.filePath("Next.app")));
                QTRY_VERIFY(!m_state->isInspecting());
                show(*m_state->inspection());
            } else {
                m_state->checkAnother();
                show(result);
            }
        }
        QCOMPARE(m_dialogs.failures.size(), answer.startsWith("missing") ? 1 : 0);
        QCOMPARE(textOf(saveButton()) + ' ' + symbolOfSave(), QString::fromUtf8("Save Release Report\u2026 square.and.arrow.down"));
        QVERIFY(saveButton()->isEnabled());
    }

    // The platform's save panel and alert, shown for real and answered as soon as they are up.
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

    void aboutSheet_data()
    {
        QTest::addColumn<bool>("byReturn"); // else by "Done"
        QTest::newRow("closed by Done") << false;
        QTest::newRow("closed by Return") << true;
    }

    void aboutSheet()
    {
        QFETCH(bool, byReturn);
        QQmlApplicationEngine engine; // the real window, with its "About" button
        setUpEngine(engine);
        engine.load(mainWindowUrl());
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        auto *state = window->findChild<ContentViewState *>("viewState");
        auto *sheet = window->findChild<QObject *>("aboutSheet");
        auto *commands = engine.singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
        QVERIFY(state && sheet && commands);
        auto *content = sheet->property("contentItem").value<QQuickItem *>();

        QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(one(window->contentItem(), "aboutButton")));
        QTRY_VERIFY(sheet->property("opened").toBool());
        QStringList selectable;
        for (QQuickItem *item : descendants(content)) {
            if (item->property("selectByMouse").toBool())
                selectable.append(textOf(item));
        }
        QCOMPARE(selectable, QStringList{"support@veristamp.dev"});
        commands->showAbout(); // while open: it stays open
        QVERIFY(state->showingAbout() && sheet->property("visible").toBool());

        if (byReturn)
            QTest::keyClick(window, Qt::Key_Return);
        else
            QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(one(content, "aboutDoneButton")));
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QVERIFY(!state->showingAbout());

        commands->showAbout();
        QTRY_VERIFY(sheet->property("opened").toBool());
        // In the smallest window the sheet fits and its content scrolls.
        window->resize(760, 560);
        QTRY_COMPARE(sheet->property("height").toReal(), 560.0);
        QVERIFY(content->property("contentHeight").toReal() > content->height());
    }
};

QTEST_MAIN(UiResultsTest)
#include "ui_results_test.moc"
