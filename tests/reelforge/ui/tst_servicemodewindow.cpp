#include "application.h"
#include "kelui.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/progressbar.h"
#include "ui/servicemodewindow.h"
#include "ui/servicepage_style.h"
#include "ui/ui.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/keliconlabel.h"
#include "widgets/keltabwidget.h"

#include "appservicesfixture.h"
#include "windowinput.h"

#include <QBoxLayout>
#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

const QString LastTabKey = QStringLiteral("ServiceModeWindow_LastTab");

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

Ui *ui()
{
    return static_cast<Ui *>(kelUi());
}

// The tab buttons' texts in the row's order.
QStringList tabTexts(const KelTabWidget *tabs)
{
    QStringList texts;
    QBoxLayout *row = tabs->tabsLayout();
    for (int i = 0; i < row->count(); ++i) {
        if (auto *button = qobject_cast<KelButton *>(row->itemAt(i)->widget()))
            texts.append(button->text());
    }
    return texts;
}

QList<ServiceModeWindow *> serviceWindows()
{
    QList<ServiceModeWindow *> windows;
    const auto widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (auto *window = qobject_cast<ServiceModeWindow *>(widget))
            windows.append(window);
    }
    return windows;
}

} // namespace

class tst_ServiceModeWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void tabsInOrder();
    void lastTabKept_data();
    void lastTabKept();
    void stylePagesKeepTheirOwnStyle();
    void progressPausedPausesTheActiveBars();
    void oneWindowPerRun();
};

void tst_ServiceModeWindow::initTestCase()
{
    QVERIFY(ui());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_ServiceModeWindow::init()
{
    settings()->remove(LastTabKey);
}

void tst_ServiceModeWindow::tabsInOrder()
{
    ServiceModeWindow window;
    QCOMPARE(tabTexts(window.tabs()),
             (QStringList{QStringLiteral("General"), QStringLiteral("Dialogs"),
                          QStringLiteral("Messages"), QStringLiteral("Painting"),
                          QStringLiteral("Translations"), QStringLiteral("Styles")}));
    auto *styles = window.findChild<KelTabWidget *>(QStringLiteral("Styles"));
    QVERIFY(styles);
    QCOMPARE(tabTexts(styles),
             (QStringList{QStringLiteral("LightStyle"), QStringLiteral("DarkStyle")}));
    QVERIFY(window.findChild<ServicePage_Style *>(QStringLiteral("LightStyle")));
    QVERIFY(window.findChild<ServicePage_Style *>(QStringLiteral("DarkStyle")));
}

void tst_ServiceModeWindow::lastTabKept_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("expected");
    QTest::newRow("tab 4 chosen comes back") << QVariant() << 4 << 4;
    QTest::newRow("stored 9 shows the first") << QVariant(9) << -1 << 0;
    QTest::newRow("stored -1 shows the first") << QVariant(-1) << -1 << 0;
    QTest::newRow("stored 5, the last") << QVariant(5) << -1 << 5;
}

void tst_ServiceModeWindow::lastTabKept()
{
    QFETCH(QVariant, stored);
    QFETCH(int, chosen);
    QFETCH(int, expected);
    if (stored.isValid())
        settings()->setValue(LastTabKey, stored);
    if (chosen >= 0) {
        auto first = std::make_unique<ServiceModeWindow>();
        QCOMPARE(first->tabs()->currentIndex(), 0);
        first->tabs()->setCurrentIndex(chosen);
    }
    ServiceModeWindow window;
    QCOMPARE(window.tabs()->currentIndex(), expected);
}

// Each page shows its theme, also while the other one is current.
void tst_ServiceModeWindow::stylePagesKeepTheirOwnStyle()
{
    ServiceModeWindow window;
    const auto styles = KelStyleManager::instance()->styles();
    for (const QString &current : {QStringLiteral("LightStyle"), QStringLiteral("DarkStyle")}) {
        QVERIFY(KelStyleManager::instance()->setCurrentStyle(current));
        for (KelStyle *style : styles) {
            auto *page = window.findChild<ServicePage_Style *>(style->styleId());
            QVERIFY(page);
            QCOMPARE(page->palette().color(page->backgroundRole()),
                     style->color(KelStyle::CL_Window_Base));
            const auto bars = page->findChildren<ProgressBar *>();
            QCOMPARE(bars.size(), 5);
            for (ProgressBar *bar : bars)
                QCOMPARE(bar->percentLabel()->textColors().normal, style->defaultTextColor());
        }
    }
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_ServiceModeWindow::progressPausedPausesTheActiveBars()
{
    settings()->setValue(LastTabKey, 5);
    ServiceModeWindow window;
    window.resize(900, 1400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    auto *page = window.findChild<ServicePage_Style *>(QStringLiteral("LightStyle"));
    QVERIFY(page);
    KelButton *pausedBox = nullptr;
    for (KelButton *button : page->findChildren<KelButton *>()) {
        if (button->text() == QStringLiteral("Progress paused"))
            pausedBox = button;
    }
    QVERIFY(pausedBox);
    page->ensureWidgetVisible(pausedBox);
    const auto bars = page->findChildren<ProgressBar *>();

    for (bool paused : {true, false}) {
        WindowInput::click(pausedBox);
        QTRY_COMPARE(pausedBox->isChecked(), paused);
        for (ProgressBar *bar : bars) {
            const bool active = bar->objectName().startsWith(QStringLiteral("ActiveProgress"));
            QCOMPARE(bar->state() == KelProgressBar::Paused, paused && active);
        }
    }
}

void tst_ServiceModeWindow::oneWindowPerRun()
{
    ui()->showServiceModeWindow();
    QCOMPARE(serviceWindows().size(), 1);
    QPointer<ServiceModeWindow> first = serviceWindows().first();
    QVERIFY(first->isVisible());
    first->tabs()->setCurrentIndex(3);
    first->hide();

    ui()->showServiceModeWindow();
    QCOMPARE(serviceWindows().size(), 1);
    QCOMPARE(serviceWindows().first(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(first->tabs()->currentIndex(), 3);

    delete first;
    ui()->showServiceModeWindow();
    QCOMPARE(serviceWindows().size(), 1);
    QCOMPARE(serviceWindows().first()->tabs()->currentIndex(), 3);
    delete serviceWindows().first();
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    AppServicesFixture services(app);
    tst_ServiceModeWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_servicemodewindow.moc"
