// Main windows used without a mouse: the keyboard-only road from the drop
// zone to a saved report, the accessible role and name of every interactive
// item on each screen, the announcements of a run and those not raised since
// the focus says them already, and packages named on the command line.

#include "window_harness.h"

#include "engine/tool_root.h"
#include "ui/access/accessibility_announcer.h"
#include "ui/access/keyboard_scroll.h"
#include "ui/intake/launch_packages.h"
#include "ui/intake/open_panel.h"
#include "ui/intake/package_opener.h"
#include "ui/saving/release_report_saver.h"
#include "ui/window/engine_setup.h"

#include <QAccessible>
#include <QCursor>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QQmlComponent>
#include <QTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

const QUrl chosen = QUrl::fromLocalFile("/tmp/veristamp-ui-test/Example.app");

struct AnsweringChooser : PackageChooser {
    std::optional<QUrl> choosePackage() override { return chosen; }
};

QList<QQuickItem *> descendants(QQuickItem *root)
{
    QList<QQuickItem *> found;
    for (QQuickItem *child : root->childItems())
        found << child << descendants(child);
    return found;
}

QString focusedName(QQuickWindow *window)
{
    return window->activeFocusItem() ? window->activeFocusItem()->objectName() : QString();
}

// Every announcement from now on, as "objectName: text".
void listenInto(QStringList &said)
{
    AccessibleAnnouncement::setListener([&said](QObject *element, const QString &text) { said << element->objectName() + ": " + text; });
}

bool ringShown(QQuickItem *item)
{
    return item->findChild<QQuickItem *>("focusRing", Qt::FindDirectChildrenOnly)->isVisible();
}

// "objectName: accessible name" of every visible item a user can reach:
// buttons, tab stops, selectable text and whatever holds the focus. An
// item without a role reads "<no role>".
QStringList interactiveNames(QQuickWindow *window)
{
    QAccessible::setActive(true); // Controls take their roles once a reader is there
    QStringList names;
    for (QQuickItem *item : descendants(window->contentItem())) {
        const bool reachable = item->inherits("QQuickAbstractButton") || item->activeFocusOnTab()
            || item->property("selectByMouse").toBool() || item == window->activeFocusItem();
        if (!item->isVisible() || !reachable || item->inherits("QQuickScrollBar"))
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
        const bool hasRole = face && face->role() != QAccessible::NoRole && face->role() != QAccessible::Client;
        names << item->objectName() + ": " + (hasRole ? face->text(QAccessible::Name) : "<no role>");
    }
    return names;
}

// A named holder and another focusable item; the notice inside the holder
// is what announces, drawn nowhere, as the window's announcements are.
const QByteArray scene = R"(
import QtQuick
Item {
    property string holderName
    width: 300
    height: 100
    Item {
        objectName: "holder"
        width: 100
        height: 100
        activeFocusOnTab: true
        Accessible.role: Accessible.StaticText
        Accessible.name: parent.holderName
        Item {
            objectName: "notice"
            visible: false
            Accessible.role: Accessible.Notification
        }
    }
    Item {
        objectName: "other"
        x: 150
        width: 100
        height: 100
        activeFocusOnTab: true
        Accessible.role: Accessible.StaticText
        Accessible.name: "Save Release Report"
    }
}
)";

} // namespace

class UiAccessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    void keyboardOnly()
    {
        WindowHarness harness;
        ToolScript script(mixedToolOutcomes, {"/usr/bin/codesign", "-d"});
        harness.prepareRuns(script.tools());
        QQuickWindow *window = harness.window();
        AnsweringChooser chooser;
        window->findChild<PackageOpener *>("packageOpener")->setChooser(&chooser);
        QQuickItem *zone = harness.item("dropZone");
        QTRY_VERIFY(zone->hasActiveFocus());
        QVERIFY(!ringShown(zone)); // focus placed by the program, nothing typed yet
        const auto tab = [window] {
            QTest::keyClick(window, Qt::Key_Tab);
            return focusedName(window);
        };
        const auto tabTo = [window](const QString &name) {
            for (int tabs = 0; tabs < 12 && focusedName(window) != name; ++tabs)
                QTest::keyClick(window, Qt::Key_Tab);
        };

        QCOMPARE(tab(), "aboutButton");
        QCOMPARE(tab(), "dropZone");
        QVERIFY(ringShown(zone));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(harness.state()->inspectionTargetName(), "Example.app");
        QTRY_COMPARE(focusedName(window), "liveCard");
        QCOMPARE(tab(), "aboutButton");
        QCOMPARE(tab(), "liveCard"); // the card stays in reach

        script.release();
        QTRY_COMPARE(focusedName(window), "verdictBanner");
        QVERIFY(ringShown(window->activeFocusItem())); // keyboard still in use
        auto *scroll = harness.item("resultsScroll")->property("contentItem").value<QQuickItem *>();
        QTest::keyClick(window, Qt::Key_End);
        QVERIFY(scroll->property("contentY").toReal() > 0);

        // Each Tab stop on the results is scrolled into view; Page Up works from the top bar.
        window->resize(920, 560);
        for (int tabs = 0; tabs < 12; ++tabs) {
            const QString name = tab();
            QQuickItem *focused = window->activeFocusItem();
            const QRectF shown = focused->mapRectToScene(QRectF(0, 0, focused->width(), focused->height()));
            QVERIFY2(shown.top() >= 0 && shown.bottom() <= window->height(), qPrintable(name));
        }
        tabTo("aboutButton");
        QTest::keyClick(window, Qt::Key_End);
        const qreal bottom = scroll->property("contentY").toReal();
        QTest::keyClick(window, Qt::Key_PageUp);
        QVERIFY(scroll->property("contentY").toReal() < bottom);
        tabTo("verdictBanner");
        QCOMPARE(focusedName(window), "verdictBanner");

        QTemporaryDir folder;
        FakeSaveDialogs dialogs;
        dialogs.answer = folder.filePath("report.txt");
        window->findChild<ReleaseReportSaver *>("releaseReportSaver")->setDialogs(&dialogs);
        QCOMPARE(tab(), "saveReportButton");
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(harness.state()->releaseReportSaved() && QFile::exists(*dialogs.answer));
        QCOMPARE(focusedName(window), "evidenceCard"); // the disabled button cannot keep it
        QAccessible::setActive(true);
        QCOMPARE(QAccessible::queryAccessibleInterface(window->activeFocusItem())->text(QAccessible::Name),
                 QString::fromUtf8("Release report saved as \u201Creport.txt\u201D."));

        tabTo("aboutButton");
        QTest::keyClick(window, Qt::Key_Space);
        QTRY_COMPARE(focusedName(window), "aboutDoneButton");
        QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier); // not through the sheet
        QVERIFY(harness.state()->hasInspection());
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_COMPARE(focusedName(window), "aboutButton"); // back where the sheet was asked for
        QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(focusedName(window), "dropZone");
    }

    // Roles and names on each screen; each stage announced as it finishes, then the verdict as it appears.
    void namesAndAnnouncements()
    {
        QStringList said;
        listenInto(said);
        WindowHarness harness;
        ToolScript script(macOnlyToolOutcomes, {"/usr/sbin/spctl", "--assess"});
        harness.prepareRuns(script.tools(standInToolRoot({}).limits));
        QQuickWindow *window = harness.window();
        QCOMPARE(interactiveNames(window),
                 QStringList({"aboutButton: About", "dropZone: Drop an app or DMG here, or press to choose one"}));
        harness.state()->beginInspection(QUrl::fromLocalFile("/tmp/veristamp-ui-test/Example.dmg"));
        QTRY_COMPARE(interactiveNames(window), QStringList({"aboutButton: About", "liveCard: Inspecting DMG\u2026 Example.dmg"}));
        QTRY_COMPARE(said.size(), 3);
        QCOMPARE(QAccessible::queryAccessibleInterface(harness.item("stageList")->childItems().at(4))->text(QAccessible::Name),
                 "Mounting disk image: waiting");

        script.release();
        QTRY_COMPARE(said.size(), 7);
        AccessibleAnnouncement::setListener({});
        QCOMPARE(said, QStringList({"stageAnnouncement: Verifying disk image: passed",
                                    "stageAnnouncement: Checking Developer ID signature: passed",
                                    "stageAnnouncement: Validating notarization ticket: to be decided on a Mac",
                                    "stageAnnouncement: Running Gatekeeper assessment: to be decided on a Mac",
                                    "stageAnnouncement: Mounting disk image: failed",
                                    "stageAnnouncement: Inspecting packaged application: failed",
                                    "verdictAnnouncement: DO NOT SHIP. One or more release-blocking checks failed. 2 passed, 2 "
                                    "warnings, 1 failed."}));
        QTRY_VERIFY(interactiveNames(window).contains(QString(said.last()).replace("verdictAnnouncement", "verdictBanner")));
        QVERIFY2(interactiveNames(window).filter(QRegularExpression(": (<no role>)?$")).isEmpty(),
                 qPrintable(interactiveNames(window).join('\n')));

        harness.state()->showAbout();
        QTRY_COMPARE(focusedName(window), "aboutDoneButton");
        const QStringList about = interactiveNames(window);
        QVERIFY2(about.contains("aboutDoneButton: Done") && about.contains("supportAddress: support@veristamp.dev"),
                 qPrintable(about.join('\n')));
        // The sheet is a dialog named for what it is, reading its statement, areas, version and build.
        QAccessibleInterface *sheet = QAccessible::queryAccessibleInterface(window->activeFocusItem());
        while (sheet && sheet->role() != QAccessible::Dialog)
            sheet = sheet->parent();
        QVERIFY(sheet);
        QCOMPARE(sheet->text(QAccessible::Name), "About Veristamp");
        QStringList read;
        std::function<void(QAccessibleInterface *)> collect = [&](QAccessibleInterface *face) {
            for (int index = 0; index < face->childCount(); ++index) {
                QAccessibleInterface *child = face->child(index);
                if (!child->state().invisible && !child->text(QAccessible::Name).isEmpty())
                    read << child->text(QAccessible::Name);
                collect(child);
            }
        };
        collect(sheet);
        for (const char *expected : {"Know what you are actually shipping.", "Version: ", "Build: ",
                                        "Veristamp inspects the final macOS release artifact"})
            QVERIFY2(!read.filter(QRegularExpression("^" + QRegularExpression::escape(QString(expected)))).isEmpty(),
                     qPrintable(read.join('\n')));
        QCOMPARE(read.filter(QRegularExpression("^[A-Z][a-z].*: ")).size() - 2, 6); // the six areas beside version and build
    }

    // A refused package is shown and said, not only beeped; the next package taken clears the line.
    void refusalShownAndSaid()
    {
        QStringList said;
        listenInto(said);
        WindowHarness harness;
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        harness.prepareRuns(script.tools());
        int beeps = 0;
        harness.state()->setBeeper([&] { ++beeps; });
        harness.state()->beginInspection(QUrl::fromLocalFile("/tmp/veristamp-ui-test/notes.txt"));
        const QString refusal = QString::fromUtf8(
            "\u201Cnotes.txt\u201D cannot be checked: choose an app (.app) or a disk image (.dmg).");
        QCOMPARE(beeps, 1);
        QCOMPARE(harness.item("refusalLine")->property("text").toString(), refusal);
        QVERIFY(harness.item("refusalLine")->isVisible());
        QCOMPARE(said, QStringList{"refusalAnnouncement: " + refusal});
        AccessibleAnnouncement::setListener({});
        harness.state()->beginInspection(chosen);
        QCOMPARE(harness.state()->refusal(), QString());
    }

    // An application's path typed into the open panel and confirmed chooses
    // the application; a folder that is not one is opened as before.
    void typedPathInTheOpenPanel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("application bundle") << "Typed.app" << true;
        QTest::newRow("plain folder") << "Folder" << false;
    }
    void typedPathInTheOpenPanel()
    {
        QFETCH(QString, typed);
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath("Typed.app/Contents") && QDir(home.path()).mkpath("Folder"));
        const QString path = home.filePath(typed);
        QTimer::singleShot(0, this, [&] {
            auto *panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(panel);
            auto *name = panel->findChild<QLineEdit *>("fileNameEdit");
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
            if (panel->isVisible()) // still open: it entered the folder
                panel->reject();
        });
        OpenPanelChooser chooser;
        const std::optional<QUrl> answer = chooser.choosePackage();
        QFETCH(bool, chosen);
        QCOMPARE(answer, chosen ? std::optional(QUrl::fromLocalFile(path)) : std::nullopt);
    }

    // Shift+F10 and the Menu key open the menu at the focused control. A
    // right click on the drop zone opens it too, never the open panel, which
    // a left click opens; over the results a right click opens it as well.
    void contextMenuAndClicks()
    {
        WindowHarness harness;
        ToolScript script({}, {});
        harness.prepareRuns(script.tools());
        QQuickWindow *window = harness.window();
        AnsweringChooser chooser;
        window->findChild<PackageOpener *>("packageOpener")->setChooser(&chooser);
        QTRY_COMPARE(focusedName(window), "dropZone");
        QObject *menu = nullptr; // made when it first opens
        const auto closeMenu = [&menu] {
            QMetaObject::invokeMethod(menu, "close");
            return QTest::qWaitFor([&menu] { return !menu->property("visible").toBool(); });
        };
        QCursor::setPos(window->mapToGlobal(QPoint(5, 5)));
        const QRectF zone = harness.item("dropZone")->mapRectToScene(QRectF(0, 0, harness.item("dropZone")->width(),
                                                                              harness.item("dropZone")->height()));
        for (const QKeyCombination key : {QKeyCombination(Qt::ShiftModifier, Qt::Key_F10), QKeyCombination(Qt::Key_Menu)}) {
            QTest::keyClick(window, key.key(), key.keyboardModifiers());
            QTRY_VERIFY((menu = window->findChild<QObject *>("windowMenu")) && menu->property("visible").toBool());
            QCOMPARE(menu->property("x").toReal(), zone.left()); // kept inside the window, perhaps above the point
            QVERIFY(menu->property("y").toReal() > zone.center().y() - menu->property("height").toReal());
            QVERIFY(closeMenu());
        }
        QTest::mouseClick(window, Qt::RightButton, {}, zone.center().toPoint());
        QTRY_VERIFY(menu->property("visible").toBool());
        QVERIFY(closeMenu() && !harness.state()->isInspecting());
        QTest::mouseClick(window, Qt::LeftButton, {}, zone.center().toPoint());
        QVERIFY(harness.state()->isInspecting());
        QTRY_VERIFY(harness.item("resultsView") && harness.item("resultsView")->isVisible());
        window->resize(920, 1600); // the whole results column in view
        QQuickItem *detail = nullptr;
        for (QQuickItem *item : descendants(window->contentItem()))
            detail = !detail && item->objectName() == "checkDetail" && item->isVisible() ? item : detail;
        QVERIFY(detail);
        for (QQuickItem *target : {harness.item("verdictBanner"), detail}) {
            QTest::mouseClick(window, Qt::RightButton, {}, WindowHarness::centreOf(target).toPoint());
            QTRY_VERIFY2(menu->property("visible").toBool(), qPrintable(target->objectName()));
            QVERIFY(closeMenu());
        }
    }

    void revealRule_data()
    {
        QTest::addColumn<QList<qreal>>("span"); // top, bottom of the item with its margin
        QTest::addColumn<qreal>("top");        // of the view, 300 high over 1000
        QTest::addColumn<qreal>("target");
        QTest::newRow("in view") << QList<qreal>{120, 200} << qreal(100) << qreal(100);
        QTest::newRow("below") << QList<qreal>{450, 520} << qreal(100) << qreal(220);
        QTest::newRow("above") << QList<qreal>{40, 90} << qreal(100) << qreal(40);
        QTest::newRow("taller than the view: its top") << QList<qreal>{500, 900} << qreal(100) << qreal(500);
        QTest::newRow("past the end: kept within") << QList<qreal>{950, 1020} << qreal(100) << qreal(700);
        QTest::newRow("before the start") << QList<qreal>{-12, 30} << qreal(100) << qreal(0);
    }
    void revealRule()
    {
        QFETCH(QList<qreal>, span);
        QFETCH(qreal, top);
        QTEST(revealScrollTarget(span[0], span[1], top, 300, 1000), "target");
    }

    void menuPointRule_data()
    {
        QTest::addColumn<QRectF>("focused"); // empty: nothing focused
        QTest::addColumn<QPointF>("point");   // in an area of 900 x 600
        QTest::newRow("under the control") << QRectF(100, 40, 80, 24) << QPointF(100, 64);
        QTest::newRow("nothing focused: the centre") << QRectF() << QPointF(450, 300);
        QTest::newRow("control scrolled off the bottom") << QRectF(100, 640, 80, 24) << QPointF(100, 600);
        QTest::newRow("control off the left") << QRectF(-30, 40, 80, 24) << QPointF(0, 64);
    }
    void menuPointRule()
    {
        QFETCH(QRectF, focused);
        QTEST(keyboardMenuPoint(focused.isNull() ? std::nullopt : std::optional(focused), QSizeF(900, 600)), "point");
    }

    void commandLinePackages()
    {
        const QString here = QDir::currentPath();
        QCOMPARE(packagesFromArguments({"veristamp", "-psn_0_1234", "First.app", "../Second.dmg", "/Volumes/Third.zip"}),
                 QList<QUrl>({QUrl::fromLocalFile(here + "/First.app"),
                              QUrl::fromLocalFile(QDir::cleanPath(here + "/../Second.dmg")),
                              QUrl::fromLocalFile("/Volumes/Third.zip")}));

        QQmlApplicationEngine engine;
        setUpEngine(engine);
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        QVERIFY(openMainWindows(engine, {chosen, QUrl::fromLocalFile("/tmp/Other.dmg"), QUrl::fromLocalFile("/tmp/a.zip")},
                                [&](ContentViewState &state) { state.setReleaseTools(script.tools()); }));
        QStringList shown;
        for (QObject *root : engine.rootObjects()) {
            const auto *state = root->findChild<ContentViewState *>();
            shown << QString("%1 %2").arg(state->isInspecting()).arg(state->inspectionTargetName());
        }
        QCOMPARE(shown, QStringList({"1 Example.app", "1 Other.dmg", "0 "}));
    }

    // Announcements a screen reader would say twice are not raised: an element's
    // words that the focused item holding it says anyway as the focus lands.
    void saidOnce_data()
    {
        QTest::addColumn<QString>("holderName");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("saidAlready");
        const QString verdict = "DO NOT SHIP. One or more release-blocking checks failed. 0 passed, 1 warning, 4 failed.";
        QTest::newRow("the focused holder says them") << verdict << "holder" << verdict << true;
        QTest::newRow("the focused holder says other words")
            << QString::fromUtf8("Release report saved as \u201Creport.txt\u201D.") << "holder" << verdict << false;
        QTest::newRow("the focus is on another item") << verdict << "other" << verdict << false;
        QTest::newRow("the focused holder is unnamed") << "" << "holder" << "Verifying disk image: failed" << false;
        QTest::newRow("the words differ in case") << verdict.toLower() << "holder" << verdict << false;
        QTest::newRow("the words differ by a full stop") << verdict.chopped(1) << "holder" << verdict << false;
    }

    void saidOnce()
    {
        QFETCH(QString, holderName);
        QFETCH(QString, focused);
        QFETCH(QString, words);
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData(scene, QUrl());
        std::unique_ptr<QObject> made(component.createWithInitialProperties({{"holderName", holderName}}));
        auto *root = qobject_cast<QQuickItem *>(made.get());
        QVERIFY2(root, qPrintable(component.errorString()));
        QQuickWindow window;
        root->setParentItem(window.contentItem());
        window.resize(300, 100);
        window.show();
        window.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        root->findChild<QQuickItem *>(focused)->forceActiveFocus();

        QTEST(saidWithTheFocus(root->findChild<QObject *>("notice"), words), "saidAlready");
        window.close();
        QVERIFY(!saidWithTheFocus(root->findChild<QObject *>("notice"), words)); // no reader hears an inactive window
    }
};

QTEST_MAIN(UiAccessTest)
#include "ui_access_test.moc"
