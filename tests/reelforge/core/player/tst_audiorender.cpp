#include "core/coredecoder.h"
#include "core/player/audiorender.h"
#include "waitbound.h"

#include "fakeaudio.h"
#include "mediafixtures.h"

#include <QtTest>

namespace {

constexpr qint64 Second = 10000000;
using Types = QVector<AudioMediaType>;

} // namespace

Q_DECLARE_METATYPE(FakeOutputLog::Stage)
Q_DECLARE_METATYPE(Types)

class TestAudioRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lastSupportedTypeIsChosen_data();
    void lastSupportedTypeIsChosen();
    void initReportsTheFailingStage_data();
    void initReportsTheFailingStage();
    void softwareClockFollowsWallTime();
    void clockAndSamplesFollowTheOutput();
    void lostSessionFallsBackToTheSoftwareClock();
    void callsDoNotWaitBehindABlockedWriter_data();
    void callsDoNotWaitBehindABlockedWriter();

private:
    MediaFixtures m_fixtures;
    QString m_clip;
};

void TestAudioRender::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    MediaFixtures::Clip clip;
    clip.video = false;
    clip.frames = 75;
    clip.audioChannels = 2;
    m_clip = m_fixtures.make(QStringLiteral("sound.m4a"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void TestAudioRender::lastSupportedTypeIsChosen_data()
{
    QTest::addColumn<Types>("types");
    QTest::addColumn<QVector<bool>>("supported");
    QTest::addColumn<int>("chosen"); // -1: none
    QTest::addColumn<quint32>("mask");

    QTest::newRow("float then 16-bit")
            << Types{fakeMediaType(true, 2, 48000), fakeMediaType(false, 2, 48000)}
            << QVector<bool>{true, true} << 1 << 3u;
    QTest::newRow("unsupported last type")
            << Types{fakeMediaType(true, 2, 48000), fakeMediaType(false, 2, 44100)}
            << QVector<bool>{true, false} << 0 << 3u;
    QTest::newRow("mono without mask")
            << Types{fakeMediaType(false, 1, 44100)} << QVector<bool>{true} << 0 << 4u;
    QTest::newRow("six channels without mask")
            << Types{fakeMediaType(true, 6, 48000)} << QVector<bool>{true} << 0 << 0x80000000u;
    QTest::newRow("stated mask") << Types{fakeMediaType(true, 2, 48000, 0x603u)}
                                 << QVector<bool>{true} << 0 << 0x603u;
    QTest::newRow("nothing supported")
            << Types{fakeMediaType(true, 2, 48000)} << QVector<bool>{false} << -1 << 0u;
}

void TestAudioRender::lastSupportedTypeIsChosen()
{
    QFETCH(Types, types);
    QFETCH(QVector<bool>, supported);
    QFETCH(int, chosen);
    QFETCH(quint32, mask);

    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    endpoint->log()->mediaTypes = types;
    endpoint->log()->supported = supported;
    audiorender render;
    audiorender::DeviceInitState state = audiorender::Ok;
    QCOMPARE(render.init(endpoint, &state), chosen >= 0);
    if (chosen < 0) {
        QCOMPARE(state, audiorender::MediaTypeError);
        return;
    }
    QCOMPARE(state, audiorender::Ok);
    const AudioMediaType &type = types[chosen];
    const audiorender::OutputFormat format = render.outputFormat();
    QCOMPARE(format.isFloat, type.isFloat);
    QCOMPARE(format.channels, *type.channels);
    QCOMPARE(format.sampleRate, *type.sampleRate);
    QCOMPARE(format.bitsPerSample, *type.bitsPerSample);
    QCOMPARE(format.blockAlignment, *type.blockAlignment);
    QCOMPARE(format.channelMask, mask);
    QVERIFY(endpoint->log()->currentType.has_value());
    QCOMPARE(endpoint->log()->currentType->isFloat, type.isFloat);
    QCOMPARE(endpoint->log()->currentType->sampleRate, type.sampleRate);
}

void TestAudioRender::initReportsTheFailingStage_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<FakeOutputLog::Stage>("failAt");
    QTest::addColumn<audiorender::DeviceInitState>("state");
    QTest::newRow("no id") << QString() << FakeOutputLog::None << audiorender::Init;
    QTest::newRow("no output") << "a" << FakeOutputLog::Create << audiorender::SinkCreateError;
    QTest::newRow("type refused") << "a" << FakeOutputLog::SetType << audiorender::MediaTypeError;
    QTest::newRow("no writer") << "a" << FakeOutputLog::OpenWriter
                               << audiorender::RenderCreateError;
    QTest::newRow("writer does not start")
            << "a" << FakeOutputLog::BeginWriting << audiorender::StartRenderError;
    QTest::newRow("no clock") << "a" << FakeOutputLog::PauseClock
                              << audiorender::PresentaionClockFailed;
    QTest::newRow("opened") << "a" << FakeOutputLog::None << audiorender::Ok;
}

void TestAudioRender::initReportsTheFailingStage()
{
    QFETCH(QString, id);
    QFETCH(FakeOutputLog::Stage, failAt);
    QFETCH(audiorender::DeviceInitState, state);

    auto endpoint = std::make_shared<FakeAudioEndpoint>(id);
    endpoint->log()->failAt = failAt;
    audiorender render;
    audiorender::DeviceInitState reached = audiorender::Ok;
    QCOMPARE(render.init(endpoint, &reached), state == audiorender::Ok);
    QCOMPARE(reached, state);

    reached = audiorender::Ok;
    QVERIFY(!render.init(nullptr, &reached));
    QCOMPARE(reached, audiorender::Init);
}

void TestAudioRender::softwareClockFollowsWallTime()
{
    audiorender render;
    render.startThread();
    QVERIFY(!render.isPlaying());
    QCOMPARE(render.currentTime(), 0);

    render.start(0);
    QVERIFY(render.isPlaying());
    QTRY_VERIFY(render.currentTime() >= Second / 10);
    render.pause();
    const qint64 paused = render.currentTime();
    QTest::qWait(50);
    QCOMPARE(render.currentTime(), paused);

    render.setPosition(5 * Second);
    QCOMPARE(render.currentTime(), 5 * Second);
    QElapsedTimer wall;
    wall.start();
    render.start(audiorender::ResumePosition);
    QTRY_VERIFY(render.currentTime() >= 5 * Second + Second / 10);
    // It ran from the position set, never faster than the wall clock.
    render.pause();
    QVERIFY(render.currentTime() - 5 * Second <= wall.nsecsElapsed() / 100);
}

void TestAudioRender::clockAndSamplesFollowTheOutput()
{
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    const std::shared_ptr<FakeOutputLog> log = endpoint->log();
    log->manualClock = true;

    coredecoder engine;
    QCOMPARE(engine.open(m_clip), 0);
    engine.setAudioFormat(AV_SAMPLE_FMT_FLT, 2, 48000);
    engine.seek(0);
    engine.run();

    audiorender render;
    audiorender::DeviceInitState state;
    QVERIFY(render.init(endpoint, &state));
    render.setDecoder(&engine);
    render.startThread();

    // Far ahead of the sound, the output takes it without pacing the writer.
    log->setManualTime(100 * Second);
    render.start(0);
    QCOMPARE(log->starts(), QVector<qint64>{0});
    QCOMPARE(log->flushCount(), 1);

    // The render thread writes the engine's sound in order, without gaps.
    QTRY_VERIFY(log->writtenCount() >= 20);
    {
        QMutexLocker locker(&log->lock);
        QCOMPARE(log->written.first().time, 0);
        for (int i = 1; i < log->written.size(); ++i) {
            const AudioSample &previous = log->written[i - 1];
            QVERIFY(qAbs(log->written[i].time - previous.time - previous.duration) <= 1);
            QCOMPARE(log->written[i].data.size(), 1024 * 2 * 4);
        }
    }

    log->setManualTime(1234567);
    QCOMPARE(render.currentTime(), 1234567);

    // Paused, the clock stands where the output's clock stood, and nothing
    // is written once pause() has returned.
    render.pause();
    log->setManualTime(2 * Second);
    QCOMPARE(render.currentTime(), 1234567);
    const int written = log->writtenCount();
    QTest::qWait(150);
    QCOMPARE(log->writtenCount(), written);

    // Resuming keeps the queued sound; starting at a position drops it.
    render.start(audiorender::ResumePosition);
    QCOMPARE(log->flushCount(), 1);
    QCOMPARE(render.currentTime(), 2 * Second);
    render.start(Second);
    QCOMPARE(log->flushCount(), 2);
    QCOMPARE(log->starts(), (QVector<qint64>{0, audiorender::ResumePosition, Second}));
    render.shutdown();
}

void TestAudioRender::lostSessionFallsBackToTheSoftwareClock()
{
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    coredecoder engine;
    QCOMPARE(engine.open(m_clip), 0);
    engine.seek(0);
    engine.run();

    audiorender render;
    // Emitted on the render thread, maybe before the test could wait for it:
    // taken in on the test's thread.
    QList<QVariantList> lost;
    QObject receiver;
    connect(
            &render, &audiorender::sessionDisconnected, &receiver,
            [&lost](qlonglong position, bool inplay, int reason) {
                lost.append({position, inplay, reason});
            },
            Qt::QueuedConnection);
    audiorender::DeviceInitState state;
    QVERIFY(render.init(endpoint, &state));
    render.setDecoder(&engine);
    render.startThread();
    QElapsedTimer wall;
    wall.start();
    render.start(0);
    QTRY_VERIFY(render.currentTime() >= Second / 5);

    endpoint->disconnect(AudioDisconnectReason::DeviceRemoval);
    QTRY_COMPARE(lost.count(), 1);
    const qint64 position = lost.at(0).at(0).toLongLong();
    QVERIFY(position >= Second / 5 && position <= wall.nsecsElapsed() / 100);
    QCOMPARE(lost.at(0).at(1).toBool(), true);
    QCOMPARE(lost.at(0).at(2).toInt(), int(AudioDisconnectReason::DeviceRemoval));

    // The output is gone; the clock went on from where the sound stopped.
    QVERIFY(!render.isPlaying());
    const qint64 stoodAt = render.currentTime();
    QVERIFY(stoodAt >= position);
    const int written = endpoint->log()->writtenCount();
    render.start(audiorender::ResumePosition);
    QTRY_VERIFY(render.currentTime() >= stoodAt + Second / 5);
    QCOMPARE(endpoint->log()->writtenCount(), written);
    QCOMPARE(lost.count(), 1);
}

void TestAudioRender::callsDoNotWaitBehindABlockedWriter_data()
{
    QTest::addColumn<QString>("call");
    for (const char *call : {"pause", "seek", "start at a position", "init", "stop"})
        QTest::newRow(call) << QString::fromLatin1(call);
}

// The output takes no sound: the render thread's write waits for room until
// it is woken. Each call from the GUI thread must wake it rather than wait.
void TestAudioRender::callsDoNotWaitBehindABlockedWriter()
{
    QFETCH(QString, call);
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    const std::shared_ptr<FakeOutputLog> log = endpoint->log();
    log->held = true;

    coredecoder engine;
    QCOMPARE(engine.open(m_clip), 0);
    engine.setAudioFormat(AV_SAMPLE_FMT_FLT, 2, 48000);
    engine.seek(0);
    engine.run();
    audiorender render;
    audiorender::DeviceInitState state;
    QVERIFY(render.init(endpoint, &state));
    render.setDecoder(&engine);
    render.startThread();
    render.start(0);
    QTRY_VERIFY(log->isWriterWaiting());

    if (call == QLatin1String("pause"))
        render.pause();
    else if (call == QLatin1String("seek"))
        render.setPosition(Second);
    else if (call == QLatin1String("start at a position"))
        render.start(Second);
    else if (call == QLatin1String("init"))
        QVERIFY(render.init(endpoint, &state));
    else
        render.stop();
    // Returned because the write was woken, not because it gave up.
    QCOMPARE(log->wokenCount(), 1);
    render.shutdown();
}

QTEST_GUILESS_MAIN(TestAudioRender)
#include "tst_audiorender.moc"
