#include "core/coredecoder.h"
#include "core/decoderprivate.h"
#include "core/player/platform/audiooutput.h"
#include "waitbound.h"

#include "mediafixtures.h"

#include <QtTest>

namespace {

constexpr qint64 Second = 10000000;

// Runs an engine from a position and waits for its first full cache.
struct RunningEngine
{
    explicit RunningEngine(const QString &path, qint64 from = 0)
    {
        opened = engine.open(path);
        engine.setAudioFormat(AV_SAMPLE_FMT_FLT, 2, 48000);
        engine.seek(from);
        engine.run();
    }

    bool waitReady()
    {
        return QTest::qWaitFor([this] { return readyCount > 0; }, WaitBound::ms());
    }

    coredecoder engine;
    // cacheReady comes from a decode loop, maybe before the test waits: it
    // is counted on the test's thread.
    QObject receiver;
    int readyCount = 0;
    QMetaObject::Connection counter = QObject::connect(
            &engine, &coredecoder::cacheReady, &receiver, [this] { ++readyCount; },
            Qt::QueuedConnection);
    int opened = -1;
};

// The picture of a clip at a position, decoded the plain way.
QImage referenceImage(const QString &path, const QSize &size, qint64 position)
{
    decoderprivate decoder;
    if (decoder.openInputFile(path) < 0
        || decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_VIDEO)) < 0)
        return QImage();
    decoder.setTargetSize(size);
    AVFrame *frame = nullptr;
    qint64 pts = 0, duration = 0;
    while (decoder.decode(nullptr, &frame, &pts, &duration) >= 0) {
        if (position >= pts && position < pts + duration)
            return decoder.frameAsQImage(frame).copy();
        decoder.recycleFrame(frame);
    }
    return QImage();
}

template<typename Condition>
bool waitFor(Condition condition, int timeoutMs = WaitBound::ms())
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace

class TestCoreDecoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstPictureIsScaledAndTurned_data();
    void firstPictureIsScaledAndTurned();
    void seekDropsWhatLiesBeforeTheTarget();
    void laterSeekWins();
    void pictureAtTargetComesBeforeTheCacheIsFull();
    void imageAtWaitsForNearFramesAndDropsFarOnes_data();
    void imageAtWaitsForNearFramesAndDropsFarOnes();
    void endComesAfterBothCachesAreDrained();
    void clipsWithoutVideoOrSound();
    void destructionWaitsForLoopsNotYetStarted();

private:
    MediaFixtures m_fixtures;
    QString m_clip;
};

void TestCoreDecoder::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    MediaFixtures::Clip clip;
    clip.frames = 75; // 3 s at 25 fps
    clip.gop = 25;
    clip.audioChannels = 2;
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void TestCoreDecoder::firstPictureIsScaledAndTurned_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("landscape grows to the largest edge") << QSize(320, 240) << 0 << QSize(960, 720);
    QTest::newRow("turned 90 degrees") << QSize(1280, 720) << 90 << QSize(540, 960);
}

void TestCoreDecoder::firstPictureIsScaledAndTurned()
{
    QFETCH(QSize, source);
    QFETCH(int, rotation);
    QFETCH(QSize, picture);

    MediaFixtures::Clip clip;
    clip.size = source;
    clip.rotation = rotation;
    clip.frames = 5;
    const QString path = m_fixtures.make(QStringLiteral("shape%1.mp4").arg(rotation), clip);
    QVERIFY(!path.isEmpty());

    RunningEngine run(path);
    QCOMPARE(run.opened, 0);
    QVERIFY(!run.engine.hasAudio());
    QVERIFY(run.waitReady());
    QImage image;
    run.engine.currentImage(&image);
    QCOMPARE(image.size(), picture);
}

void TestCoreDecoder::seekDropsWhatLiesBeforeTheTarget()
{
    // The video seek lands on the key frame at 2 s.
    const qint64 target = 24 * Second / 10;
    RunningEngine run(m_clip, target);
    QVERIFY(run.engine.hasAudio());
    QVERIFY(run.waitReady());

    // Video keeps frames from 0.2 s before the target.
    const QSize size(960, 720);
    QImage image;
    run.engine.currentImage(&image);
    QCOMPARE(image, referenceImage(m_clip, size, target - 2 * Second / 10));
    qint64 framePosition = -1;
    run.engine.imageAt(target, &image, &framePosition);
    QCOMPARE(framePosition, target);
    QCOMPARE(image, referenceImage(m_clip, size, target));

    // The first sound reaches the target; nothing that ends before it is kept.
    AudioSample sample;
    QVERIFY(waitFor([&] { return run.engine.nextAudioSample(&sample) == 0; }));
    QVERIFY(sample.time <= target);
    QVERIFY(sample.time + sample.duration >= target);
    QCOMPARE(sample.data.size(), 1024 * 2 * 4);
}

void TestCoreDecoder::laterSeekWins()
{
    coredecoder engine;
    QCOMPARE(engine.open(m_clip), 0);
    QObject receiver;
    bool ready = false;
    connect(
            &engine, &coredecoder::cacheReady, &receiver, [&ready] { ready = true; },
            Qt::QueuedConnection);
    QCOMPARE(engine.seek(Second), std::numeric_limits<qint64>::min());
    QCOMPARE(engine.seek(2 * Second), Second);
    engine.run();
    QTRY_VERIFY(ready);
    QImage image;
    engine.currentImage(&image);
    QCOMPARE(image, referenceImage(m_clip, QSize(960, 720), 2 * Second));
    AudioSample sample;
    QVERIFY(waitFor([&] { return engine.nextAudioSample(&sample) == 0; }));
    QVERIFY(sample.time <= 2 * Second);
    QVERIFY(sample.time + sample.duration >= 2 * Second);
}

void TestCoreDecoder::pictureAtTargetComesBeforeTheCacheIsFull()
{
    // Key frames are 1 s apart: from the key frame at 0 a full cache would
    // reach 2.36 s.
    const qint64 target = 4 * Second / 10;
    QImage atTarget;
    qint64 targetPosition = -1;
    qint64 laterPosition = -1;
    QAtomicInt seen = 0;
    coredecoder engine;
    QCOMPARE(engine.open(m_clip), 0);
    // Runs on the video loop's thread, which waits meanwhile: the cache is
    // looked at as it was when the signal came.
    connect(
            &engine, &coredecoder::cacheReady, &engine,
            [&] {
                if (seen.loadAcquire() != 0)
                    return;
                QImage image;
                engine.imageAt(target, &image, &targetPosition);
                atTarget = image.copy();
                engine.imageAt(2 * Second, &image, &laterPosition);
                seen.storeRelease(1);
            },
            Qt::DirectConnection);
    engine.seek(target);
    engine.run();
    QTRY_VERIFY(seen.loadAcquire() != 0);
    QCOMPARE(targetPosition, target);
    QCOMPARE(atTarget, referenceImage(m_clip, QSize(960, 720), target));
    QCOMPARE(laterPosition, -1); // not decoded yet
}

void TestCoreDecoder::imageAtWaitsForNearFramesAndDropsFarOnes_data()
{
    QTest::addColumn<qint64>("asked");
    QTest::addColumn<bool>("kept");
    // After a seek to 2.4 s the cache starts at 2.2 s.
    QTest::newRow("0.5 s ahead: wait") << 17000000LL << true;
    QTest::newRow("2 s ahead: drop") << 2000000LL << false;
}

void TestCoreDecoder::imageAtWaitsForNearFramesAndDropsFarOnes()
{
    QFETCH(qint64, asked);
    QFETCH(bool, kept);

    RunningEngine run(m_clip, 24000000);
    QVERIFY(run.waitReady());
    QImage image;
    qint64 framePosition = -1;
    run.engine.imageAt(asked, &image, &framePosition);
    QVERIFY(image.isNull());
    QCOMPARE(framePosition, -1);
    run.engine.imageAt(22000000, &image, &framePosition);
    QCOMPARE(framePosition == 22000000, kept);
}

void TestCoreDecoder::endComesAfterBothCachesAreDrained()
{
    RunningEngine run(m_clip);
    QVERIFY(run.waitReady());

    // Every picture, asked for at its own time as a playing clock would.
    const qint64 frameTime = Second / 25;
    QImage image;
    for (qint64 at = 0; at < 3 * Second; at += frameTime) {
        qint64 framePosition = -1;
        QVERIFY(waitFor([&] {
            run.engine.imageAt(at, &image, &framePosition);
            return framePosition == at;
        }));
    }
    qint64 framePosition = -1;
    run.engine.imageAt(3 * Second, &image, &framePosition);
    QCOMPARE(framePosition, -1);
    QVERIFY(!run.engine.isAtEnd()); // the sound is still cached

    qint64 soundEnd = 0;
    QVERIFY(waitFor([&] {
        AudioSample sample;
        while (run.engine.nextAudioSample(&sample) == 0)
            soundEnd = sample.time + sample.duration;
        return run.engine.isAtEnd();
    }));
    QVERIFY(qAbs(soundEnd - 3 * Second) < Second / 10);
}

void TestCoreDecoder::clipsWithoutVideoOrSound()
{
    MediaFixtures::Clip soundOnly;
    soundOnly.video = false;
    soundOnly.frames = 25;
    soundOnly.audioChannels = 1;
    const QString path = m_fixtures.make(QStringLiteral("sound.m4a"), soundOnly);
    QVERIFY(!path.isEmpty());

    RunningEngine run(path);
    QCOMPARE(run.opened, 0);
    QVERIFY(run.engine.hasAudio());
    QVERIFY(run.waitReady()); // the video input is at its end at once
    QImage image;
    run.engine.currentImage(&image);
    QVERIFY(image.isNull());
    QVERIFY(!run.engine.isAtEnd());
    // Sound consumed as its time passes ends the clip too.
    QVERIFY(waitFor([&] {
        run.engine.discardAudioBefore(2 * Second);
        return run.engine.isAtEnd();
    }));

    coredecoder broken;
    QVERIFY(broken.open(m_fixtures.path(QStringLiteral("missing.mp4"))) < 0);
}

void TestCoreDecoder::destructionWaitsForLoopsNotYetStarted()
{
    // With one pool thread the audio loop waits behind the video loop.
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    {
        RunningEngine run(m_clip);
        QVERIFY(run.waitReady());
    }
    pool->setMaxThreadCount(threads);
}

QTEST_GUILESS_MAIN(TestCoreDecoder)
#include "tst_coredecoder.moc"
