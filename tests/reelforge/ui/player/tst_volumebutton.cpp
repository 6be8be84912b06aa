#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "styles/kelstylemanager.h"
#include "ui/player/volumebutton.h"
#include "ui/style.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "widgets/kelslider.h"
#include "windows/kelpopupmenu.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Loud = QStringLiteral(":/svg/volume-100.svg");
const QString Silent = QStringLiteral(":/svg/volume-0.svg");

// A volume button with its popup open; input goes through the popup's
// window.
class Host
{
public:
    Host()
    {
        window.resize(200, 300);
        button = new VolumeButton(&window);
        button->move(80, 240);
        window.show();
        popup = button->popup();
        slider = popup->findChild<KelSlider *>(QStringLiteral("VolumeSlider"));
        mute = popup->findChild<KelButton *>(QStringLiteral("MuteButton"));
        label = popup->findChild<KelLabel *>();
    }

    bool open()
    {
        if (!QTest::qWaitForWindowExposed(&window, WaitBound::ms()))
            return false;
        button->showPopup(false);
        return QTest::qWaitForWindowExposed(popup, WaitBound::ms()) && slider && mute && label;
    }

    QWindow *handle() { return popup->windowHandle(); }
    QPoint inPopup(QWidget *w, const QPoint &p) const { return w->mapTo(popup, p); }

    // Drags the slider's handle from where it stands to the given level.
    void dragTo(int level)
    {
        KelButton *knob = slider->positionHandle();
        const QPoint from = inPopup(knob, knob->rect().center());
        const QPoint to = from
                + (slider->pointFromValue(level) - slider->pointFromValue(slider->value()));
        QTest::mousePress(handle(), Qt::LeftButton, {}, from);
        QTest::mouseEvent(QTest::MouseMove, handle(), Qt::NoButton, {}, to);
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, to);
    }

    void clickMute()
    {
        QTest::mouseClick(handle(), Qt::LeftButton, {}, inPopup(mute, mute->rect().center()));
    }

    QString icon() const { return button->icon() ? button->icon()->path() : QString(); }

    QWidget window;
    VolumeButton *button = nullptr;
    KelPopupMenu *popup = nullptr;
    KelSlider *slider = nullptr;
    KelButton *mute = nullptr;
    KelLabel *label = nullptr;
};

} // namespace

class tst_VolumeButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void levelReportsItsFraction_data();
    void levelReportsItsFraction();
    void dragToZeroMutesAndSoundOnRestores();
    void setVolumeIsQuiet();
};

void tst_VolumeButton::initTestCase()
{
    QVERIFY(KelStyleManager::instance());
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_VolumeButton::levelReportsItsFraction_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("volume");
    QTest::addColumn<bool>("soundOn");

    QTest::newRow("50") << 50 << 0.5 << true;
    QTest::newRow("1") << 1 << 0.01 << true;
    QTest::newRow("99") << 99 << 0.99 << true;
    QTest::newRow("0") << 0 << 0.0 << false;
}

void tst_VolumeButton::levelReportsItsFraction()
{
    QFETCH(int, level);
    QFETCH(double, volume);
    QFETCH(bool, soundOn);

    Host host;
    QVERIFY(host.open());
    QSignalSpy changes(host.button, &VolumeButton::volumeChanged);
    host.slider->setValue(level);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.last().at(0).toDouble(), volume);
    QCOMPARE(host.label->text(), QString::number(level));
    QCOMPARE(host.mute->isChecked(), soundOn);
    QCOMPARE(host.icon(), soundOn ? Loud : Silent);
}

void tst_VolumeButton::dragToZeroMutesAndSoundOnRestores()
{
    Host host;
    QVERIFY(host.open());
    QCOMPARE(host.icon(), Loud);
    QVERIFY(host.mute->isChecked());

    host.dragTo(60);
    QCOMPARE(host.slider->value(), 60);
    QSignalSpy changes(host.button, &VolumeButton::volumeChanged);
    host.dragTo(0);
    QCOMPARE(host.slider->value(), 0);
    QVERIFY(!changes.isEmpty());
    QCOMPARE(changes.last().at(0).toDouble(), 0.0);
    QVERIFY(!host.mute->isChecked());
    QCOMPARE(host.icon(), Silent);
    QVERIFY(host.popup->isVisible());

    // Back to the level of the last press, not to 0 nor to the start.
    changes.clear();
    host.clickMute();
    QTRY_COMPARE(changes.size(), 1);
    QCOMPARE(changes.last().at(0).toDouble(), 0.6);
    QCOMPARE(host.slider->value(), 60);
    QCOMPARE(host.label->text(), QStringLiteral("60"));
    QVERIFY(host.mute->isChecked());
    QCOMPARE(host.icon(), Loud);

    host.clickMute();
    QTRY_COMPARE(changes.size(), 2);
    QCOMPARE(changes.last().at(0).toDouble(), 0.0);
    QCOMPARE(host.slider->value(), 0);
    QCOMPARE(host.icon(), Silent);
}

void tst_VolumeButton::setVolumeIsQuiet()
{
    Host host;
    QVERIFY(host.open());
    host.slider->setValue(50);
    QSignalSpy changes(host.button, &VolumeButton::volumeChanged);

    // Equal to the shown level: the level to return to stays 100.
    host.button->setVolume(0.5);
    QCOMPARE(host.slider->value(), 50);
    host.clickMute();
    QTRY_COMPARE(changes.size(), 1);
    host.clickMute();
    QTRY_COMPARE(changes.size(), 2);
    QCOMPARE(changes.last().at(0).toDouble(), 1.0);

    changes.clear();
    host.button->setVolume(1.7);
    QCOMPARE(host.slider->value(), 100);
    QCOMPARE(host.label->text(), QStringLiteral("100"));
    host.button->setVolume(0.25);
    QCOMPARE(host.slider->value(), 25);
    QCOMPARE(host.icon(), Loud);
    QVERIFY(changes.isEmpty());

    // setVolume also sets the level that sound on returns to.
    host.clickMute();
    QTRY_COMPARE(changes.size(), 1);
    host.clickMute();
    QTRY_COMPARE(changes.size(), 2);
    QCOMPARE(changes.last().at(0).toDouble(), 0.25);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_VolumeButton test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_volumebutton.moc"
