#include "kelapplication.h"
#include "waitbound.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowblockedoverlay.h"

#include "../offscreenleak.h"
#include "manualanimationdriver.h"

#include <QPointer>
#include <QPushButton>
#include <QtTest>

class tst_KelWindowBlockedOverlay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void modalChildDarkensTheWindow();
    void fadesOutOnUnblockAndTurnsRoundWhenBlockedAgain();
    void offRemovesTheOverlay();
    void clickWhileFadingOutReachesTheWindow();

private:
    KelWindowBlockedOverlay *overlay() const;
    void block();
    void unblock();

    std::unique_ptr<ManualAnimationDriver> m_driver;
    std::unique_ptr<KelWindow> m_window;
    QPointer<KelWindow> m_modal;
};

void tst_KelWindowBlockedOverlay::init()
{
    m_driver = std::make_unique<ManualAnimationDriver>();
    m_window = std::make_unique<KelWindow>(KelWindow::Movable | KelWindow::WindowButtons);
    m_window->resize(300, 200);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
    m_window->setBlocked(true);
    m_modal = new KelWindow(KelWindow::WindowButtons, m_window.get());
    m_modal->setWindowModality(Qt::ApplicationModal);
}

void tst_KelWindowBlockedOverlay::cleanup()
{
    m_window.reset();
    m_driver.reset();
}

KelWindowBlockedOverlay *tst_KelWindowBlockedOverlay::overlay() const
{
    return m_window->findChild<KelWindowBlockedOverlay *>();
}

void tst_KelWindowBlockedOverlay::block()
{
    m_modal->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_modal.data(), WaitBound::ms()));
}

void tst_KelWindowBlockedOverlay::unblock()
{
    m_modal->hide();
}

void tst_KelWindowBlockedOverlay::modalChildDarkensTheWindow()
{
    QVERIFY(overlay());
    QVERIFY(!overlay()->isVisible());

    block();
    m_driver->advance(75);
    QVERIFY(overlay()->isVisible());
    QVERIFY(overlay()->fadeProgress() > 0.0 && overlay()->fadeProgress() < 1.0);
    QCOMPARE(overlay()->size(), m_window->size());
    m_driver->advance(75);
    QCOMPARE(overlay()->fadeProgress(), 1.0);

    m_window->resize(340, 260);
    QTRY_COMPARE(overlay()->size(), QSize(340, 260));
}

void tst_KelWindowBlockedOverlay::fadesOutOnUnblockAndTurnsRoundWhenBlockedAgain()
{
    block();
    m_driver->advance(150);
    QCOMPARE(overlay()->fadeProgress(), 1.0);

    unblock();
    m_driver->advance(175);
    const double halfway = overlay()->fadeProgress();
    QVERIFY(halfway > 0.0 && halfway < 1.0);
    QVERIFY(overlay()->isVisible());

    block();
    m_driver->advance(20);
    QVERIFY(overlay()->fadeProgress() > halfway);
    m_driver->advance(400);
    QCOMPARE(overlay()->fadeProgress(), 1.0);
    QVERIFY(overlay()->isVisible());

    unblock();
    m_driver->advance(349);
    QVERIFY(overlay()->isVisible());
    m_driver->advance(1);
    QCOMPARE(overlay()->fadeProgress(), 0.0);
    QVERIFY(!overlay()->isVisible());
}

void tst_KelWindowBlockedOverlay::offRemovesTheOverlay()
{
    block();
    QPointer<KelWindowBlockedOverlay> removed = overlay();
    m_window->setBlocked(false);
    QTRY_VERIFY(!removed);
    unblock();
    QVERIFY(!overlay());
}

void tst_KelWindowBlockedOverlay::clickWhileFadingOutReachesTheWindow()
{
    auto *button = new QPushButton(QStringLiteral("Convert"), m_window->centralWidget());
    button->setGeometry(20, 20, 120, 40);
    button->show();
    QSignalSpy clicked(button, &QPushButton::clicked);
    block();
    m_driver->advance(150);

    unblock();
    m_driver->advance(50);
    QVERIFY(overlay()->isVisible());
    const QPoint centre = button->mapTo(m_window.get(), button->rect().center());
    QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(clicked.count(), 1);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelWindowBlockedOverlay test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwindowblockedoverlay.moc"
