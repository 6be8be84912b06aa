#include "shared/settingsprovider.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_SettingsProvider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void defaultsOnEmptyFile();
    void valuesRoundTripThroughFile();
    void setterWritesOnlyOnChange();
    void unconvertibleTextReadsAsZero();
    void outOfRangeEnumReadsAsDefault_data();
    void outOfRangeEnumReadsAsDefault();
    void firstReadIsSilent();
    void lastWatermarkOnEmptyFile();
    void overlaysRoundTripThroughFile();

private:
    void writeIni(const QByteArray &contents);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void tst_SettingsProvider::initTestCase()
{
    registerSettingsMetaTypes();
}

void tst_SettingsProvider::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("reelforge.ini"));
}

void tst_SettingsProvider::writeIni(const QByteArray &contents)
{
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

void tst_SettingsProvider::defaultsOnEmptyFile()
{
    {
        SettingsProvider settings(m_file, QSettings::IniFormat);
        QCOMPARE(settings.lastClickedFormat(), QStringLiteral("MP4"));
        QCOMPARE(settings.lastVolume(), 1.0);
        QCOMPARE(settings.lastSubtitlesFontFamily(), QStringLiteral("Arial"));
        QCOMPARE(settings.lastWatermarkFontFamily(), QStringLiteral("Arial"));
        QCOMPARE(settings.lastWatermarkCenterPoint(), QPointF(0.5, 0.5));
        QCOMPARE(settings.targetFolderType(), Enums::InputFolder);
        QCOMPARE(settings.previewQuality(), Enums::High);
        QCOMPARE(settings.lastSubtitlesAlignment(), Qt::Alignment(Qt::AlignBottom));
        QCOMPARE(settings.lastSubtitlesBackgroundBrush(), QBrush());
        QCOMPARE(settings.lastSubtitlesForegroundBrush(), QBrush(Qt::white));
        QCOMPARE(settings.lastSubtitlesFontSize(), 0.5);
        QCOMPARE(settings.lastWatermarkSize(), 0.5);
        QCOMPARE(settings.lastWatermarkAngle(), 0);
        QVERIFY(!settings.dontAskRemoveFromQueue());
        QVERIFY(settings.recentPresets().isEmpty());
        QVERIFY(settings.allKeys().isEmpty());
    }
    // Only the first-run marker is written, by the destructor.
    QSettings reread(m_file, QSettings::IniFormat);
    QCOMPARE(reread.allKeys(), QStringList{QStringLiteral("FirstRun")});
}

void tst_SettingsProvider::valuesRoundTripThroughFile()
{
    const QBrush brush(QColor(10, 20, 30, 40));
    const Qt::Alignment alignment = Qt::AlignTop | Qt::AlignHCenter;
    {
        SettingsProvider settings(m_file, QSettings::IniFormat);
        settings.setTargetFolderType(Enums::Documents);
        settings.setPreviewQuality(Enums::Low);
        settings.setLastSubtitlesAlignment(alignment);
        settings.setLastSubtitlesBackgroundBrush(brush);
        settings.setLastWatermarkCenterPoint(QPointF(0.25, 0.75));
        settings.setLastVolume(0.3);
        settings.setDontAskRemoveFromQueue(true);
        settings.setLastWatermarkAngle(-45);
        settings.setRecentPresets(QStringLiteral("a&&b"));
    }
    QFile raw(m_file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    QVERIFY(text.contains("targetFolderType=@Variant("));

    SettingsProvider settings(m_file, QSettings::IniFormat);
    QCOMPARE(settings.targetFolderType(), Enums::Documents);
    QCOMPARE(settings.previewQuality(), Enums::Low);
    QCOMPARE(settings.lastSubtitlesAlignment(), alignment);
    QCOMPARE(settings.lastSubtitlesBackgroundBrush(), brush);
    QCOMPARE(settings.lastWatermarkCenterPoint(), QPointF(0.25, 0.75));
    QCOMPARE(settings.lastVolume(), 0.3);
    QVERIFY(settings.dontAskRemoveFromQueue());
    QCOMPARE(settings.lastWatermarkAngle(), -45);
    QCOMPARE(settings.recentPresets(), QStringLiteral("a&&b"));

    // Values read back from the file compare equal to the same new value.
    QSignalSpy typeSpy(&settings, &SettingsProvider::targetFolderTypeChanged);
    QSignalSpy alignSpy(&settings, &SettingsProvider::lastSubtitlesAlignmentChanged);
    QSignalSpy brushSpy(&settings, &SettingsProvider::lastSubtitlesBackgroundBrushChanged);
    QSignalSpy volumeSpy(&settings, &SettingsProvider::lastVolumeChanged);
    settings.setTargetFolderType(Enums::Documents);
    settings.setLastSubtitlesAlignment(alignment);
    settings.setLastSubtitlesBackgroundBrush(brush);
    settings.setLastVolume(0.3);
    QCOMPARE(typeSpy.count() + alignSpy.count() + brushSpy.count() + volumeSpy.count(), 0);
}

void tst_SettingsProvider::setterWritesOnlyOnChange()
{
    SettingsProvider settings(m_file, QSettings::IniFormat);
    QSignalSpy volumeSpy(&settings, &SettingsProvider::lastVolumeChanged);
    QSignalSpy folderSpy(&settings, &SettingsProvider::targetFolderTypeChanged);
    QSignalSpy versionSpy(&settings, &KelSettings::updateCheckerShowedVersionChanged);

    settings.setLastVolume(1.0);
    QCOMPARE(volumeSpy.count(), 1);
    QCOMPARE(volumeSpy.at(0).at(0).toDouble(), 1.0);
    QVERIFY(settings.contains(QStringLiteral("lastVolume")));
    settings.setLastVolume(1.0);
    QCOMPARE(volumeSpy.count(), 1);

    settings.setTargetFolderType(Enums::Subfolder);
    settings.setTargetFolderType(Enums::Subfolder);
    settings.setTargetFolderType(Enums::Desktop);
    QCOMPARE(folderSpy.count(), 2);
    QCOMPARE(folderSpy.at(1).at(0).value<Enums::TargetFolderType>(), Enums::Desktop);

    settings.setUpdateCheckerShowedVersion(QStringLiteral("2.0"));
    settings.setUpdateCheckerShowedVersion(QStringLiteral("2.0"));
    QCOMPARE(versionSpy.count(), 1);
}

void tst_SettingsProvider::unconvertibleTextReadsAsZero()
{
    writeIni("[General]\nlastVolume=loud\nlastWatermarkAngle=steep\nlastWatermarkSize=big\n");
    SettingsProvider settings(m_file, QSettings::IniFormat);
    QCOMPARE(settings.lastVolume(), 0.0);
    QCOMPARE(settings.lastWatermarkAngle(), 0);
    QCOMPARE(settings.lastWatermarkSize(), 0.0);
}

namespace {

// A value of a registered type as QSettings serialises it, holding a number.
QByteArray storedEnum(const char *typeName, qint32 value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << quint32(127) << typeName << value;
    QByteArray text = "@Variant(";
    for (const char c : qAsConst(bytes))
        text += "\\x" + QByteArray::number(uchar(c), 16);
    return text + ')';
}

} // namespace

void tst_SettingsProvider::outOfRangeEnumReadsAsDefault_data()
{
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("folder type as text") << QByteArray("targetFolderType=99");
    QTest::newRow("folder type serialised")
            << "targetFolderType=" + storedEnum("Enums::TargetFolderType", 99);
    QTest::newRow("preview quality serialised")
            << "previewQuality=" + storedEnum("Enums::PreviewQuality", -5);
    QTest::newRow("watermark type serialised")
            << "lastWatermarkType=" + storedEnum("PipObject::Type", 7);
    QTest::newRow("watermark location as text") << QByteArray("lastWatermarkLocation=42");
}

void tst_SettingsProvider::outOfRangeEnumReadsAsDefault()
{
    QFETCH(QByteArray, line);
    writeIni("[General]\n" + line + "\n");
    SettingsProvider settings(m_file, QSettings::IniFormat);
    QCOMPARE(settings.targetFolderType(), Enums::InputFolder);
    QCOMPARE(settings.previewQuality(), Enums::High);
    QCOMPARE(settings.lastWatermarkType(), PipObject::ImageWatermark);
    QCOMPARE(settings.lastWatermarkLocation(), PipObject::Free);
    // The number is still there: only its reading falls back.
    QCOMPARE(settings.allKeys().size(), 1);
}

void tst_SettingsProvider::firstReadIsSilent()
{
    writeIni("[General]\nlocaleName=xx_YY\nupdateCheckerEnabled=false\n");
    SettingsProvider settings(m_file, QSettings::IniFormat);
    QCOMPARE(settings.localeName(), QStringLiteral("xx_YY"));
    QVERIFY(!settings.updateCheckerEnabled());
    QVERIFY(!settings.signalsBlocked());

    QSignalSpy localeSpy(&settings, &KelSettings::localeNameChanged);
    settings.load();
    QCOMPARE(localeSpy.count(), 0);
}

void tst_SettingsProvider::lastWatermarkOnEmptyFile()
{
    SettingsProvider settings(m_file, QSettings::IniFormat);
    const PipObjectPtr pip = settings.lastWatermarkPipObject();
    QVERIFY(pip);
    QVERIFY(!pip->parent());
    QCOMPARE(pip->type(), PipObject::ImageWatermark);
    QCOMPARE(pip->location(), PipObject::Free);
    QCOMPARE(pip->angle(), 0);
    QCOMPARE(pip->size(), 0.5);
    QCOMPARE(pip->opacity(), 1.0);
    QCOMPARE(pip->foregroundBrush(), QBrush(Qt::white));
    QCOMPARE(pip->centerPoint(), QPointF(0.5, 0.5));
    QVERIFY(pip->text().isEmpty());
    QVERIFY(pip->filePath().isEmpty());

    const PipObjectPtr subtitles = settings.lastSubtitlesPipObject();
    QCOMPARE(subtitles->type(), PipObject::Subtitles);
    QCOMPARE(subtitles->location(), PipObject::Aligned);
    QCOMPARE(subtitles->alignment(), Qt::Alignment(Qt::AlignBottom));
    QCOMPARE(subtitles->fontFamily(), QStringLiteral("Arial"));
    QCOMPARE(subtitles->backgroundBrush(), QBrush());
}

void tst_SettingsProvider::overlaysRoundTripThroughFile()
{
    PipObjectPtr watermark(new PipObject);
    watermark->setType(PipObject::TextWatermark);
    watermark->setFilePath(QStringLiteral("/tmp/logo.png"));
    watermark->setText(QStringLiteral("Sample"));
    watermark->setFontFamily(QStringLiteral("Serif"));
    watermark->setSize(0.2);
    watermark->setOpacity(0.7);
    watermark->setForegroundBrush(QBrush(Qt::red));
    watermark->setLocation(PipObject::Tile);
    watermark->setAngle(30);
    watermark->setCenterPoint(QPointF(0.1, 0.9));

    PipObjectPtr subtitles(new PipObject);
    subtitles->setFontFamily(QStringLiteral("Mono"));
    subtitles->setSize(0.3);
    subtitles->setOpacity(0.4);
    subtitles->setForegroundBrush(QBrush(Qt::yellow));
    subtitles->setBackgroundBrush(QBrush(Qt::black));
    subtitles->setAlignment(Qt::AlignTop | Qt::AlignRight);
    {
        SettingsProvider settings(m_file, QSettings::IniFormat);
        settings.storeLastWatermark(watermark);
        settings.storeLastSubtitles(subtitles);
        settings.storeLastWatermark(nullptr);
    }
    SettingsProvider settings(m_file, QSettings::IniFormat);
    const PipObjectPtr readWatermark = settings.lastWatermarkPipObject();
    // The file path is not remembered.
    watermark->setFilePath(QString());
    QCOMPARE(readWatermark->properties(), watermark->properties());

    const PipObjectPtr readSubtitles = settings.lastSubtitlesPipObject();
    QCOMPARE(readSubtitles->type(), PipObject::Subtitles);
    QCOMPARE(readSubtitles->location(), PipObject::Aligned);
    QCOMPARE(readSubtitles->fontFamily(), QStringLiteral("Mono"));
    QCOMPARE(readSubtitles->size(), 0.3);
    QCOMPARE(readSubtitles->opacity(), 0.4);
    QCOMPARE(readSubtitles->foregroundBrush(), QBrush(Qt::yellow));
    QCOMPARE(readSubtitles->backgroundBrush(), QBrush(Qt::black));
    QCOMPARE(readSubtitles->alignment(), Qt::AlignTop | Qt::AlignRight);

    QSignalSpy typeSpy(&settings, &SettingsProvider::lastWatermarkTypeChanged);
    settings.setLastWatermarkType(PipObject::TextWatermark);
    QCOMPARE(typeSpy.count(), 0);
    settings.setLastWatermarkType(PipObject::ImageWatermark);
    QCOMPARE(typeSpy.count(), 1);
}

QTEST_GUILESS_MAIN(tst_SettingsProvider)
#include "tst_settingsprovider.moc"
