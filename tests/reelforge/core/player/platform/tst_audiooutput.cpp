#include "core/player/platform/audiodevices.h"
#include "core/player/platform/audiooutput.h"
#include "core/player/playercore.h"
#include "waitbound.h"

#include "mediafixtures.h"

#include <QtTest>

namespace {

constexpr qint64 Second = 10000000;

AudioSample silence(const AudioMediaType &type, qint64 time, int frames)
{
    AudioSample sample;
    sample.data = QByteArray(frames * int(*type.blockAlignment), '\0');
    sample.time = time;
    sample.duration = frames * Second / *type.sampleRate;
    return sample;
}

} // namespace

// The system output on ALSA's null device, which plays nothing and needs no
// sound card: the test's own ALSA configuration provides it.
class TestAudioOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void devicesListTheSystemsOutputs();
    void outputPlaysAndItsClockRuns();
    void playerPlaysThroughTheSystemOutput();

private:
    QTemporaryDir m_home;
    std::unique_ptr<AudioDevices> m_devices;
};

void TestAudioOutput::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QVERIFY(m_home.isValid());
    QFile config(m_home.filePath(QStringLiteral(".asoundrc")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("pcm.!default { type null hint { show on description \"Null\" } }\n"
                 "pcm.nullout { type null hint { show on description \"Null\" } }\n");
    config.close();
    // ALSA reads the file from HOME when it first loads its configuration.
    qputenv("HOME", QFile::encodeName(m_home.path()));

    m_devices.reset(AudioDevices::create(nullptr));
    if (!m_devices->activeDevices().contains(QStringLiteral("nullout")))
        QSKIP("ALSA's null device is not available here");
}

void TestAudioOutput::devicesListTheSystemsOutputs()
{
    QVERIFY(m_devices->defaultDevice());
    AudioEndpointPtr endpoint = m_devices->deviceById(QStringLiteral("nullout"));
    QVERIFY(endpoint);
    QCOMPARE(endpoint->id(), QStringLiteral("nullout"));
    // One endpoint per device, so players share its session volume.
    QCOMPARE(m_devices->deviceById(QStringLiteral("nullout")), endpoint);
    QVERIFY(!m_devices->deviceById(QStringLiteral("no such device")));
}

void TestAudioOutput::outputPlaysAndItsClockRuns()
{
    AudioEndpointPtr endpoint = m_devices->deviceById(QStringLiteral("nullout"));
    QVERIFY(endpoint);
    std::unique_ptr<AudioOutput> output = endpoint->createOutput();
    QVERIFY(output);
    const QVector<AudioMediaType> types = output->mediaTypes();
    QVERIFY(!types.isEmpty());
    const auto supported = std::find_if(types.rbegin(), types.rend(), [&](const AudioMediaType &t) {
        return output->isSupported(t);
    });
    QVERIFY(supported != types.rend());
    const AudioMediaType type = *supported;
    QVERIFY(output->setCurrentType(type));
    QVERIFY(output->openWriter());
    QVERIFY(output->beginWriting());
    QVERIFY(output->pauseClock());

    qint64 time = -1;
    QVERIFY(output->clockTime(&time));
    QCOMPARE(time, 0);
    QVERIFY(output->startClock(0));
    for (int i = 0; i < 40; ++i)
        QVERIFY(output->write(silence(type, i * 1024 * Second / *type.sampleRate, 1024)));
    QTRY_VERIFY(output->clockTime(&time) && time >= Second / 5);

    QVERIFY(output->pauseClock());
    output->clockTime(&time);
    const qint64 paused = time;
    QTest::qWait(100);
    output->clockTime(&time);
    QCOMPARE(time, paused);

    QVERIFY(output->startClock(AudioOutput::ResumePosition));
    QTRY_VERIFY(output->clockTime(&time) && time >= paused + Second / 10);
    output->flush();
    QVERIFY(output->startClock(5 * Second));
    output->clockTime(&time);
    QVERIFY(time >= 5 * Second && time < 6 * Second);

    endpoint->setVolume(0.5f, QUuid());
    endpoint->setMute(true, QUuid());
    QCOMPARE(endpoint->volume(), 0.5f);
    QVERIFY(endpoint->isMuted());
    QVERIFY(output->write(silence(type, 5 * Second, 1024)));
}

void TestAudioOutput::playerPlaysThroughTheSystemOutput()
{
    MediaFixtures fixtures;
    MediaFixtures::Clip clip;
    clip.frames = 50;
    clip.audioChannels = 2;
    const QString path = fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!path.isEmpty());

    playercore player;
    QSignalSpy volume(&player, &playercore::volumeChanged);
    QSignalSpy stopped(&player, &playercore::stopped);
    QCOMPARE(player.init(path), 0);
    QCOMPARE(volume.count(), 1); // the output opened and its session is watched
    QTRY_VERIFY(!player.currentImage().isNull());

    QElapsedTimer played;
    played.start();
    player.setCurrentPosition(Second);
    player.onPlay();
    QVERIFY(stopped.wait(WaitBound::ms()));
    QVERIFY2(played.elapsed() >= 800, qPrintable(QString::number(played.elapsed())));
}

QTEST_GUILESS_MAIN(TestAudioOutput)
#include "tst_audiooutput.moc"
