#include "core/player/playercore.h"
#include "datamodel/codecinfo.h"
#include "datamodel/pip/pipobject.h"
#include "kelapplication.h"
#include "kelui.h"
#include "shared/formatters.h"
#include "shared/settingsprovider.h"
#include "styles/kelstylemanager.h"
#include "ui/player/playerwidget.h"
#include "ui/player/timeslider.h"
#include "ui/player/volumebutton.h"
#include "ui/style.h"
#include "ui/videodialogbase.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"

#include "appservicesfixture.h"
#include "fakeaudio.h"
#include "mediafixtures.h"
#include "windowinput.h"

#include <QScreen>
#include <QtTest>

#include <memory>

namespace {

constexpr qint64 Second = 10000000;

// The base dialog with its protected parts in reach.
class Dialog : public VideoDialogBase
{
public:
    Dialog(int mode, VideoItemPtr item, const QString &name = QString())
        : VideoDialogBase(mode, std::move(item), nullptr, name, false)
    {
        translateUi();
    }
    using VideoDialogBase::controls;
    using VideoDialogBase::mediaPlayer;
    using VideoDialogBase::playerWidget;
};

QPoint globalCentre(const QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace

class tst_VideoDialogBase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void playAdvancesAndStopsAtTheTrimEnd();
    void playNearTheEndRestarts_data();
    void playNearTheEndRestarts();
    void positionWhileSeekingMovesOnlyTheLabel();
    void frameViewClicks_data();
    void frameViewClicks();
    void spaceTogglesWithTheSliderFocused();
    void missingSourceKeepsTheDialogOpen();
    void trimmedEditorStartsAtTheRangeStart();
    void overlaysRunFromTheTrimStart();
    void volumeFollowsTheSetting();
    void savedGeometryComesBackInsideTheScreen();

private:
    VideoItemPtr clipItem(const QString &path = QString()) const;
    std::unique_ptr<Dialog> shownDialog(int mode, const VideoItemPtr &item) const;

    MediaFixtures m_fixtures;
    QString m_clip;
};

void tst_VideoDialogBase::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    // No sound device: the player runs on its own clock.
    FakeAudioDevices::install();
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    MediaFixtures::Clip clip;
    clip.frames = 75; // 3 s
    clip.gop = 25;
    clip.audioChannels = 2;
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void tst_VideoDialogBase::cleanupTestCase()
{
    FakeAudioDevices::uninstall();
}

VideoItemPtr tst_VideoDialogBase::clipItem(const QString &path) const
{
    auto item = VideoItemPtr::create(QFileInfo(path.isEmpty() ? m_clip : path));
    item->setDuration(3 * Second);
    item->sourceCodecInfo()->setResolution(QSize(320, 240));
    item->targetCodecInfo()->setResolution(QSize(320, 240));
    return item;
}

std::unique_ptr<Dialog> tst_VideoDialogBase::shownDialog(int mode, const VideoItemPtr &item) const
{
    auto dialog = std::make_unique<Dialog>(mode, item);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get(), WaitBound::ms()))
        return nullptr;
    return dialog;
}

void tst_VideoDialogBase::playAdvancesAndStopsAtTheTrimEnd()
{
    // Far longer than the wait, so only the trim end can stop it in time,
    // however late a loaded machine reports the position.
    constexpr int LongClipSeconds = 40;
    MediaFixtures::Clip shape;
    shape.frames = 25 * LongClipSeconds;
    shape.gop = 25;
    shape.audioChannels = 2;
    const QString longClip = m_fixtures.make(QStringLiteral("long.mp4"), shape);
    QVERIFY(!longClip.isEmpty());
    VideoItemPtr item = clipItem(longClip);
    item->setDuration(LongClipSeconds * Second);
    auto dialog = shownDialog(VideoDialogBase::TrimMode, item);
    QVERIFY(dialog);
    VideoDialogBase::PlayerControls *controls = dialog->controls();
    TimeSlider *slider = controls->slider();
    slider->setTrimRange(0, Second);
    slider->setTrimVisible(true);
    const QString startText = controls->currentLabel()->text();

    WindowInput::click(controls->playButton());
    QTRY_VERIFY(controls->playButton()->isChecked());
    QTRY_VERIFY(controls->currentLabel()->text() != startText);
    QTRY_VERIFY(!controls->playButton()->isChecked());
    QVERIFY(slider->sliderTime() >= Second);
    QVERIFY(slider->sliderTime() < LongClipSeconds * Second);
    // Paused at the end: the position stays.
    const qint64 stoppedAt = dialog->mediaPlayer()->position();
    QTest::qWait(200);
    QCOMPARE(dialog->mediaPlayer()->position(), stoppedAt);
}

void tst_VideoDialogBase::playNearTheEndRestarts_data()
{
    QTest::addColumn<qint64>("beforeEnd");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("0.1 s before the end") << Second / 10 << true;
    QTest::newRow("0.3 s before the end") << 3 * Second / 10 << false;
}

void tst_VideoDialogBase::playNearTheEndRestarts()
{
    QFETCH(qint64, beforeEnd);
    QFETCH(bool, restarts);
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem());
    QVERIFY(dialog);
    VideoDialogBase::PlayerControls *controls = dialog->controls();
    TimeSlider *slider = controls->slider();
    slider->setTrimRange(Second / 2, 2 * Second);
    slider->setTrimVisible(true);
    const qint64 from = 2 * Second - beforeEnd;
    slider->setTime(from);

    QSignalSpy seeks(slider, &TimeSlider::timeValueChanged);
    QSignalSpy toggled(controls->playButton(), &KelButton::toggled);
    controls->playButton()->setChecked(true);
    // The play handler runs on toggled, before the spy hears it.
    QTRY_COMPARE(toggled.count(), 1);
    if (restarts) {
        QCOMPARE(seeks.count(), 1);
        QCOMPARE(seeks.first().first().toLongLong(), Second / 2);
    } else {
        QVERIFY(seeks.isEmpty());
        QVERIFY(slider->sliderTime() >= from);
    }
}

void tst_VideoDialogBase::positionWhileSeekingMovesOnlyTheLabel()
{
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem());
    QVERIFY(dialog);
    VideoDialogBase::PlayerControls *controls = dialog->controls();
    TimeSlider *slider = controls->slider();
    QWidget *handle = slider->positionHandle();
    controls->playButton()->setCheckedState(true);

    WindowInput::press(dialog.get(), globalCentre(handle));
    QTRY_VERIFY(slider->positionHandle()->isPressed() || slider->isSliderDown());
    const qint64 held = slider->sliderTime();
    controls->currentLabel()->setText(QString());
    controls->onPositionChanged(2 * Second);
    QCOMPARE(slider->sliderTime(), held);
    QVERIFY(controls->playButton()->isChecked());
    QVERIFY(!controls->currentLabel()->text().isEmpty());
    WindowInput::release(dialog.get(), globalCentre(handle));

    // Let go, a report at the end of the range stops playback.
    slider->setTimeQuiet(3 * Second);
    controls->onPositionChanged(3 * Second);
    QTRY_VERIFY(!controls->playButton()->isChecked());
}

void tst_VideoDialogBase::frameViewClicks_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("moved");
    QTest::addColumn<bool>("toggles");
    QTest::newRow("left, 4 px") << int(Qt::LeftButton) << QPoint(2, 2) << true;
    QTest::newRow("left, 5 px") << int(Qt::LeftButton) << QPoint(3, 2) << false;
    QTest::newRow("right, in place") << int(Qt::RightButton) << QPoint() << false;
}

void tst_VideoDialogBase::frameViewClicks()
{
    QFETCH(int, button);
    QFETCH(QPoint, moved);
    QFETCH(bool, toggles);
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem());
    QVERIFY(dialog);
    KelButton *play = dialog->controls()->playButton();
    QSignalSpy toggled(play, &KelButton::toggled);
    QSignalSpy clicks(dialog->playerWidget(), &PlayerWidget::clicked);
    QWindow *window = dialog->windowHandle();
    const QPoint at = dialog->playerWidget()->mapTo(dialog.get(),
                                                    dialog->playerWidget()->rect().center());

    QTest::mousePress(window, Qt::MouseButton(button), {}, at);
    QTest::mouseMove(window, at + moved);
    QTest::mouseRelease(window, Qt::MouseButton(button), {}, at + moved);
    if (toggles) {
        QTRY_COMPARE(toggled.count(), 1);
        QVERIFY(play->isChecked());
        QCOMPARE(clicks.count(), 1);
    } else {
        QTest::qWait(100);
        QVERIFY(clicks.isEmpty());
        QVERIFY(toggled.isEmpty());
    }
}

void tst_VideoDialogBase::spaceTogglesWithTheSliderFocused()
{
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem());
    QVERIFY(dialog);
    TimeSlider *slider = dialog->controls()->slider();
    KelButton *play = dialog->controls()->playButton();
    dialog->activateWindow();
    slider->setFocus();
    QTRY_VERIFY(slider->hasFocus());
    const qint64 before = slider->sliderTime();

    QTest::keyClick(dialog->windowHandle(), Qt::Key_Space);
    QTRY_VERIFY(play->isChecked());
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Space);
    QTRY_VERIFY(!play->isChecked());
    QCOMPARE(slider->sliderTime() >= before, true);
}

void tst_VideoDialogBase::missingSourceKeepsTheDialogOpen()
{
    const QString missing = m_fixtures.path(QStringLiteral("missing.mp4"));
    QTest::ignoreMessage(QtCriticalMsg, qPrintable("[PLAYER] Can't open file: " + missing));
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem(missing));
    QVERIFY(dialog);
    QTest::qWait(50);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->mediaPlayer()->currentImage().isNull());
}

void tst_VideoDialogBase::trimmedEditorStartsAtTheRangeStart()
{
    VideoItemPtr item = clipItem();
    item->setTrim(Second, 2 * Second);
    auto dialog = shownDialog(VideoDialogBase::EditorMode, item);
    QVERIFY(dialog);
    VideoDialogBase::PlayerControls *controls = dialog->controls();
    QCOMPARE(controls->slider()->timeRange(), qMakePair(Second, 2 * Second));
    QCOMPARE(controls->slider()->sliderTime(), Second);
    QCOMPARE(controls->durationLabel()->text(), formatDuration(Second));
    QTRY_COMPARE(dialog->mediaPlayer()->position(), Second);
    QCOMPARE(controls->currentLabel()->text(), formatDuration(0));
}

void tst_VideoDialogBase::overlaysRunFromTheTrimStart()
{
    // A cue in the first half second of the converted part.
    const QString srt = m_fixtures.path(QStringLiteral("cue.srt"));
    QFile file(srt);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\n00:00:00,000 --> 00:00:00,500\nHELLO THERE\n\n");
    file.close();
    auto subtitles = PipObjectPtr::create();
    subtitles->setType(PipObject::Subtitles);
    subtitles->setLocation(PipObject::Aligned);
    subtitles->setFilePath(srt);
    subtitles->setSize(0.2);
    subtitles->setOpacity(1.0);
    subtitles->setForegroundBrush(QBrush(Qt::white));
    subtitles->setBackgroundBrush(QBrush(Qt::black));

    VideoItemPtr item = clipItem();
    item->setTrim(Second, 2 * Second);
    auto dialog = shownDialog(VideoDialogBase::EditorMode, item);
    QVERIFY(dialog);
    QTRY_COMPARE(dialog->mediaPlayer()->position(), Second);
    PlayerWidget *view = dialog->playerWidget();
    QTRY_VERIFY(!dialog->mediaPlayer()->currentImage().isNull());
    const QImage bare = view->grab().toImage();

    view->setPipFrame(subtitles, nullptr);
    const QImage withCue = view->grab().toImage();
    QVERIFY(withCue != bare);
}

void tst_VideoDialogBase::volumeFollowsTheSetting()
{
    SettingsProvider *settings = SettingsProvider::instance();
    settings->setLastVolume(0.4);
    auto dialog = shownDialog(VideoDialogBase::TrimMode, clipItem());
    QVERIFY(dialog);
    VolumeButton *volume = dialog->controls()->volumeButton();
    auto *level = volume->findChild<KelSlider *>(QStringLiteral("VolumeSlider"));
    QVERIFY(level);
    QCOMPARE(level->value(), 40);
    level->setValue(70);
    QCOMPARE(settings->lastVolume(), 0.7);
    settings->setLastVolume(1.0);
}

void tst_VideoDialogBase::savedGeometryComesBackInsideTheScreen()
{
    const QString name = QStringLiteral("GeometryProbe");
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        Dialog dialog(VideoDialogBase::TrimMode, clipItem(), name);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog, WaitBound::ms()));
        dialog.setGeometry(QRect(available.right() - 300, available.top() + 40, dialog.width(),
                                 dialog.height()));
        QTRY_VERIFY(!available.contains(dialog.geometry()));
    }
    Dialog dialog(VideoDialogBase::TrimMode, clipItem(), name);
    QVERIFY(available.contains(dialog.geometry()));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_VideoDialogBase test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videodialogbase.moc"
