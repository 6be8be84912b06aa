#include "datamodel/presetsrepo.h"

#include <QFile>
#include <QSvgRenderer>
#include <QtTest>

class tst_PresetsRepo : public QObject
{
    Q_OBJECT

private slots:
    void groupsAndCatalogueSize();
    void rows_data();
    void rows();
    void presetsFilter_data();
    void presetsFilter();
    void recentList();
    void icons_data();
    void icons();
    void unknownGroupIcon();
    void everyIconIsAResource();
    void pointersTravelInVariants();

private:
    PresetInfoPointer find(const QString &key) const;
    static int rowCount(const QList<PresetsRepo::SubgroupPresets> &pairs);

    PresetsRepo m_repo;
};

PresetInfoPointer tst_PresetsRepo::find(const QString &key) const
{
    for (const QString &group : m_repo.groups()) {
        for (const auto &pair : m_repo.presets(group, QString())) {
            for (PresetInfoPointer preset : pair.second) {
                if (PresetsRepo::presetKey(preset) == key)
                    return preset;
            }
        }
    }
    return nullptr;
}

int tst_PresetsRepo::rowCount(const QList<PresetsRepo::SubgroupPresets> &pairs)
{
    int count = 0;
    for (const auto &pair : pairs)
        count += pair.second.size();
    return count;
}

void tst_PresetsRepo::groupsAndCatalogueSize()
{
    QCOMPARE(m_repo.groups(), (QStringList{"Recent", "Video", "Audio", "Devices"}));
    const auto video = m_repo.presets(QStringLiteral("Video"), QString());
    const auto audio = m_repo.presets(QStringLiteral("Audio"), QString());
    const auto devices = m_repo.presets(QStringLiteral("Devices"), QString());
    QCOMPARE(rowCount(video) + rowCount(audio) + rowCount(devices), 59);

    QStringList subgroups;
    for (const auto &list : {video, audio, devices}) {
        for (const auto &pair : list)
            subgroups << pair.first;
    }
    QCOMPARE(subgroups,
             (QStringList{"MP4", "MOV", "AVI", "WEBM", "MKV", "MPEG", "MP3", "WAV", "WMA", "M4A",
                          "Apple", "Samsung", "Huawei", "Xiaomi", "LG", "Sony", "Microsoft"}));

    // First and last rows of the catalogue.
    QCOMPARE(PresetsRepo::presetKey(video.first().second.first()),
             QStringLiteral("Video-MP4-Same as source"));
    QCOMPARE(PresetsRepo::presetKey(devices.last().second.last()),
             QStringLiteral("Devices-Microsoft-Xbox"));
}

void tst_PresetsRepo::rows_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("videoLabel");
    QTest::addColumn<QString>("videoEncoder");
    QTest::addColumn<int>("videoBitrate");
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<double>("framerate");
    QTest::addColumn<QString>("audioLabel");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<int>("audioBitrate");
    QTest::addColumn<int>("samplerate");
    QTest::addColumn<int>("channels");

    const QString video = QStringLiteral(":/svg/presets/video.svg");
    const QString audio = QStringLiteral(":/svg/presets/audio.svg");
    const QString cyrillicAc3 = QStringLiteral("A") + QChar(0x0421) + QStringLiteral("3");

    QTest::newRow("first") << "Video-MP4-Same as source" << video << "mp4"
                           << "H264"
                           << "h264_mf" << 0 << QSize(0, 0) << 0.0 << "AAC"
                           << "aac_mf" << 256 << 0 << 0;
    QTest::newRow("640P") << "Video-MP4-640P" << video << "mp4"
                          << "H264"
                          << "h264_mf" << 5000000 << QSize(960, 640) << 30.0 << "AAC"
                          << "aac_mf" << 128 << 48000 << 2;
    QTest::newRow("MOV 4K") << "Video-MOV-4K Video" << video << "mov"
                            << "H264"
                            << "h264_mf" << 12000000 << QSize(3840, 2160) << 30.0 << "AAC"
                            << "aac_mf" << 320 << 48000 << 2;
    QTest::newRow("AVI latin AC3") << "Video-AVI-Same as source" << video << "avi"
                                   << "H264"
                                   << "h264_mf" << 0 << QSize(0, 0) << 0.0 << "AC3"
                                   << "ac3_mf" << 256 << 0 << 0;
    QTest::newRow("AVI cyrillic AC3") << "Video-AVI-HD 1080P" << video << "avi"
                                      << "H264"
                                      << "h264_mf" << 9000000 << QSize(1920, 1080) << 30.0
                                      << cyrillicAc3 << "ac3_mf" << 256 << 48000 << 2;
    QTest::newRow("AVI SD 420P") << "Video-AVI-SD 420P" << video << "avi"
                                 << "H264"
                                 << "h264_mf" << 6000000 << QSize(1280, 720) << 30.0 << cyrillicAc3
                                 << "ac3_mf" << 128 << 48000 << 2;
    QTest::newRow("WEBM vorbis") << "Video-WEBM-Same as source" << video << "webm"
                                 << "WEBM"
                                 << "libvpx" << 0 << QSize(0, 0) << 0.0 << "VORBIS"
                                 << "vorbis" << 256 << 0 << 0;
    QTest::newRow("WEBM SD 420P") << "Video-WEBM-SD 420P" << video << "webm"
                                  << "WEBM"
                                  << "libvpx" << 6000000 << QSize(1280, 720) << 30.0 << "VORBIS"
                                  << "libvorbis" << 256 << 48000 << 2;
    QTest::newRow("MKV SD 420P") << "Video-MKV-SD 420P" << video << "mkv"
                                 << "H264"
                                 << "h264_mf" << 6000000 << QSize(1280, 720) << 30.0 << "AAC"
                                 << "aac_mf" << 256 << 48000 << 2;
    QTest::newRow("MPEG same") << "Video-MPEG-Same as source" << video << "mpeg"
                               << "MPEG"
                               << "mpeg2video" << 0 << QSize(0, 0) << 0.0 << "MP2"
                               << "mp2" << 256 << 0 << 2;
    QTest::newRow("MPEG SD 420P") << "Video-MPEG-SD 420P" << video << "mpeg"
                                  << "MPEG"
                                  << "mpeg2video" << 6000000 << QSize(1280, 720) << 25.0 << "MP2"
                                  << "mp2" << 128 << 44100 << 2;
    QTest::newRow("WAV low") << "Audio-WAV-Low Quality" << audio << "wav"
                             << ""
                             << "" << 0 << QSize() << 0.0 << "WAV"
                             << "pcm_s16le" << 0 << 11025 << 2;
    QTest::newRow("M4A same") << "Audio-M4A-Same as source" << audio << "m4a"
                              << ""
                              << "" << 0 << QSize() << 0.0 << "AAC"
                              << "aac_mf" << 320 << 0 << 0;
    QTest::newRow("iPhone 6-8") << "Devices-Apple-IPhone 6-8"
                                << ":/svg/presets/apple-iphone.svg"
                                << "mp4"
                                << "H264"
                                << "h264_mf" << 6000000 << QSize(1280, 720) << 30.0 << "AAC"
                                << "aac_mf" << 192 << 44100 << 2;
    QTest::newRow("key with brackets")
            << "Devices-Apple-IPhone 10-14 (4K)"
            << ":/svg/presets/apple-iphone.svg"
            << "mp4"
            << "H264"
            << "h264_mf" << 12000000 << QSize(3840, 2160) << 30.0 << "AAC"
            << "aac_mf" << 320 << 48000 << 2;
    QTest::newRow("Xiaomi") << "Devices-Xiaomi-Note 8-11"
                            << ":/svg/presets/xiaomi-mobile.svg"
                            << "mp4"
                            << "H264"
                            << "h264_mf" << 9000000 << QSize(1920, 1080) << 30.0 << "AAC"
                            << "aac_mf" << 256 << 44100 << 2;
    QTest::newRow("last") << "Devices-Microsoft-Xbox"
                          << ":/svg/presets/windows-xbox.svg"
                          << "mp4"
                          << "H264"
                          << "h264_mf" << 9000000 << QSize(1920, 1080) << 30.0 << "AAC"
                          << "aac_mf" << 256 << 48000 << 2;
}

void tst_PresetsRepo::rows()
{
    QFETCH(QString, key);
    PresetInfoPointer preset = find(key);
    QVERIFY2(preset, qPrintable(key));
    QTEST(preset->icon, "icon");
    QTEST(preset->extension, "extension");
    QTEST(preset->videoLabel, "videoLabel");
    QTEST(preset->video.name, "videoEncoder");
    QTEST(int(preset->video.bitrate), "videoBitrate");
    QTEST(preset->video.resolution, "resolution");
    QTEST(preset->video.framerate, "framerate");
    QCOMPARE(preset->video.quality, 0);
    QCOMPARE(preset->video.reserved1, 0);
    QCOMPARE(preset->video.reserved2, 0);
    QTEST(preset->audioLabel, "audioLabel");
    QTEST(preset->audio.name, "audioEncoder");
    QTEST(int(preset->audio.bitrate), "audioBitrate");
    QTEST(int(preset->audio.samplerate), "samplerate");
    QTEST(int(preset->audio.channels), "channels");
}

void tst_PresetsRepo::presetsFilter_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("recent");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("subgroups");

    const QStringList none;
    const QStringList videoSubgroups{"MP4", "MOV", "AVI", "WEBM", "MKV", "MPEG"};
    QTest::newRow("video, no filter") << "Video"
                                      << "" << none << 28 << videoSubgroups;
    QTest::newRow("hd lower case") << "Video"
                                   << "hd" << none << 12 << videoSubgroups;
    QTest::newRow("HD upper case") << "Video"
                                   << "HD" << none << 12 << videoSubgroups;
    QTest::newRow("1080 by name") << "Video"
                                  << "1080" << none << 6 << videoSubgroups;
    QTest::newRow("1080 by size") << "Devices"
                                  << "1080" << none << 10
                                  << QStringList{"Apple", "Samsung", "Huawei",   "Xiaomi",
                                                 "LG",    "Sony",    "Microsoft"};
    QTest::newRow("encoder h264") << "Video"
                                  << "h264" << none << 20
                                  << QStringList{"MP4", "MOV", "AVI", "MKV"};
    QTest::newRow("container not searched") << "Video"
                                            << "mp4" << none << 0 << QStringList();
    QTest::newRow("label not searched") << "Audio"
                                        << "wma" << none << 0 << QStringList();
    QTest::newRow("invalid size text")
            << "Audio"
            << "-1 -1" << none << 16 << QStringList{"MP3", "WAV", "WMA", "M4A"};
    QTest::newRow("unknown group") << "Web"
                                   << "" << none << 0 << QStringList();
    QTest::newRow("empty recent") << "Recent"
                                  << "" << none << 0 << QStringList();
    QTest::newRow("recent, lower case group")
            << "recent"
            << "" << QStringList{"Video-MP4-HD 720P"} << 0 << QStringList();
    QTest::newRow("recent in catalogue order, once each")
            << "Recent"
            << ""
            << QStringList{"Devices-LG-TV", "Video-MP4-HD 720P", "nonsense", "Devices-LG-TV",
                           "Audio-MP3-Low Quality"}
            << 3 << QStringList{"MP4", "MP3", "LG"};
    QTest::newRow("recent filtered")
            << "Recent"
            << "tv" << QStringList{"Devices-LG-TV", "Video-MP4-HD 720P"} << 1 << QStringList{"LG"};
}

void tst_PresetsRepo::presetsFilter()
{
    QFETCH(QString, group);
    QFETCH(QString, filter);
    QFETCH(QStringList, recent);
    QFETCH(int, rows);
    QFETCH(QStringList, subgroups);

    m_repo.setRecent(recent);
    const auto result = m_repo.presets(group, filter);
    QCOMPARE(rowCount(result), rows);
    QStringList names;
    for (const auto &pair : result) {
        names << pair.first;
        for (PresetInfoPointer preset : pair.second)
            QCOMPARE(preset->subgroup, pair.first);
    }
    QCOMPARE(names, subgroups);
    m_repo.setRecent({});
}

void tst_PresetsRepo::recentList()
{
    PresetsRepo repo;
    const PresetInfoPointer first
            = repo.presets(QStringLiteral("Video"), QString()).first().second.first();
    const PresetInfoPointer tv = find(QStringLiteral("Devices-LG-TV"));
    QVERIFY(tv);

    repo.addRecent(nullptr);
    QVERIFY(repo.recentPresets().isEmpty());

    for (int i = 0; i < 11; ++i)
        repo.addRecent(first);
    QCOMPARE(repo.recentPresets().size(), 10);
    QCOMPARE(repo.recentPresets().count(PresetsRepo::presetKey(first)), 10);
    QCOMPARE(rowCount(repo.presets(QStringLiteral("Recent"), QString())), 1);

    repo.addRecent(tv);
    QCOMPARE(repo.recentPresets().size(), 10);
    QCOMPARE(repo.recentPresets().first(), QStringLiteral("Devices-LG-TV"));

    // setRecent takes the list as it is.
    const QStringList long12{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"};
    repo.setRecent(long12);
    QCOMPARE(repo.recentPresets(), long12);
}

void tst_PresetsRepo::icons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("groupIcon");
    QTest::addColumn<QString>("brandIcon");
    QTest::newRow("Recent") << "Recent"
                            << ":/svg/presets/group-recent.svg"
                            << ":/svg/presets/video.svg";
    QTest::newRow("Web") << "Web"
                         << ":/svg/presets/group-web.svg"
                         << ":/svg/presets/video.svg";
    QTest::newRow("Audio") << "Audio"
                           << ":/svg/presets/group-audio.svg"
                           << ":/svg/presets/video.svg";
    for (const char *format : {"MP3", "WAV", "WMA", "M4A"})
        QTest::newRow(format) << format << ""
                              << ":/svg/presets/audio.svg";
    for (const char *format : {"MP4", "MOV", "AVI", "WEBM", "MKV", "MPEG"})
        QTest::newRow(format) << format << ""
                              << ":/svg/presets/video.svg";
    QTest::newRow("Microsoft") << "Microsoft"
                               << ""
                               << ":/svg/presets/windows.svg";
    QTest::newRow("Android") << "Android"
                             << ""
                             << ":/svg/presets/android.svg";
    QTest::newRow("apple lower case") << "apple"
                                      << ""
                                      << ":/svg/presets/video.svg";
}

void tst_PresetsRepo::icons()
{
    QFETCH(QString, name);
    QFETCH(QString, groupIcon);
    QFETCH(QString, brandIcon);
    if (groupIcon.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg,
                             qPrintable(QStringLiteral("Preset group icon not found \"%1\"")
                                                .arg(name)));
    QCOMPARE(PresetsRepo::groupIcon(name), groupIcon);
    QCOMPARE(PresetsRepo::brandIcon(name), brandIcon);
}

void tst_PresetsRepo::unknownGroupIcon()
{
    QTest::ignoreMessage(QtCriticalMsg, "Preset group icon not found \"video\"");
    QVERIFY(PresetsRepo::groupIcon(QStringLiteral("video")).isEmpty());
}

void tst_PresetsRepo::everyIconIsAResource()
{
    QStringList paths;
    for (const char *group : {"Recent", "Video", "Audio", "Devices", "Web"})
        paths << PresetsRepo::groupIcon(group);
    for (const char *brand :
         {"Android", "Apple", "Huawei", "LG", "Samsung", "Sony", "Microsoft", "Xiaomi", "MP3"})
        paths << PresetsRepo::brandIcon(brand);
    for (const QString &group : m_repo.groups()) {
        for (const auto &pair : m_repo.presets(group, QString())) {
            for (PresetInfoPointer preset : pair.second)
                paths << preset->icon;
        }
    }
    paths.removeDuplicates();
    QCOMPARE(paths.size(), 23);
    for (const QString &path : paths) {
        QSvgRenderer renderer(path);
        QVERIFY2(renderer.isValid(), qPrintable(path));
    }
}

void tst_PresetsRepo::pointersTravelInVariants()
{
    QVERIFY(QMetaType::type("PresetInfoPointer") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("PresetInfoPointersVector") != QMetaType::UnknownType);
    const PresetInfoPointersVector vector
            = m_repo.presets(QStringLiteral("Audio"), QString()).first().second;
    const QVariant variant = QVariant::fromValue(vector);
    QCOMPARE(variant.value<PresetInfoPointersVector>(), vector);
    QVERIFY(variant.canConvert<QVariantList>());
    QCOMPARE(QVariant::fromValue(vector.first()).value<PresetInfoPointer>(), vector.first());
}

QTEST_GUILESS_MAIN(tst_PresetsRepo)
#include "tst_presetsrepo.moc"
