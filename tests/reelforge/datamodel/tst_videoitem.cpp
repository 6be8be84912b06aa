#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "datamodel/presetinfo.h"
#include "datamodel/videoitem.h"
#include "shared/formattables.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 Second = 1000;
constexpr qint64 TenSeconds = 100000000; // 100-ns units

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Every change signal of an item, to prove that something emitted nothing.
struct AllSignals
{
    explicit AllSignals(VideoItem *item)
    {
        spies.append(new QSignalSpy(item, &VideoItem::stateChanged));
        spies.append(new QSignalSpy(item, &VideoItem::thumbnailChanged));
        spies.append(new QSignalSpy(item, &VideoItem::targetNameChanged));
        spies.append(new QSignalSpy(item, &VideoItem::trimChanged));
        spies.append(new QSignalSpy(item, &VideoItem::subtitlesChanged));
        spies.append(new QSignalSpy(item, &VideoItem::watermarkChanged));
        spies.append(new QSignalSpy(item, &VideoItem::progressChanged));
        spies.append(new QSignalSpy(item, &VideoItem::pausedChanged));
        spies.append(new QSignalSpy(item, &VideoItem::useAudioChanged));
        spies.append(new QSignalSpy(item, &VideoItem::supportAudioChanged));
        spies.append(new QSignalSpy(item->targetCodecInfo().data(), &CodecInfo::formatChanged));
        spies.append(new QSignalSpy(item->targetCodecInfo().data(), &CodecInfo::bitrateChanged));
    }
    ~AllSignals() { qDeleteAll(spies); }
    int total() const
    {
        int sum = 0;
        for (const QSignalSpy *spy : spies)
            sum += spy->count();
        return sum;
    }
    QList<QSignalSpy *> spies;
};

} // namespace

class tst_VideoItem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaults();
    void metaTypes();
    void targetNameCleaning_data();
    void targetNameCleaning();
    void freeOutputNameIsChosenOnce();
    void targetFolders_data();
    void targetFolders();
    void startedItemKeepsItsOutputPath_data();
    void startedItemKeepsItsOutputPath();
    void formatHookSetsDefaultEncoders();
    void presetFitsTheSource_data();
    void presetFitsTheSource();
    void trimRules_data();
    void trimRules();
    void durationFillsAnUnsetTrim();
    void compressionLevel_data();
    void compressionLevel();
    void importedResetsProgress();
    void conversionTiming();
    void estimatesNeedProgress();
    void overlaysStoreOnlyChanges();
    void hasVideo_data();
    void hasVideo();
    void jsonRoundTrip();
    void jsonMissingKey_data();
    void jsonMissingKey();
    void jsonNotAnObject();

private:
    QTemporaryDir m_dir;
    qint64 m_now = 0;
    FormatTables m_tables;
};

void tst_VideoItem::init()
{
    QVERIFY(m_dir.isValid());
    m_now = 1700000000000;
    VideoItem::setClock([this] { return m_now; });
    appServices().formatTables = &m_tables;
}

void tst_VideoItem::cleanup()
{
    VideoItem::setClock({});
    appServices().formatTables = nullptr;
}

void tst_VideoItem::defaults()
{
    VideoItem item(QFileInfo(m_dir.filePath("holiday.part1.avi")));
    QCOMPARE(item.state(), VideoItem::Importing);
    QCOMPARE(item.progress(), 0);
    QCOMPARE(item.compressionLevel(), 3);
    QCOMPARE(item.trim(), qMakePair(qint64(-1), qint64(-1)));
    QVERIFY(item.useAudio());
    QVERIFY(!item.supportAudio());
    QVERIFY(!item.isTaskSent());
    QVERIFY(!item.isPaused());
    QCOMPARE(item.targetName(), QStringLiteral("holiday.part1"));
    QVERIFY(!item.id().isNull());
    QVERIFY(item.sourceCodecInfo() != item.targetCodecInfo());
    QCOMPARE(item.remainingTime(), qint64(-1));
}

void tst_VideoItem::metaTypes()
{
    VideoItem::registerMetaTypes();
    QVERIFY(QMetaType::type("VideoItemPtr") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("VideoItem::State") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("VideoItem::StateCountersMap") != QMetaType::UnknownType);

    const VideoItemPtr item = VideoItemPtr::create(QFileInfo("a.mp4"));
    const QVariant value = QVariant::fromValue(item);
    QCOMPARE(value.value<VideoItemPtr>(), item);
    // Views and watchers take the item as a plain QObject.
    QCOMPARE(value.value<QObject *>(), static_cast<QObject *>(item.data()));
}

void tst_VideoItem::targetNameCleaning_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("emits");

    QTest::newRow("forbidden removed") << "movie"
                                       << "a/b:c*"
                                       << "abc" << true;
    QTest::newRow("cleaned again answers again") << "abc"
                                                 << "a/b:c*"
                                                 << "abc" << true;
    QTest::newRow("same clean name") << "abc"
                                     << "abc"
                                     << "abc" << false;
    QTest::newRow("all ten") << "movie"
                             << "^\\/<>:\"|?*x"
                             << "x" << true;
    QTest::newRow("empty restores source name") << "abc"
                                                << ""
                                                << "movie" << true;
    QTest::newRow("only forbidden falls back") << "abc"
                                               << "***"
                                               << "movie" << true;
    QTest::newRow("unicode kept") << "movie"
                                  << "Übung 1"
                                  << "Übung 1" << true;
}

void tst_VideoItem::targetNameCleaning()
{
    QFETCH(QString, before);
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    QFETCH(bool, emits);

    VideoItem item(QFileInfo(m_dir.filePath("movie.avi")));
    item.setTargetFolderType(Enums::InputFolder);
    item.targetCodecInfo()->setFormat("mp4");
    item.setTargetName(before);
    QSignalSpy spy(&item, &VideoItem::targetNameChanged);

    item.setTargetName(argument);

    QCOMPARE(item.targetName(), expected);
    QCOMPARE(spy.count(), emits ? 1 : 0);
    if (emits)
        QCOMPARE(spy.first().first().toString(), expected);
    // The output never becomes a bare extension.
    QCOMPARE(QFileInfo(item.targetFilePath()).fileName(), expected + ".mp4");
}

void tst_VideoItem::freeOutputNameIsChosenOnce()
{
    touch(m_dir.filePath("clip.mp4"));
    touch(m_dir.filePath("clip (1).mp4"));
    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    item.setTargetFolderType(Enums::InputFolder);
    item.targetCodecInfo()->setFormat("mp4");

    const QString path = item.targetFilePath();
    QCOMPARE(path, m_dir.filePath("clip (2).mp4"));
    touch(path);
    QCOMPARE(item.targetFilePath(), path);

    // A change of the name looks for a free name again.
    item.setTargetName("clip (2)");
    QCOMPARE(item.targetFilePath(), m_dir.filePath("clip (2) (1).mp4"));
    item.setTargetName("clip");
    QCOMPARE(item.targetFilePath(), m_dir.filePath("clip (3).mp4"));
}

void tst_VideoItem::targetFolders_data()
{
    QTest::addColumn<Enums::TargetFolderType>("type");
    QTest::addColumn<QString>("customFolder");
    QTest::addColumn<QString>("expectedFolder");

    QTest::newRow("input") << Enums::InputFolder << ""
                           << "in";
    QTest::newRow("subfolder") << Enums::Subfolder << ""
                               << "in/converted";
    QTest::newRow("desktop") << Enums::Desktop << ""
                             << "home/Desktop";
    QTest::newRow("documents") << Enums::Documents << ""
                               << "home/Documents";
    QTest::newRow("custom") << Enums::CustomFolder << "out/deep"
                            << "out/deep";
    QTest::newRow("custom empty") << Enums::CustomFolder << ""
                                  << "home/Desktop";
}

void tst_VideoItem::targetFolders()
{
    QFETCH(Enums::TargetFolderType, type);
    QFETCH(QString, customFolder);
    QFETCH(QString, expectedFolder);

    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_dir.filePath("home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("home/.config").toLocal8Bit());
    auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    });

    QDir(m_dir.path()).mkpath("in");
    VideoItem item(QFileInfo(m_dir.filePath("in/clip.mov")));
    item.targetCodecInfo()->setFormat("mkv");
    item.setTargetFolderType(type);
    if (!customFolder.isEmpty())
        item.setTargetFolderPath(m_dir.filePath(customFolder));

    const QString path = item.targetFilePath();
    QCOMPARE(path, m_dir.filePath(expectedFolder + "/clip.mkv"));
    QVERIFY(QFileInfo(m_dir.filePath(expectedFolder)).isDir());
}

void tst_VideoItem::startedItemKeepsItsOutputPath_data()
{
    QTest::addColumn<VideoItem::State>("state");
    QTest::newRow("scheduled") << VideoItem::Scheduled;
    QTest::newRow("converting") << VideoItem::Converting;
    QTest::newRow("converted") << VideoItem::Converted;
    QTest::newRow("failed") << VideoItem::ConvertFailed;
}

void tst_VideoItem::startedItemKeepsItsOutputPath()
{
    QFETCH(VideoItem::State, state);
    QDir(m_dir.path()).mkpath("custom");
    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    item.targetCodecInfo()->setFormat("mp4");
    item.setTargetFolderType(Enums::CustomFolder);
    item.setTargetFolderPath(m_dir.filePath("custom"));
    item.setState(VideoItem::Imported);
    item.setState(state);
    const QString path = item.targetFilePath();
    // The worker has written (or is writing) the output.
    touch(path);

    // A change of the default output folder reaches every item.
    item.setTargetFolderType(Enums::Subfolder);
    item.setTargetFolderPath(m_dir.filePath("other"));
    QCOMPARE(item.targetFilePath(), path);
    QCOMPARE(item.toJson().toObject().value("CalcTargetName").toString(), path);
    QVERIFY(!QFileInfo::exists(m_dir.filePath("converted")));

    // Back at Imported it follows the setting again.
    item.setState(VideoItem::Imported);
    item.setTargetFolderPath(m_dir.filePath("other"));
    QCOMPARE(item.targetFilePath(), m_dir.filePath("other/clip.mp4"));
}

void tst_VideoItem::formatHookSetsDefaultEncoders()
{
    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    item.setTargetFolderType(Enums::InputFolder);
    CodecInfo *target = item.targetCodecInfo().data();

    target->setFormat("MPEG");
    QCOMPARE(target->videoStream().name, QStringLiteral("mpeg2video"));
    QCOMPARE(target->audioStream().name, QStringLiteral("mp2"));
    // A format stored in upper case still gives the lower-case suffix.
    QCOMPARE(item.targetFilePath(), m_dir.filePath("clip.mpeg"));

    // A preset that changes the format ends with that format's encoders.
    PresetInfo preset;
    preset.extension = "webm";
    preset.video.name = "h264_mf";
    preset.audio.name = "aac_mf";
    item.applyPreset(&preset);
    QCOMPARE(target->videoStream().name, QStringLiteral("libvpx"));
    QCOMPARE(target->audioStream().name, QStringLiteral("libvorbis"));
    QCOMPARE(item.targetFilePath(), m_dir.filePath("clip.webm"));

    target->setFormat("xyz");
    QCOMPARE(target->videoStream().name, QString());
    QCOMPARE(target->audioStream().name, QString());
}

void tst_VideoItem::presetFitsTheSource_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<bool>("sourceAudio");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QSize>("presetSize");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("size");

    const QSize hd(1280, 720);
    const QSize portrait(720, 1280);
    QTest::newRow("landscape source")
            << QSize(1920, 1080) << true << "mp4" << hd << true << "mp4" << hd;
    QTest::newRow("portrait source turns the size")
            << portrait << true << "mp4" << hd << true << "mp4" << portrait;
    QTest::newRow("square source keeps it")
            << QSize(720, 720) << true << "mp4" << hd << true << "mp4" << hd;
    QTest::newRow("same size preset")
            << portrait << false << "mov" << QSize() << true << "mov" << portrait;
    QTest::newRow("audio-only source refuses video")
            << QSize() << true << "mp4" << hd << false << "mp3" << QSize();
    QTest::newRow("audio-only source takes audio")
            << QSize() << true << "m4a" << QSize() << true << "m4a" << QSize();
}

void tst_VideoItem::presetFitsTheSource()
{
    QFETCH(QSize, source);
    QFETCH(bool, sourceAudio);
    QFETCH(QString, extension);
    QFETCH(QSize, presetSize);
    QFETCH(bool, applied);
    QFETCH(QString, format);
    QFETCH(QSize, size);

    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    item.sourceCodecInfo()->setResolution(source);
    if (sourceAudio) {
        item.sourceCodecInfo()->setSamplerate(48000);
        item.sourceCodecInfo()->setChannelCount(2);
    }
    item.targetCodecInfo()->setResolution(source);
    item.targetCodecInfo()->setFormat(source.isEmpty() ? "mp3" : "mkv");

    PresetInfo preset;
    preset.extension = extension;
    preset.video.resolution = presetSize;
    QCOMPARE(item.applyPreset(&preset), applied);
    QCOMPARE(item.targetCodecInfo()->format(), format);
    QCOMPARE(item.targetCodecInfo()->resolution(), size);
}

void tst_VideoItem::trimRules_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<bool>("trimmed");

    const qint64 d = TenSeconds;
    QTest::newRow("unset") << qint64(-1) << qint64(-1) << false;
    QTest::newRow("whole") << qint64(0) << d << false;
    QTest::newRow("within tolerance") << qint64(20000) << d - 20000 << false;
    QTest::newRow("start at tolerance") << qint64(50000) << d << true;
    QTest::newRow("start below tolerance") << qint64(49999) << d << false;
    QTest::newRow("end at tolerance") << qint64(0) << d - 50000 << false;
    QTest::newRow("end beyond tolerance") << qint64(0) << d - 50001 << true;
    QTest::newRow("end zero") << qint64(0) << qint64(0) << false;
    QTest::newRow("start unset") << qint64(-1) << d / 2 << false;
}

void tst_VideoItem::trimRules()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(bool, trimmed);

    VideoItem item(QFileInfo("clip.mov"));
    item.setDuration(TenSeconds);
    item.setTrim(start, end);
    QCOMPARE(item.isTrimmed(), trimmed);
    QCOMPARE(item.trimmedDuration(), trimmed ? end - start : TenSeconds);
}

void tst_VideoItem::durationFillsAnUnsetTrim()
{
    VideoItem item(QFileInfo("clip.mov"));
    QSignalSpy trimSpy(&item, &VideoItem::trimChanged);
    item.setDuration(TenSeconds);
    QCOMPARE(item.trim(), qMakePair(qint64(0), TenSeconds));

    item.setTrim(100, 200);
    item.setTrim(100, 200);
    QCOMPARE(trimSpy.count(), 1);
    item.setDuration(2 * TenSeconds);
    QCOMPARE(item.trim(), qMakePair(qint64(100), qint64(200)));
    QCOMPARE(item.duration(), 2 * TenSeconds);
    QCOMPARE(trimSpy.count(), 1);
}

void tst_VideoItem::compressionLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("bitrate");

    QTest::newRow("0") << 0 << 50 << 3000000;
    QTest::newRow("3") << 3 << 110 << 8000000;
    QTest::newRow("4") << 4 << 130 << 12000000;
}

void tst_VideoItem::compressionLevel()
{
    QFETCH(int, level);
    QFETCH(int, quality);
    QFETCH(int, bitrate);

    VideoItem item(QFileInfo("clip.mov"));
    CodecInfo *target = item.targetCodecInfo().data();
    QSignalSpy bitrateSpy(target, &CodecInfo::bitrateChanged);
    QSignalSpy qualitySpy(target, &CodecInfo::qualityChanged);

    item.setCompressionLevel(level);
    item.setCompressionLevel(level);

    QCOMPARE(item.compressionLevel(), level);
    QCOMPARE(target->videoStream().quality, quality);
    QCOMPARE(target->bitrate(), bitrate);
    QCOMPARE(bitrateSpy.count(), 1);
    QCOMPARE(qualitySpy.count(), 0);
}

void tst_VideoItem::importedResetsProgress()
{
    VideoItem item(QFileInfo("clip.mov"));
    item.setState(VideoItem::Imported);
    item.setProgress(400);
    QSignalSpy stateSpy(&item, &VideoItem::stateChanged);
    QSignalSpy progressSpy(&item, &VideoItem::progressChanged);

    item.setState(VideoItem::Imported);
    QCOMPARE(stateSpy.count(), 0);
    QCOMPARE(progressSpy.count(), 1);
    QCOMPARE(progressSpy.first().first().toInt(), 0);

    item.setState(VideoItem::Scheduled);
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(stateSpy.first().at(0).value<VideoItem::State>(), VideoItem::Scheduled);
    QCOMPARE(stateSpy.first().at(1).value<VideoItem::State>(), VideoItem::Imported);
    item.setProgress(0);
    QCOMPARE(progressSpy.count(), 1);
}

void tst_VideoItem::conversionTiming()
{
    VideoItem item(QFileInfo("clip.mov"));
    item.setState(VideoItem::Imported);
    item.setProgress(500);

    item.setState(VideoItem::Converting);
    m_now += 4 * Second;
    item.setPaused(true); // a paused item stays Converting
    m_now += 6 * Second;
    item.setState(VideoItem::Scheduled);
    m_now += 5 * Second;
    item.setState(VideoItem::Converting);
    m_now += 10 * Second;

    // At 500 per mille the remaining time equals the elapsed time.
    QCOMPARE(item.remainingTime(), 20 * Second);
    item.setState(VideoItem::Converted);
    m_now += 60 * Second;
    QCOMPARE(item.remainingTime(), 20 * Second);

    item.setState(VideoItem::Imported);
    item.setProgress(500);
    QCOMPARE(item.remainingTime(), qint64(-1));
}

void tst_VideoItem::estimatesNeedProgress()
{
    VideoItem item(QFileInfo("clip.mov"));
    item.targetCodecInfo()->setResolution(QSize(1000, 500));
    item.setDuration(TenSeconds);
    item.setState(VideoItem::Converting);
    m_now += 10 * Second;

    item.setProgress(10);
    QCOMPARE(item.remainingTime(), qint64(-1));
    QCOMPARE(item.processingRate(), 0.0);

    item.setProgress(11);
    const qint64 e = 10 * Second;
    QCOMPARE(item.remainingTime(), 1000 * e / 11 - e);
    // 500,000 pixels x 10^8 (100 ns) x 11 / (10^4 ms x 10^9)
    QCOMPARE(item.processingRate(), 55.0);
}

void tst_VideoItem::overlaysStoreOnlyChanges()
{
    VideoItem item(QFileInfo("clip.mov"));
    QSignalSpy spy(&item, &VideoItem::watermarkChanged);

    item.setWatermark(PipObjectPtr());
    QCOMPARE(spy.count(), 0);

    PipObjectPtr first(new PipObject);
    first->setText("one");
    item.setWatermark(first);
    QCOMPARE(spy.count(), 1);

    // An equal copy is no change; the item keeps its own object.
    item.setWatermark(first->clone());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(item.watermark().data(), first.data());

    PipObjectPtr second = first->clone();
    second->setText("two");
    item.setWatermark(second);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().first().value<PipObjectPtr>().data(), second.data());

    QSignalSpy subtitlesSpy(&item, &VideoItem::subtitlesChanged);
    item.setSubtitles(second);
    item.setSubtitles(PipObjectPtr());
    QCOMPARE(subtitlesSpy.count(), 2);
    QVERIFY(item.subtitles().isNull());
}

void tst_VideoItem::hasVideo_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<bool>("expected");

    QTest::newRow("video") << "mp4" << QSize(640, 480) << QSize(320, 240) << true;
    QTest::newRow("swf upper case") << "SWF" << QSize(640, 480) << QSize(320, 240) << false;
    QTest::newRow("audio source") << "mp3" << QSize() << QSize(320, 240) << false;
    QTest::newRow("empty target") << "mp4" << QSize(640, 480) << QSize(0, 240) << false;
}

void tst_VideoItem::hasVideo()
{
    QFETCH(QString, format);
    QFETCH(QSize, source);
    QFETCH(QSize, target);
    QFETCH(bool, expected);

    VideoItem item(QFileInfo("clip.mov"));
    item.sourceCodecInfo()->setFormat(format);
    item.sourceCodecInfo()->setResolution(source);
    item.targetCodecInfo()->setResolution(target);
    QCOMPARE(item.hasVideo(), expected);
    QCOMPARE(item.isSourceNotSwf(), format.toLower() != "swf");
}

void tst_VideoItem::jsonRoundTrip()
{
    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    item.setTargetFolderType(Enums::InputFolder);
    item.sourceCodecInfo()->setFormat("mov");
    item.sourceCodecInfo()->setResolution(QSize(1920, 1080));
    item.targetCodecInfo()->setFormat("mkv");
    item.targetCodecInfo()->setResolution(QSize(1280, 720));
    item.setCompressionLevel(1);
    const qint64 longDuration = Q_INT64_C(123456789012345);
    item.setDuration(longDuration);
    item.setTrim(5000000000, longDuration - 1);
    item.setTargetName("out");
    item.setUseAudio(false);
    item.setState(VideoItem::Imported);
    item.setState(VideoItem::Converted);
    const QString path = item.targetFilePath();

    const QJsonObject json = item.toJson().toObject();
    QCOMPARE(json.size(), 12);
    QVERIFY(QRegularExpression(
                    "^\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}$")
                    .match(json.value("ItemId").toString())
                    .hasMatch());
    QCOMPARE(json.value("ItemState").toInt(), 7);
    QCOMPARE(json.value("SourceDuration").toString(), QStringLiteral("123456789012345"));
    QCOMPARE(json.value("TrimStart").toString(), QStringLiteral("5000000000"));
    QCOMPARE(json.value("CalcTargetName").toString(), path);
    QCOMPARE(json.value("UseAudio").toBool(), false);

    VideoItem loaded{QFileInfo()};
    AllSignals spies(&loaded);
    QVERIFY(loaded.loadFromJson(json));
    QCOMPARE(spies.total(), 0);

    QCOMPARE(loaded.id(), item.id());
    QCOMPARE(loaded.state(), VideoItem::Converted);
    QCOMPARE(loaded.sourceFileInfo().absoluteFilePath(), m_dir.filePath("clip.mov"));
    QCOMPARE(loaded.sourceCodecInfo()->resolution(), QSize(1920, 1080));
    QCOMPARE(loaded.targetCodecInfo()->format(), QStringLiteral("mkv"));
    QCOMPARE(loaded.targetCodecInfo()->resolution(), QSize(1280, 720));
    QCOMPARE(loaded.targetCodecInfo()->bitrate(), 4000000);
    QCOMPARE(loaded.duration(), longDuration);
    QCOMPARE(loaded.trim(), item.trim());
    QCOMPARE(loaded.targetName(), QStringLiteral("out"));
    QCOMPARE(loaded.compressionLevel(), 1);
    QVERIFY(!loaded.useAudio());
    QCOMPARE(loaded.targetFilePath(), path);
    QCOMPARE(loaded.toJson().toObject(), json);
}

void tst_VideoItem::jsonMissingKey_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key : {"ItemId", "ItemState", "SourcePath", "SourceCodecInfo",
                            "SourceDuration", "TargetName", "CalcTargetName", "TargetCodecInfo",
                            "CompressionLevel", "TrimStart", "TrimEnd", "UseAudio"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void tst_VideoItem::jsonMissingKey()
{
    QFETCH(QString, key);

    VideoItem item(QFileInfo(m_dir.filePath("clip.mov")));
    QJsonObject json = item.toJson().toObject();
    json.remove(key);

    VideoItem loaded{QFileInfo()};
    AllSignals spies(&loaded);
    QTest::ignoreMessage(QtCriticalMsg,
                         qPrintable("Can't parse json, Video object has no required key: \"" + key
                                    + "\""));
    QVERIFY(!loaded.loadFromJson(json));
    QCOMPARE(spies.total(), 0);
    QVERIFY(loaded.id() != item.id());
}

void tst_VideoItem::jsonNotAnObject()
{
    VideoItem item{QFileInfo()};
    QTest::ignoreMessage(QtCriticalMsg, "Can't parse json, Video item must be an object");
    QVERIFY(!item.loadFromJson(QJsonValue(QStringLiteral("{}"))));

    // A broken codec record rejects the item as well.
    VideoItem source(QFileInfo("clip.mov"));
    QJsonObject json = source.toJson().toObject();
    json.insert("TargetCodecInfo", QJsonObject());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("CodecInfo object has no required key"));
    QVERIFY(!item.loadFromJson(json));
}

QTEST_GUILESS_MAIN(tst_VideoItem)

#include "tst_videoitem.moc"
