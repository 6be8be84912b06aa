#include "core/decoderprivate.h"
#include "core/player/playercore.h"
#include "core/player/volumemanager.h"
#include "waitbound.h"

#include "fakeaudio.h"
#include "mediafixtures.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr qint64 Second = 10000000;
const QString SilentModeMessage = QStringLiteral(
        "Sound device error. Application will use silent mode.");

// The picture of a clip at a position, decoded the plain way.
QImage referenceImage(const QString &path, qint64 position)
{
    decoderprivate decoder;
    if (decoder.openInputFile(path) < 0
        || decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_VIDEO)) < 0)
        return QImage();
    decoder.setTargetSize(QSize(960, 720));
    AVFrame *frame = nullptr;
    qint64 pts = 0, duration = 0;
    while (decoder.decode(nullptr, &frame, &pts, &duration) >= 0) {
        if (position >= pts && position < pts + duration)
            return decoder.frameAsQImage(frame).copy();
        decoder.recycleFrame(frame);
    }
    return QImage();
}

} // namespace

class TestPlayerCore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void initShowsTheFirstPicture();
    void unusableFileIsReported();
    void secondInitIsRefused();
    void keptPictureDoesNotChange();
    void seekWhilePausedShowsThatFrameAndStaysPaused();
    void playRunsToTheEndAndStopsOnce();
    void quickSuccessionNeitherDeadlocksNorCrashes_data();
    void quickSuccessionNeitherDeadlocksNorCrashes();
    void lostDeviceGoesSilentWithoutStopping();
    void changedFormatReopensTheDefaultDevice();
    void failedOutputPlaysSilentlyAndTellsTheUserLater();
    void volumeAndMuteReachTheSession();

private:
    bool waitForFirstPicture(playercore &player);

    MediaFixtures m_fixtures;
    QString m_clip;
};

void TestPlayerCore::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    MediaFixtures::Clip clip;
    clip.frames = 75; // 3 s
    clip.gop = 25;
    clip.audioChannels = 2;
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void TestPlayerCore::cleanup()
{
    FakeAudioDevices::uninstall();
    playercore::setMessageHandler(nullptr);
}

bool TestPlayerCore::waitForFirstPicture(playercore &player)
{
    return QTest::qWaitFor([&] { return !player.currentImage().isNull(); }, WaitBound::ms());
}

void TestPlayerCore::initShowsTheFirstPicture()
{
    playercore player;
    QSignalSpy frames(&player, &playercore::hasNewFrame);
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(frames.wait(WaitBound::ms()));
    QCOMPARE(player.currentImage(), referenceImage(m_clip, 0));
    QCOMPARE(player.position(), 0);
    QVERIFY(player.volumeManager());
}

void TestPlayerCore::unusableFileIsReported()
{
    playercore player;
    QSignalSpy errors(&player, &playercore::sourceFileError);
    const QString path = m_fixtures.path(QStringLiteral("missing.mp4"));
    QVERIFY(player.init(path) < 0);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), path);
}

void TestPlayerCore::secondInitIsRefused()
{
    auto endpoint = FakeAudioDevices::install()->add(QStringLiteral("speakers"));
    playercore player;
    QCOMPARE(player.init(m_clip, Second, 2 * Second), 0);
    QCOMPARE(player.trim(), qMakePair(Second, 2 * Second));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^The player is initialised already"));
    QVERIFY(player.init(m_clip, 0, Second) < 0);
    QCOMPARE(player.trim(), qMakePair(Second, 2 * Second));
    QCOMPARE(endpoint->log()->outputsCreated, 1);
    // The whole file plays, whatever the trim.
    QVERIFY(waitForFirstPicture(player));
    QCOMPARE(player.currentImage(), referenceImage(m_clip, 0));
}

void TestPlayerCore::keptPictureDoesNotChange()
{
    playercore player;
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(waitForFirstPicture(player));
    const QImage kept = player.currentImage();
    const QImage firstFrame = kept.copy();

    const QImage expected = referenceImage(m_clip, 15 * Second / 10);
    player.setCurrentPosition(15 * Second / 10);
    QTRY_COMPARE(player.currentImage(), expected);
    QCOMPARE(kept, firstFrame);
}

void TestPlayerCore::seekWhilePausedShowsThatFrameAndStaysPaused()
{
    playercore player;
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(waitForFirstPicture(player));

    const qint64 target = 15 * Second / 10;
    const QImage expected = referenceImage(m_clip, target);
    QSignalSpy positions(&player, &playercore::currentPosChanged);
    player.setCurrentPosition(target);
    QTRY_COMPARE(player.currentImage(), expected);
    QTest::qWait(200);
    QCOMPARE(positions.count(), 0);
    QCOMPARE(player.position(), target);
    QCOMPARE(player.currentImage(), expected);

    // Play starts the clock at the sought position.
    QElapsedTimer wall;
    wall.start();
    player.onPlay();
    QVERIFY(positions.wait(WaitBound::ms()));
    const qint64 first = positions.at(0).at(0).toLongLong();
    QVERIFY2(first >= target && first - target <= wall.nsecsElapsed() / 100,
             qPrintable(QString::number(first)));
}

void TestPlayerCore::playRunsToTheEndAndStopsOnce()
{
    playercore player;
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(waitForFirstPicture(player));
    QSignalSpy stopped(&player, &playercore::stopped);
    QSignalSpy positions(&player, &playercore::currentPosChanged);

    QElapsedTimer played;
    played.start();
    player.onPlay();
    QVERIFY(stopped.wait(WaitBound::ms()));
    // The clip plays in its own time, not as fast as it decodes.
    QVERIFY2(played.elapsed() >= 2700, qPrintable(QString::number(played.elapsed())));
    // Positions come with the frame timer's ticks, however late a busy
    // machine makes them; none runs ahead of the time played.
    const qint64 last = positions.last().at(0).toLongLong();
    QVERIFY2(last > 0 && last <= played.nsecsElapsed() / 100, qPrintable(QString::number(last)));
    QTest::qWait(300);
    QCOMPARE(stopped.count(), 1);
}

void TestPlayerCore::quickSuccessionNeitherDeadlocksNorCrashes_data()
{
    QTest::addColumn<bool>("withSound");
    QTest::newRow("software clock") << false;
    QTest::newRow("sound output") << true;
}

void TestPlayerCore::quickSuccessionNeitherDeadlocksNorCrashes()
{
    QFETCH(bool, withSound);
    std::shared_ptr<FakeAudioEndpoint> endpoint;
    if (withSound)
        endpoint = FakeAudioDevices::install()->add(QStringLiteral("speakers"));
    playercore player;
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(waitForFirstPicture(player));

    QRandomGenerator random(15);
    for (int i = 0; i < 200; ++i) {
        player.onPlay();
        player.setCurrentPosition(qint64(random.bounded(3.0) * Second));
        if (i % 3 == 0)
            QTest::qWait(1);
        player.onPause();
        if (i % 7 == 0)
            QCoreApplication::processEvents();
    }

    // Still a working player afterwards.
    QSignalSpy stopped(&player, &playercore::stopped);
    player.setCurrentPosition(25 * Second / 10);
    player.onPlay();
    QVERIFY(stopped.wait(WaitBound::ms()));
    if (endpoint)
        QVERIFY(endpoint->log()->writtenCount() > 0);
}

void TestPlayerCore::lostDeviceGoesSilentWithoutStopping()
{
    auto system = FakeAudioDevices::install();
    auto endpoint = system->add(QStringLiteral("speakers"));
    // The output's clock stands at 1.3 s until the device goes, so a slow
    // machine cannot play to the end while it is still there.
    endpoint->log()->manualClock = true;
    endpoint->log()->setManualTime(13 * Second / 10);
    playercore player;
    QSignalSpy status(&player, &playercore::soundDeviceStatusChanged);
    QSignalSpy stopped(&player, &playercore::stopped);
    QSignalSpy positions(&player, &playercore::currentPosChanged);
    QCOMPARE(player.init(m_clip), 0);
    QCOMPARE(endpoint->log()->outputsCreated, 1);
    QVERIFY(waitForFirstPicture(player));

    player.setCurrentPosition(Second);
    player.onPlay();
    QTRY_VERIFY(endpoint->log()->writtenCount() > 0);
    QTRY_VERIFY(!positions.isEmpty() && positions.last().at(0).toLongLong() >= 13 * Second / 10);

    endpoint->disconnect(AudioDisconnectReason::DeviceRemoval);
    QVERIFY(status.count() > 0 || status.wait(WaitBound::ms()));
    QCOMPARE(status.at(0).at(0).toBool(), false);
    const int written = endpoint->log()->writtenCount();
    const int before = positions.count();
    const qint64 lostAt = positions.last().at(0).toLongLong();
    // The player stops only at the clip's end; the picture went on till then.
    QVERIFY(stopped.count() == 1 || stopped.wait(WaitBound::ms()));
    QCOMPARE(stopped.count(), 1);
    QVERIFY(positions.count() > before);
    QVERIFY(positions.last().at(0).toLongLong() > lostAt);
    QCOMPARE(endpoint->log()->writtenCount(), written);
    QCOMPARE(endpoint->log()->outputsCreated, 1);
}

void TestPlayerCore::changedFormatReopensTheDefaultDevice()
{
    auto system = FakeAudioDevices::install();
    auto endpoint = system->add(QStringLiteral("speakers"));
    // The output's clock stands still until the end, so a slow machine cannot
    // play past the clip's end before the format changes.
    endpoint->log()->manualClock = true;
    endpoint->log()->setManualTime(3 * Second / 2);
    playercore player;
    QSignalSpy stopped(&player, &playercore::stopped);
    QCOMPARE(player.init(m_clip), 0);
    QVERIFY(waitForFirstPicture(player));
    player.setCurrentPosition(Second);
    player.onPlay();
    QTRY_VERIFY(endpoint->log()->writtenCount() > 0);

    // The device now plays 16-bit mono at 44.1 kHz.
    {
        QMutexLocker locker(&endpoint->log()->lock);
        endpoint->log()->mediaTypes = {fakeMediaType(false, 1, 44100)};
    }
    endpoint->disconnect(AudioDisconnectReason::FormatChanged);
    QTRY_COMPARE(endpoint->log()->outputsCreated, 2);
    {
        QMutexLocker locker(&system->lock);
        QCOMPARE(system->requests, (QStringList{"default", "default"}));
    }
    // Sound and picture go on from where the old output stopped, the sound in
    // the new format.
    const int written = endpoint->log()->writtenCount();
    QTRY_VERIFY(endpoint->log()->writtenCount() > written + 5);
    const QVector<qint64> starts = endpoint->log()->starts();
    QVERIFY(starts.last() >= Second && starts.last() < 3 * Second);
    {
        QMutexLocker locker(&endpoint->log()->lock);
        QCOMPARE(endpoint->log()->written.last().data.size(), 1024 * 2);
        QCOMPARE(endpoint->log()->written.last().duration, 1024 * Second / 44100);
    }
    endpoint->log()->setManualTime(4 * Second);
    QVERIFY(stopped.wait(WaitBound::ms()));
}

void TestPlayerCore::failedOutputPlaysSilentlyAndTellsTheUserLater()
{
    auto system = FakeAudioDevices::install();
    auto endpoint = system->add(QStringLiteral("speakers"));
    endpoint->log()->failAt = FakeOutputLog::BeginWriting;
    QStringList messages;
    QElapsedTimer sinceInit;
    qint64 shownAfter = -1;
    playercore::setMessageHandler([&](const QString &text) {
        messages << text;
        shownAfter = sinceInit.elapsed();
    });

    playercore player;
    QSignalSpy stopped(&player, &playercore::stopped);
    sinceInit.start();
    QCOMPARE(player.init(m_clip), 0);
    QTRY_COMPARE(messages, QStringList{SilentModeMessage});
    QVERIFY2(shownAfter >= 290, qPrintable(QString::number(shownAfter)));

    QVERIFY(waitForFirstPicture(player));
    player.setCurrentPosition(2 * Second);
    player.onPlay();
    QVERIFY(stopped.wait(WaitBound::ms()));
    QCOMPARE(endpoint->log()->writtenCount(), 0);
}

void TestPlayerCore::volumeAndMuteReachTheSession()
{
    auto system = FakeAudioDevices::install();
    auto endpoint = system->add(QStringLiteral("speakers"));
    playercore player;
    QSignalSpy volume(&player, &playercore::volumeChanged);
    QSignalSpy mute(&player, &playercore::muteChanged);
    QCOMPARE(player.init(m_clip), 0);
    QCOMPARE(volume.count(), 1); // the session's level when the output opened
    volume.clear();
    mute.clear();

    player.onVolumeLevelChanged(0.5);
    player.onVolumeLevelChanged(0.5);
    QCOMPARE(endpoint->volumeCalls(), 1);
    QCOMPARE(endpoint->volume(), 0.5f);
    player.volumeManager()->setMute(true);
    QVERIFY(endpoint->isMuted());

    endpoint->changeElsewhere(0.8f, false);
    QTRY_COMPARE(volume.count(), 1);
    QCOMPARE(volume.at(0).at(0).toFloat(), 0.8f);
    QCOMPARE(mute.count(), 1);
    QCOMPARE(mute.at(0).at(0).toBool(), false);
}

QTEST_GUILESS_MAIN(TestPlayerCore)
#include "tst_playercore.moc"
