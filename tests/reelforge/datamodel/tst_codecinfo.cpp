#include "datamodel/codecinfo.h"
#include "datamodel/presetinfo.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

class tst_CodecInfo : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void settersEmitOnlyOnChange();
    void bitrateForCompressionLevel_data();
    void bitrateForCompressionLevel();
    void applyPresetTakesOverTheRow();
    void applyPresetKeepsOpenValues();
    void applyNullPreset();
    void jsonRoundTrip();
    void jsonFailures_data();
    void jsonFailures();
};

namespace {

PresetInfo hdPreset()
{
    PresetInfo preset;
    preset.extension = QStringLiteral("mkv");
    preset.video.name = QStringLiteral("h264_mf");
    preset.video.bitrate = 9000000;
    preset.video.quality = 0;
    preset.video.resolution = QSize(1920, 1080);
    preset.video.framerate = 30;
    preset.audio.name = QStringLiteral("aac_mf");
    preset.audio.bitrate = 256;
    preset.audio.samplerate = 48000;
    preset.audio.channels = 2;
    return preset;
}

struct Spies
{
    explicit Spies(CodecInfo *info)
        : resolution(info, &CodecInfo::resolutionChanged),
          samplerate(info, &CodecInfo::samplerateChanged),
          channels(info, &CodecInfo::channelCountChanged),
          bitrate(info, &CodecInfo::bitrateChanged), format(info, &CodecInfo::formatChanged),
          quality(info, &CodecInfo::qualityChanged),
          videoName(info, &CodecInfo::videoCodecNameChanged),
          audioName(info, &CodecInfo::audioCodecNameChanged)
    { }
    int silentCount() const
    {
        return samplerate.count() + channels.count() + bitrate.count() + quality.count()
                + videoName.count() + audioName.count();
    }

    QSignalSpy resolution, samplerate, channels, bitrate, format, quality, videoName, audioName;
};

} // namespace

void tst_CodecInfo::defaults()
{
    CodecInfo info;
    QCOMPARE(info.audioStream().name, QStringLiteral("auto"));
    QCOMPARE(info.audioStream().bitrate, 96);
    QCOMPARE(info.samplerate(), 0);
    QCOMPARE(info.channelCount(), 0);
    QCOMPARE(info.videoCodecName(), QStringLiteral("auto"));
    QCOMPARE(info.bitrate(), 0);
    QCOMPARE(info.videoStream().quality, 95);
    QVERIFY(!info.resolution().isValid());
    QVERIFY(info.format().isEmpty());
}

void tst_CodecInfo::settersEmitOnlyOnChange()
{
    CodecInfo info;
    Spies spies(&info);

    for (int i = 0; i < 2; ++i) {
        info.setFormat(QStringLiteral("mp4"));
        info.setResolution(QSize(640, 480));
        info.setBitrate(1000);
        info.setQuality(70);
        info.setVideoCodecName(QStringLiteral("libvpx"));
        info.setAudioCodecName(QStringLiteral("mp2"));
        info.setSamplerate(44100);
        info.setChannelCount(1);
    }
    for (const QSignalSpy *spy :
         {&spies.format, &spies.resolution, &spies.bitrate, &spies.quality, &spies.videoName,
          &spies.audioName, &spies.samplerate, &spies.channels})
        QCOMPARE(spy->count(), 1);
    QCOMPARE(spies.format.at(0).at(0).toString(), QStringLiteral("mp4"));
    QCOMPARE(spies.resolution.at(0).at(0).toSize(), QSize(640, 480));

    info.setQuality(95); // back to the default is a change too
    QCOMPARE(spies.quality.count(), 2);

    info.setFrameRate(25.0);
    QCOMPARE(info.videoStream().framerate, 25.0);
}

void tst_CodecInfo::bitrateForCompressionLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<qint64>("bitrate");
    QTest::newRow("-7 clamps to 0") << -7 << qint64(3000000);
    QTest::newRow("0") << 0 << qint64(3000000);
    QTest::newRow("1") << 1 << qint64(4000000);
    QTest::newRow("2") << 2 << qint64(6000000);
    QTest::newRow("3") << 3 << qint64(8000000);
    QTest::newRow("4") << 4 << qint64(12000000);
    QTest::newRow("9 clamps to 4") << 9 << qint64(12000000);
}

void tst_CodecInfo::bitrateForCompressionLevel()
{
    QFETCH(int, level);
    QFETCH(qint64, bitrate);
    QCOMPARE(CodecInfo::bitrateForCompressionLevel(level), bitrate);
}

void tst_CodecInfo::applyPresetTakesOverTheRow()
{
    CodecInfo info;
    info.setFormat(QStringLiteral("mp4"));
    info.setQuality(70);
    info.setFrameRate(24.0);
    info.setResolution(QSize(640, 480));
    Spies spies(&info);

    const PresetInfo preset = hdPreset();
    info.applyPreset(&preset);

    QCOMPARE(info.format(), QStringLiteral("mkv"));
    QCOMPARE(info.resolution(), QSize(1920, 1080));
    QCOMPARE(info.bitrate(), 9000000);
    QCOMPARE(info.videoCodecName(), QStringLiteral("h264_mf"));
    QCOMPARE(info.audioStream().name, QStringLiteral("aac_mf"));
    QCOMPARE(info.audioStream().bitrate, 256);
    QCOMPARE(info.samplerate(), 48000);
    QCOMPARE(info.channelCount(), 2);
    // Quality and frame rate are never taken from a preset.
    QCOMPARE(info.videoStream().quality, 70);
    QCOMPARE(info.videoStream().framerate, 24.0);

    QCOMPARE(spies.format.count(), 1);
    QCOMPARE(spies.resolution.count(), 1);
    QCOMPARE(spies.resolution.at(0).at(0).toSize(), QSize(1920, 1080));
    QCOMPARE(spies.silentCount(), 0);

    // The same row again changes nothing and says nothing.
    info.applyPreset(&preset);
    QCOMPARE(spies.format.count(), 1);
    QCOMPARE(spies.resolution.count(), 1);
}

void tst_CodecInfo::applyPresetKeepsOpenValues()
{
    CodecInfo info;
    info.setFormat(QStringLiteral("mkv"));
    info.setResolution(QSize(1280, 720));
    info.setSamplerate(22050);
    info.setChannelCount(6);
    Spies spies(&info);

    PresetInfo sameAsSource = hdPreset();
    sameAsSource.video.resolution = QSize(0, 0);
    sameAsSource.audio.samplerate = 0;
    sameAsSource.audio.channels = 0;
    info.applyPreset(&sameAsSource);

    QCOMPARE(info.resolution(), QSize(1280, 720));
    QCOMPARE(info.samplerate(), 22050);
    QCOMPARE(info.channelCount(), 6);
    // The kept size differed from the row's empty one, so the signal still comes.
    QCOMPARE(spies.resolution.count(), 1);
    QCOMPARE(spies.resolution.at(0).at(0).toSize(), QSize(1280, 720));
    QCOMPARE(spies.format.count(), 0);
    QCOMPARE(spies.silentCount(), 0);

    // An audio row carries an invalid size: the video size stays.
    PresetInfo audioRow = hdPreset();
    audioRow.extension = QStringLiteral("mp3");
    audioRow.video = VideoCodecInfo();
    audioRow.video.quality = 0;
    info.applyPreset(&audioRow);
    QCOMPARE(info.resolution(), QSize(1280, 720));
    QCOMPARE(info.format(), QStringLiteral("mp3"));
}

void tst_CodecInfo::applyNullPreset()
{
    CodecInfo info;
    Spies spies(&info);
    info.applyPreset(nullptr);
    QCOMPARE(spies.silentCount() + spies.format.count() + spies.resolution.count(), 0);
    QCOMPARE(info.videoCodecName(), QStringLiteral("auto"));
}

void tst_CodecInfo::jsonRoundTrip()
{
    CodecInfo fresh;
    const QJsonObject json = fresh.toJson().toObject();
    QCOMPARE(json.value("Width").toInt(), -1);
    QCOMPARE(json.value("Height").toInt(), -1);
    QCOMPARE(json.value("Bitrate").toInt(), 0);
    QVERIFY(json.value("Format").isString());
    QVERIFY(json.value("Format").toString().isEmpty());

    CodecInfo target;
    target.setResolution(QSize(10, 10));
    QVERIFY(target.loadFromJson(json));
    QVERIFY(!target.resolution().isValid());

    CodecInfo source;
    source.setFormat(QStringLiteral("webm"));
    source.setResolution(QSize(1920, 1080));
    source.setBitrate(6000000);
    source.setQuality(50);
    CodecInfo copy;
    Spies spies(&copy);
    QVERIFY(copy.loadFromJson(source.toJson()));
    QCOMPARE(copy.format(), QStringLiteral("webm"));
    QCOMPARE(copy.resolution(), QSize(1920, 1080));
    QCOMPARE(copy.bitrate(), 6000000);
    QCOMPARE(copy.videoStream().quality, 95);
    QCOMPARE(spies.silentCount() + spies.format.count() + spies.resolution.count(), 0);
}

void tst_CodecInfo::jsonFailures_data()
{
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");
    const QJsonObject full{{"Width", 640}, {"Height", 480}, {"Bitrate", 1}, {"Format", "mov"}};
    QTest::newRow("not an object")
            << QJsonValue(QJsonArray{1, 2}) << "Can't parse json, CodecInfo item must be an object";
    for (const char *key : {"Width", "Height", "Bitrate", "Format"}) {
        QJsonObject missing = full;
        missing.remove(QLatin1String(key));
        QTest::newRow(key)
                << QJsonValue(missing)
                << QStringLiteral("Can't parse json, CodecInfo object has no required key: \"%1\"")
                           .arg(QLatin1String(key));
    }
    // The first missing key in the fixed order is reported.
    QTest::newRow("two missing")
            << QJsonValue(QJsonObject{{"Width", 1}, {"Format", "mov"}})
            << "Can't parse json, CodecInfo object has no required key: \"Height\"";
}

void tst_CodecInfo::jsonFailures()
{
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    CodecInfo info;
    info.setFormat(QStringLiteral("avi"));
    info.setResolution(QSize(320, 240));
    info.setBitrate(77);
    QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
    QVERIFY(!info.loadFromJson(value));
    QCOMPARE(info.format(), QStringLiteral("avi"));
    QCOMPARE(info.resolution(), QSize(320, 240));
    QCOMPARE(info.bitrate(), 77);
}

QTEST_GUILESS_MAIN(tst_CodecInfo)
#include "tst_codecinfo.moc"
