#include "shared/formattables.h"

#include <QDir>
#include <QStandardPaths>
#include <QtTest>

class tst_FormatTables : public QObject
{
    Q_OBJECT

private slots:
    void encoders_data();
    void encoders();
    void outputFormats();
    void filters();
    void standardResolutions();
    void historyFolderIsCreated();
};

void tst_FormatTables::encoders_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("audio");
    QTest::newRow("MP4 upper case") << "MP4"
                                    << "h264_mf"
                                    << "aac_mf";
    QTest::newRow("AVI") << "AVI"
                         << "h264_mf"
                         << "ac3_mf";
    QTest::newRow("webm") << "webm"
                          << "libvpx"
                          << "libvorbis";
    QTest::newRow("mpeg") << "mpeg"
                          << "mpeg2video"
                          << "mp2";
    QTest::newRow("wav, audio only") << "wav"
                                     << ""
                                     << "pcm_s16le";
    QTest::newRow("wma") << "wma"
                         << ""
                         << "wmav2";
    QTest::newRow("m2ts, input only") << "m2ts"
                                      << ""
                                      << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void tst_FormatTables::encoders()
{
    QFETCH(QString, format);
    QFETCH(QString, video);
    QFETCH(QString, audio);
    const FormatTables tables;
    QCOMPARE(tables.videoEncoderForFormat(format), video);
    QCOMPARE(tables.audioEncoderForFormat(format), audio);
}

void tst_FormatTables::outputFormats()
{
    const FormatTables tables;
    const QStringList all = tables.outputFormats();
    QCOMPARE(all.size(), 10);
    QCOMPARE(all.mid(0, 6), tables.outputVideoFormats());
    QCOMPARE(all.mid(6), (QStringList{"mp3", "wav", "m4a", "wma"}));
    QCOMPARE(tables.inputVideoFormats().size(), 17);
    // Every output container has its encoders.
    for (const QString &format : all)
        QVERIFY2(!tables.audioEncoderForFormat(format).isEmpty(), qPrintable(format));
}

void tst_FormatTables::filters()
{
    const FormatTables tables;
    QCOMPARE(tables.subtitlesFilter(), QStringLiteral("*.srt"));
    QCOMPARE(tables.inputAudioFilter(), QStringLiteral("*.mp3 *.m4a *.aiff *.aif"));
    QVERIFY(tables.inputVideoFilter().startsWith(QStringLiteral("*.mp4 *.mov *.avi ")));
    QVERIFY(tables.inputVideoFilter().endsWith(QStringLiteral(" *.vob *.3gp")));
    QVERIFY(tables.imageFormats().contains(QStringLiteral("png")));
    QVERIFY(tables.imageFilter().contains(QStringLiteral("*.png")));
}

void tst_FormatTables::standardResolutions()
{
    const QList<QSize> sizes = FormatTables().standardResolutions();
    QCOMPARE(sizes.size(), 11);
    QCOMPARE(sizes.first(), QSize(640, 480));
    QCOMPARE(sizes.at(6), QSize(1920, 1080));
    QCOMPARE(sizes.last(), QSize(3840, 2160));
}

void tst_FormatTables::historyFolderIsCreated()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(base).removeRecursively();
    const QString folder = FormatTables::historyThumbnailPath();
    QVERIFY(folder.endsWith(QStringLiteral("/history/")));
    QVERIFY(folder.startsWith(base));
    QVERIFY(QDir(folder).exists());
    QCOMPARE(FormatTables::historyFilePath(), QStringLiteral("history.json"));
    QCOMPARE(FormatTables::historyThumbnailSuffix(), QStringLiteral(".jpg"));
}

QTEST_GUILESS_MAIN(tst_FormatTables)
#include "tst_formattables.moc"
