#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelwheelanimator.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"
#include "windows/kelpopupmenubutton.h"

#include "../offscreenleak.h"
#include "popupinput.h"

#include <QBoxLayout>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// A theme whose submenus open on the next pass of the event loop.
class ZeroDelayStyle : public KelStyle
{
public:
    int metric(int id) const override { return id == 11 ? 0 : KelStyle::metric(id); }
};

class RefusingButton : public KelPopupMenuButton
{
public:
    using KelPopupMenuButton::KelPopupMenuButton;
    bool refuse = false;

protected:
    void aboutToShowPopup(bool *allow) override { *allow = !refuse; }
};

KelButton *addItem(KelPopupMenu *menu, const QString &text)
{
    KelButton *item = menu->addButton(-1);
    item->setText(text);
    item->setFixedSize(120, 30);
    return item;
}

KelPopupMenuButton *addSubmenu(KelPopupMenu *menu, const QString &text)
{
    auto *button = new KelPopupMenuButton(-1, KelPopupMenuButton::OpenByCode, Qt::RightEdge,
                                          Qt::AlignTop);
    button->setText(text);
    button->setFixedSize(120, 30);
    button->popup()->setupContent(Qt::Vertical, -1);
    addItem(button->popup(), text + QStringLiteral(" item"));
    menu->addWidget(button);
    return button;
}

// A window with a menu button whose menu holds an item and two submenus.
struct Scene
{
    explicit Scene(int openMode = KelPopupMenuButton::OpenOnToggle)
        : window(KelWindow::Movable | KelWindow::WindowButtons)
    {
        window.setGeometry(20, 20, 300, 200);
        auto *layout = new QVBoxLayout(window.centralWidget());
        opener = new RefusingButton(-1, openMode);
        opener->setText(QStringLiteral("Menu"));
        opener->setFixedSize(100, 30);
        layout->addWidget(opener);
        layout->addStretch();
        menu = opener->popup();
        menu->setupContent(Qt::Vertical, -1);
        item = addItem(menu, QStringLiteral("Item"));
        first = addSubmenu(menu, QStringLiteral("First"));
        second = addSubmenu(menu, QStringLiteral("Second"));
        // The window style of popup menus sets the hover delay.
        menu->setTimerInterval(3600000);
        ZeroDelayStyle().applyWindowStyle(menu, 3);
        window.show();
    }

    bool openMenu()
    {
        opener->showPopup(false);
        return QTest::qWaitForWindowExposed(menu, WaitBound::ms());
    }

    KelWindow window;
    RefusingButton *opener = nullptr;
    KelPopupMenu *menu = nullptr;
    KelButton *item = nullptr;
    KelPopupMenuButton *first = nullptr;
    KelPopupMenuButton *second = nullptr;
};

} // namespace

class tst_KelPopupMenu : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void clickingAnItemClosesEveryMenu_data();
    void clickingAnItemClosesEveryMenu();
    void restingOnASubmenuButton_data();
    void restingOnASubmenuButton();
    void hidingAMenuClosesItsSubmenus();
    void removedItemsLeaveTheMenu();
    void opensOnlyWhenAllowed_data();
    void opensOnlyWhenAllowed();
    void openModes_data();
    void openModes();
    void pressOnTheOpenButtonClosesIt();
    void popupSitsBesideTheButton_data();
    void popupSitsBesideTheButton();
    void popupIsNamedAfterTheButton();
    void ensureVisibleWaitsForTheShow();
    void contentScrolling_data();
    void contentScrolling();
};

void tst_KelPopupMenu::cleanup()
{
    KelPopup::closeActivePopups();
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_KelPopupMenu::clickingAnItemClosesEveryMenu_data()
{
    QTest::addColumn<bool>("closeOnClick");
    QTest::newRow("close on click") << true;
    QTest::newRow("kept open") << false;
}

void tst_KelPopupMenu::clickingAnItemClosesEveryMenu()
{
    QFETCH(bool, closeOnClick);

    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    scene.menu->setCloseOnClick(closeOnClick);
    scene.first->popup()->setCloseOnClick(closeOnClick);
    QVERIFY(scene.openMenu());
    QVERIFY(scene.opener->isChecked());
    scene.first->showPopup(false);
    QVERIFY(QTest::qWaitForWindowExposed(scene.first->popup(), WaitBound::ms()));

    auto *subItem = scene.first->popup()->findChild<KelButton *>();
    QSignalSpy clicked(subItem, &KelButton::clicked);
    PopupInput::click(PopupInput::centreOf(subItem));
    QVERIFY(clicked.wait(WaitBound::ms()));
    QCoreApplication::processEvents();
    QCOMPARE(scene.first->popup()->isVisible(), !closeOnClick);
    QCOMPARE(scene.menu->isVisible(), !closeOnClick);
    QCOMPARE(scene.opener->isChecked(), !closeOnClick);
}

void tst_KelPopupMenu::restingOnASubmenuButton_data()
{
    QTest::addColumn<bool>("siblingOpen");
    QTest::addColumn<bool>("leaveEarly");
    QTest::addColumn<bool>("opened");

    QTest::newRow("resting opens it and closes a sibling's") << true << false << true;
    QTest::newRow("leaving before the delay opens nothing") << false << true << false;
}

void tst_KelPopupMenu::restingOnASubmenuButton()
{
    QFETCH(bool, siblingOpen);
    QFETCH(bool, leaveEarly);
    QFETCH(bool, opened);

    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    QVERIFY(scene.openMenu());
    if (siblingOpen) {
        scene.second->showPopup(false);
        QVERIFY(QTest::qWaitForWindowExposed(scene.second->popup(), WaitBound::ms()));
    }

    PopupInput::move(PopupInput::centreOf(scene.first) - QPoint(30, 0));
    PopupInput::move(PopupInput::centreOf(scene.first));
    // Both moves arrive before the delay, which ends on the next pass.
    if (leaveEarly)
        PopupInput::move(PopupInput::centreOf(scene.opener));
    QCoreApplication::processEvents();
    QTRY_COMPARE(scene.first->isPopupVisible(), opened);
    QVERIFY(!scene.second->isPopupVisible());
    QVERIFY(scene.menu->isVisible());
}

void tst_KelPopupMenu::hidingAMenuClosesItsSubmenus()
{
    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    QVERIFY(scene.openMenu());
    scene.first->showPopup(false);
    QVERIFY(scene.first->isPopupVisible());
    QVERIFY(scene.first->isChecked());

    scene.menu->hide();
    QVERIFY(!scene.first->isPopupVisible());
    QVERIFY(!scene.first->isChecked());
}

void tst_KelPopupMenu::removedItemsLeaveTheMenu()
{
    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    QWidget elsewhere;
    for (QWidget *item : {static_cast<QWidget *>(scene.item), static_cast<QWidget *>(scene.first)})
        item->setParent(&elsewhere);
    elsewhere.setGeometry(400, 300, 150, 100);
    scene.first->show();
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere, WaitBound::ms()));
    QVERIFY(scene.openMenu());
    scene.first->showPopup(false);
    QVERIFY(scene.first->isPopupVisible());

    // Neither a click of the former item nor hiding the menu reaches them.
    emit scene.item->clicked();
    QVERIFY(scene.menu->isVisible());
    scene.menu->hide();
    QVERIFY(scene.first->isPopupVisible());
}

void tst_KelPopupMenu::opensOnlyWhenAllowed_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<bool>("opens");

    QTest::newRow("enabled, by code") << "enabled" << false << true;
    QTest::newRow("enabled, by click") << "enabled" << true << true;
    QTest::newRow("disabled") << "disabled" << false << false;
    QTest::newRow("hidden") << "hidden" << false << false;
    QTest::newRow("refused, by code") << "refused" << false << false;
    // The button does not stay checked for a popup that never showed.
    QTest::newRow("refused, by click") << "refused" << true << false;
}

void tst_KelPopupMenu::opensOnlyWhenAllowed()
{
    QFETCH(QString, state);
    QFETCH(bool, byClick);
    QFETCH(bool, opens);

    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    scene.opener->setEnabled(state != QLatin1String("disabled"));
    scene.opener->setVisible(state != QLatin1String("hidden"));
    scene.opener->refuse = state == QLatin1String("refused");

    if (byClick) {
        QSignalSpy toggled(scene.opener, &KelButton::toggled);
        PopupInput::click(PopupInput::centreOf(scene.opener));
        QVERIFY(toggled.wait(WaitBound::ms()));
        QCoreApplication::processEvents();
    } else {
        scene.opener->showPopup(false);
    }
    QCOMPARE(scene.opener->isPopupVisible(), opens);
    QCOMPARE(scene.opener->isChecked(), opens);
}

void tst_KelPopupMenu::openModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("enterOpens");
    QTest::addColumn<bool>("clickOpens");

    QTest::newRow("toggle") << int(KelPopupMenuButton::OpenOnToggle) << false << true;
    QTest::newRow("hover") << int(KelPopupMenuButton::OpenOnHover) << true << false;
    QTest::newRow("by code") << int(KelPopupMenuButton::OpenByCode) << false << false;
}

void tst_KelPopupMenu::openModes()
{
    QFETCH(int, mode);
    QFETCH(bool, enterOpens);
    QFETCH(bool, clickOpens);

    Scene scene(mode);
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    const QPoint centre = PopupInput::centreOf(scene.opener);
    PopupInput::move(centre + QPoint(0, 60));
    PopupInput::move(centre);
    QCOMPARE(scene.opener->isPopupVisible(), enterOpens);
    scene.opener->closePopup();

    QSignalSpy clicked(scene.opener, &KelButton::clicked);
    PopupInput::press(centre);
    PopupInput::release(centre);
    QCoreApplication::processEvents();
    QCOMPARE(scene.opener->isPopupVisible(), clickOpens);
    QCOMPARE(scene.opener->isChecked(), clickOpens);
}

void tst_KelPopupMenu::pressOnTheOpenButtonClosesIt()
{
    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window, WaitBound::ms()));
    const QPoint centre = PopupInput::centreOf(scene.opener);
    PopupInput::click(centre);
    QTRY_VERIFY(scene.opener->isPopupVisible());

    // The press goes through the open popup to the button, which unchecks.
    QSignalSpy toggled(scene.opener, &KelButton::toggled);
    PopupInput::move(centre + QPoint(1, 0));
    PopupInput::press(centre + QPoint(1, 0));
    QVERIFY(scene.opener->isPopupVisible());
    PopupInput::release(centre + QPoint(1, 0));
    QVERIFY(toggled.wait(WaitBound::ms()));
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.at(0).at(0).toBool(), false);
    QVERIFY(!scene.opener->isPopupVisible());
    QVERIFY(!scene.opener->isChecked());
}

void tst_KelPopupMenu::popupSitsBesideTheButton_data()
{
    QTest::addColumn<bool>("combo");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QPoint>("expected");

    // Below the button: offset x is the gap, offset y the shift along it.
    QTest::newRow("menu button: the style's metric 10") << false << QPoint() << QPoint(-3, 3);
    QTest::newRow("combo box: the style's size 1") << true << QPoint() << QPoint(0, 0);
    QTest::newRow("given offset") << false << QPoint(10, 5) << QPoint(10, 5);
}

void tst_KelPopupMenu::popupSitsBesideTheButton()
{
    QFETCH(bool, combo);
    QFETCH(QPoint, offset);
    QFETCH(QPoint, expected);

    KelWindow window(KelWindow::Movable);
    window.setGeometry(40, 40, 300, 200);
    KelPopupMenuButton *button = combo
            ? new KelComboBox(-1, QSizePolicy::Fixed, KelComboBox::NoWidthRule)
            : new KelPopupMenuButton(-1);
    button->setParent(window.centralWidget());
    button->setGeometry(30, 20, 100, 30);
    if (!offset.isNull())
        button->setPopupOffset(offset.x(), offset.y());
    button->popup()->setupContent(Qt::Vertical, -1);
    addItem(button->popup(), QStringLiteral("Item"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    button->showPopup(false);
    QVERIFY(button->isPopupVisible());
    const QRect anchor(button->mapToGlobal(QPoint()), button->size());
    QCOMPARE(button->popup()->geometry().top(), anchor.bottom() + 1 + expected.x());
    QCOMPARE(button->popup()->geometry().left(), anchor.left() + expected.y());
}

void tst_KelPopupMenu::popupIsNamedAfterTheButton()
{
    KelPopupMenuButton button(-1);
    QCOMPARE(button.popup()->objectName(), QStringLiteral("KelPopupButtonPopup"));
    button.setObjectName(QStringLiteral("FormatButton"));
    QCOMPARE(button.popup()->objectName(), QStringLiteral("FormatButton Popup"));
}

void tst_KelPopupMenu::ensureVisibleWaitsForTheShow()
{
    KelPopupMenu menu(Qt::Vertical);
    menu.setupContent(Qt::Vertical, -1);
    QVector<KelButton *> items;
    for (int i = 0; i < 30; ++i)
        items.append(addItem(&menu, QString::number(i)));
    menu.scrollArea()->setMaximumHeight(200);

    menu.ensureVisible(items.at(20));
    QCOMPARE(menu.scrollArea()->verticalScrollBar()->value(), 0);
    menu.placeBesideRect(QRect(100, 100, 10, 10), Qt::BottomEdge, Qt::AlignLeft, false);
    QVERIFY(QTest::qWaitForWindowExposed(&menu, WaitBound::ms()));
    // The item with a margin of 50 below it ends the view.
    const QWidget *viewport = menu.scrollArea()->viewport();
    const QPoint itemBottom = items.at(20)->mapTo(viewport, QPoint(0, 29));
    QCOMPARE(itemBottom.y() + 50, viewport->height() - 1);
}

void tst_KelPopupMenu::contentScrolling_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("scrollBars");
    QTest::addColumn<bool>("smoothWheel");
    QTest::addColumn<bool>("swapped");
    QTest::addColumn<bool>("horizontalOff");
    QTest::addColumn<bool>("verticalOff");

    QTest::newRow("row of items") << int(Qt::Horizontal) << int(Qt::Horizontal) << true << true
                                  << false << true;
    QTest::newRow("column of items")
            << int(Qt::Vertical) << int(Qt::Vertical) << false << false << true << false;
    QTest::newRow("both scroll bars") << int(Qt::Vertical) << int(Qt::Horizontal | Qt::Vertical)
                                      << false << false << false << false;
}

void tst_KelPopupMenu::contentScrolling()
{
    QFETCH(int, orientation);
    QFETCH(int, scrollBars);
    QFETCH(bool, smoothWheel);
    QFETCH(bool, swapped);
    QFETCH(bool, horizontalOff);
    QFETCH(bool, verticalOff);

    KelPopupMenu menu{Qt::Orientation(orientation)};
    menu.setupContent(scrollBars, -1);
    // Only the first set-up counts.
    menu.setupContent(Qt::Horizontal | Qt::Vertical, -1);
    KelScrollArea *area = menu.scrollArea();
    QCOMPARE(menu.centralWidget()->findChildren<KelScrollArea *>().size(), 1);
    QCOMPARE(area->wheelAnimator()->isEnabled(), smoothWheel);
    QCOMPARE(area->wheelAnimator()->isOrientationSwapped(), swapped);
    QCOMPARE(area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, horizontalOff);
    QCOMPARE(area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, verticalOff);
    const auto direction = orientation == Qt::Horizontal ? QBoxLayout::LeftToRight
                                                         : QBoxLayout::TopToBottom;
    QCOMPARE(menu.contentLayout()->direction(), direction);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelPopupMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelpopupmenu.moc"
