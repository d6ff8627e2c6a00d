// Announcements a screen reader would say twice are not raised: an element's
// words that the focused item holding it says anyway as the focus lands.

#include "ui/access/accessibility_announcer.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

namespace {

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

class AnnounceTest : public QObject {
    Q_OBJECT

private slots:
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
        QFETCH(bool, saidAlready);
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

        QCOMPARE(saidWithTheFocus(root->findChild<QObject *>("notice"), words), saidAlready);
        window.close();
        QVERIFY(!saidWithTheFocus(root->findChild<QObject *>("notice"), words)); // no reader hears an inactive window
    }
};

QTEST_MAIN(AnnounceTest)
#include "ui_announce_test.moc"
