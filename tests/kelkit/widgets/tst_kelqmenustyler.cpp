#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "waitbound.h"
#include "widgets/kelqmenustyler.h"

#include "../offscreenleak.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QtTest>

class tst_KelQMenuStyler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void stylesChildMenusAfterConstruction();
    void deletedChildIsSkipped();
    void contextMenuOfLineEdit();

private:
    QString menuSheet() const { return kelStyle()->menuStyleSheet(41); }
};

void tst_KelQMenuStyler::initTestCase()
{
    QVERIFY(kelUi());
    QVERIFY(!menuSheet().isEmpty());
}

void tst_KelQMenuStyler::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelQMenuStyler::stylesChildMenusAfterConstruction()
{
    QWidget watched;
    auto *styler = new KelQMenuStyler(&watched, KelStyle::WT_Menu);
    QCOMPARE(styler->parent(), &watched);

    auto *menu = new QMenu(&watched);
    auto *plain = new QWidget(&watched);
    QVERIFY(menu->windowFlags().testFlag(Qt::NoDropShadowWindowHint));
    QVERIFY(plain->windowFlags().testFlag(Qt::NoDropShadowWindowHint));
    // The menu is a popup still: only the shadow hint was added.
    QCOMPARE(menu->windowType(), Qt::Popup);
    QVERIFY(menu->styleSheet().isEmpty());

    QTRY_COMPARE(menu->styleSheet(), menuSheet());
    QVERIFY(plain->styleSheet().isEmpty());

    // Another child object is left alone.
    QObject other(&watched);
    QCoreApplication::processEvents();

    KelQMenuStyler orphan(nullptr, 41);
    QCOMPARE(orphan.parent(), nullptr);
}

void tst_KelQMenuStyler::deletedChildIsSkipped()
{
    QWidget watched;
    new KelQMenuStyler(&watched, KelStyle::WT_Menu);
    QPointer<QMenu> menu = new QMenu(&watched);
    delete menu;
    QCoreApplication::processEvents();
    QCOMPARE(watched.findChildren<QMenu *>().size(), 0);
}

void tst_KelQMenuStyler::contextMenuOfLineEdit()
{
    QLineEdit edit;
    new KelQMenuStyler(&edit, KelStyle::WT_Menu);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit, WaitBound::ms()));

    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&edit, &event);

    // The line edit pops its menu up at once; the style follows from the
    // event loop.
    QPointer<QMenu> menu = edit.findChild<QMenu *>();
    QVERIFY(menu);
    QVERIFY(menu->windowFlags().testFlag(Qt::NoDropShadowWindowHint));
    QTRY_COMPARE(menu->styleSheet(), menuSheet());
    QVERIFY(menu->isVisible());
    menu->close();
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelQMenuStyler test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelqmenustyler.moc"
