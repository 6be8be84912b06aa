#include "shared/settingsprovider.h"

#include "core/int32streamoperators.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaType>

#include "kelapplication.h"
#include "kelsettingsfilecheck.h"

namespace {

const QString RecentPresetsKey = QStringLiteral("recentPresets");
const QString UpdateCheckerShowedVersionKey = QStringLiteral("updateCheckerShowedVersion");
const QString TargetFolderTypeKey = QStringLiteral("targetFolderType");
const QString TargetFolderPathKey = QStringLiteral("targetFolderPath");
const QString LastClickedFormatKey = QStringLiteral("lastClickedFormat");
const QString PreviewQualityKey = QStringLiteral("previewQuality");
const QString DontAskRemoveFromQueueKey = QStringLiteral("dontAskRemoveFromQueue");
const QString LastSubtitlesFolderKey = QStringLiteral("lastSubtitlesFolder");
const QString LastWatermarkFolderKey = QStringLiteral("lastWatermarkFolder");
const QString LastVolumeKey = QStringLiteral("lastVolume");
const QString LastSubtitlesAlignmentKey = QStringLiteral("lastSubtitlesAlignment");
const QString LastSubtitlesBackgroundBrushKey = QStringLiteral("lastSubtitlesBackgroundBrush");
const QString LastSubtitlesFontFamilyKey = QStringLiteral("lastSubtitlesFontFamily");
const QString LastSubtitlesFontSizeKey = QStringLiteral("lastSubtitlesFontSize");
const QString LastSubtitlesForegroundBrushKey = QStringLiteral("lastSubtitlesForegroundBrush");
const QString LastSubtitlesOpacityKey = QStringLiteral("lastSubtitlesOpacity");
const QString LastWatermarkAngleKey = QStringLiteral("lastWatermarkAngle");
const QString LastWatermarkCenterPointKey = QStringLiteral("lastWatermarkCenterPoint");
const QString LastWatermarkFontFamilyKey = QStringLiteral("lastWatermarkFontFamily");
const QString LastWatermarkForegroundBrushKey = QStringLiteral("lastWatermarkForegroundBrush");
const QString LastWatermarkOpacityKey = QStringLiteral("lastWatermarkOpacity");
const QString LastWatermarkSizeKey = QStringLiteral("lastWatermarkSize");
const QString LastWatermarkTextKey = QStringLiteral("lastWatermarkText");
const QString LastWatermarkLocationKey = QStringLiteral("lastWatermarkLocation");
const QString LastWatermarkTypeKey = QStringLiteral("lastWatermarkType");

const QString DefaultFontFamily = QStringLiteral("Arial");

// Enumerations and flags are stored as a signed 32-bit integer, which the
// settings file check must know to read them.
template<typename T>
void registerInt32SettingsType()
{
    KelSettingsFileCheck::declareInt32Type(qMetaTypeId<T>());
    registerInt32StreamOperators<T>();
}

} // namespace

void registerSettingsMetaTypes()
{
    registerInt32SettingsType<Enums::TargetFolderType>();
    registerInt32SettingsType<Enums::PostAction>();
    registerInt32SettingsType<Enums::PreviewQuality>();
    registerInt32SettingsType<Qt::Alignment>();
    PipObject::registerMetaTypes();
    registerInt32SettingsType<PipObject::Type>();
    registerInt32SettingsType<PipObject::Location>();
    registerInt32SettingsType<PipObject::Property>();
}

SettingsProvider::SettingsProvider(const QString &fileName, QSettings::Format format,
                                   QObject *parent)
    : KelSettings(fileName, format, parent)
{
    qDebug() << "First read, block signals";
    blockSignals(true);
    SettingsProvider::load();
    blockSignals(false);
}

SettingsProvider::~SettingsProvider() = default;

SettingsProvider *SettingsProvider::instance()
{
    if (auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance()))
        return qobject_cast<SettingsProvider *>(app->settings());
    return nullptr;
}

void SettingsProvider::load()
{
    qDebug() << "Begin load app settings from file" << fileName();
    KelSettings::load();
    qDebug() << "End load app settings from file" << fileName();
}

void SettingsProvider::save()
{
    qDebug() << "Begin write app settings to file" << fileName();
    KelSettings::save();
    qDebug() << "End write app settings to file" << fileName();
}

QString SettingsProvider::recentPresets() const
{
    return readValue(RecentPresetsKey, QString());
}

void SettingsProvider::setRecentPresets(const QString &value)
{
    if (writeValue(RecentPresetsKey, value))
        emit recentPresetsChanged(value);
}

QString SettingsProvider::updateCheckerShowedVersion() const
{
    return readValue(UpdateCheckerShowedVersionKey, QString());
}

void SettingsProvider::setUpdateCheckerShowedVersion(const QString &value)
{
    if (writeValue(UpdateCheckerShowedVersionKey, value))
        emit updateCheckerShowedVersionChanged(value);
}

Enums::TargetFolderType SettingsProvider::targetFolderType() const
{
    return readEnumValue(TargetFolderTypeKey, Enums::InputFolder);
}

void SettingsProvider::setTargetFolderType(Enums::TargetFolderType value)
{
    if (writeValue(TargetFolderTypeKey, value))
        emit targetFolderTypeChanged(value);
}

QString SettingsProvider::targetFolderPath() const
{
    return readValue(TargetFolderPathKey, QString());
}

void SettingsProvider::setTargetFolderPath(const QString &value)
{
    if (writeValue(TargetFolderPathKey, value))
        emit targetFolderPathChanged(value);
}

QString SettingsProvider::lastClickedFormat() const
{
    return readValue(LastClickedFormatKey, QStringLiteral("MP4"));
}

void SettingsProvider::setLastClickedFormat(const QString &value)
{
    if (writeValue(LastClickedFormatKey, value))
        emit lastClickedFormatChanged(value);
}

Enums::PreviewQuality SettingsProvider::previewQuality() const
{
    return readEnumValue(PreviewQualityKey, Enums::High);
}

void SettingsProvider::setPreviewQuality(Enums::PreviewQuality value)
{
    if (writeValue(PreviewQualityKey, value))
        emit previewQualityChanged(value);
}

bool SettingsProvider::dontAskRemoveFromQueue() const
{
    return readValue(DontAskRemoveFromQueueKey, false);
}

void SettingsProvider::setDontAskRemoveFromQueue(bool value)
{
    if (writeValue(DontAskRemoveFromQueueKey, value))
        emit dontAskRemoveFromQueueChanged(value);
}

QString SettingsProvider::lastSubtitlesFolder() const
{
    return readValue(LastSubtitlesFolderKey, QString());
}

void SettingsProvider::setLastSubtitlesFolder(const QString &value)
{
    if (writeValue(LastSubtitlesFolderKey, value))
        emit lastSubtitlesFolderChanged(value);
}

QString SettingsProvider::lastWatermarkFolder() const
{
    return readValue(LastWatermarkFolderKey, QString());
}

void SettingsProvider::setLastWatermarkFolder(const QString &value)
{
    if (writeValue(LastWatermarkFolderKey, value))
        emit lastWatermarkFolderChanged(value);
}

double SettingsProvider::lastVolume() const
{
    return readValue(LastVolumeKey, 1.0);
}

void SettingsProvider::setLastVolume(double value)
{
    if (writeValue(LastVolumeKey, value))
        emit lastVolumeChanged(value);
}

Qt::Alignment SettingsProvider::lastSubtitlesAlignment() const
{
    return readValue(LastSubtitlesAlignmentKey, Qt::Alignment(Qt::AlignBottom));
}

void SettingsProvider::setLastSubtitlesAlignment(Qt::Alignment value)
{
    if (writeValue(LastSubtitlesAlignmentKey, value))
        emit lastSubtitlesAlignmentChanged(value);
}

QBrush SettingsProvider::lastSubtitlesBackgroundBrush() const
{
    return readValue(LastSubtitlesBackgroundBrushKey, QBrush());
}

void SettingsProvider::setLastSubtitlesBackgroundBrush(const QBrush &value)
{
    if (writeValue(LastSubtitlesBackgroundBrushKey, value))
        emit lastSubtitlesBackgroundBrushChanged(value);
}

QString SettingsProvider::lastSubtitlesFontFamily() const
{
    return readValue(LastSubtitlesFontFamilyKey, DefaultFontFamily);
}

void SettingsProvider::setLastSubtitlesFontFamily(const QString &value)
{
    if (writeValue(LastSubtitlesFontFamilyKey, value))
        emit lastSubtitlesFontFamilyChanged(value);
}

double SettingsProvider::lastSubtitlesFontSize() const
{
    return readValue(LastSubtitlesFontSizeKey, 0.5);
}

void SettingsProvider::setLastSubtitlesFontSize(double value)
{
    if (writeValue(LastSubtitlesFontSizeKey, value))
        emit lastSubtitlesFontSizeChanged(value);
}

QBrush SettingsProvider::lastSubtitlesForegroundBrush() const
{
    return readValue(LastSubtitlesForegroundBrushKey, QBrush(Qt::white));
}

void SettingsProvider::setLastSubtitlesForegroundBrush(const QBrush &value)
{
    if (writeValue(LastSubtitlesForegroundBrushKey, value))
        emit lastSubtitlesForegroundBrushChanged(value);
}

double SettingsProvider::lastSubtitlesOpacity() const
{
    return readValue(LastSubtitlesOpacityKey, 1.0);
}

void SettingsProvider::setLastSubtitlesOpacity(double value)
{
    if (writeValue(LastSubtitlesOpacityKey, value))
        emit lastSubtitlesOpacityChanged(value);
}

int SettingsProvider::lastWatermarkAngle() const
{
    return readValue(LastWatermarkAngleKey, 0);
}

void SettingsProvider::setLastWatermarkAngle(int value)
{
    if (writeValue(LastWatermarkAngleKey, value))
        emit lastWatermarkAngleChanged(value);
}

QPointF SettingsProvider::lastWatermarkCenterPoint() const
{
    return readValue(LastWatermarkCenterPointKey, QPointF(0.5, 0.5));
}

void SettingsProvider::setLastWatermarkCenterPoint(const QPointF &value)
{
    if (writeValue(LastWatermarkCenterPointKey, value))
        emit lastWatermarkCenterPointChanged(value);
}

QString SettingsProvider::lastWatermarkFontFamily() const
{
    return readValue(LastWatermarkFontFamilyKey, DefaultFontFamily);
}

void SettingsProvider::setLastWatermarkFontFamily(const QString &value)
{
    if (writeValue(LastWatermarkFontFamilyKey, value))
        emit lastWatermarkFontFamilyChanged(value);
}

QBrush SettingsProvider::lastWatermarkForegroundBrush() const
{
    return readValue(LastWatermarkForegroundBrushKey, QBrush(Qt::white));
}

void SettingsProvider::setLastWatermarkForegroundBrush(const QBrush &value)
{
    if (writeValue(LastWatermarkForegroundBrushKey, value))
        emit lastWatermarkForegroundBrushChanged(value);
}

double SettingsProvider::lastWatermarkOpacity() const
{
    return readValue(LastWatermarkOpacityKey, 1.0);
}

void SettingsProvider::setLastWatermarkOpacity(double value)
{
    if (writeValue(LastWatermarkOpacityKey, value))
        emit lastWatermarkOpacityChanged(value);
}

double SettingsProvider::lastWatermarkSize() const
{
    return readValue(LastWatermarkSizeKey, 0.5);
}

void SettingsProvider::setLastWatermarkSize(double value)
{
    if (writeValue(LastWatermarkSizeKey, value))
        emit lastWatermarkSizeChanged(value);
}

QString SettingsProvider::lastWatermarkText() const
{
    return readValue(LastWatermarkTextKey, QString());
}

void SettingsProvider::setLastWatermarkText(const QString &value)
{
    if (writeValue(LastWatermarkTextKey, value))
        emit lastWatermarkTextChanged(value);
}

PipObject::Location SettingsProvider::lastWatermarkLocation() const
{
    return readEnumValue(LastWatermarkLocationKey, PipObject::Free);
}

void SettingsProvider::setLastWatermarkLocation(PipObject::Location value)
{
    if (writeValue(LastWatermarkLocationKey, value))
        emit lastWatermarkLocationChanged(value);
}

PipObject::Type SettingsProvider::lastWatermarkType() const
{
    return readEnumValue(LastWatermarkTypeKey, PipObject::ImageWatermark);
}

void SettingsProvider::setLastWatermarkType(PipObject::Type value)
{
    if (writeValue(LastWatermarkTypeKey, value))
        emit lastWatermarkTypeChanged(value);
}

PipObjectPtr SettingsProvider::lastSubtitlesPipObject() const
{
    PipObjectPtr pip(new PipObject);
    pip->setType(PipObject::Subtitles);
    pip->setFilePath(QString());
    pip->setFontFamily(lastSubtitlesFontFamily());
    pip->setSize(lastSubtitlesFontSize());
    pip->setOpacity(lastSubtitlesOpacity());
    pip->setForegroundBrush(lastSubtitlesForegroundBrush());
    pip->setBackgroundBrush(lastSubtitlesBackgroundBrush());
    pip->setLocation(PipObject::Aligned);
    pip->setAlignment(lastSubtitlesAlignment());
    return pip;
}

PipObjectPtr SettingsProvider::lastWatermarkPipObject() const
{
    PipObjectPtr pip(new PipObject);
    pip->setType(lastWatermarkType());
    pip->setFilePath(QString());
    pip->setFontFamily(lastWatermarkFontFamily());
    pip->setSize(lastWatermarkSize());
    pip->setOpacity(lastWatermarkOpacity());
    pip->setForegroundBrush(lastWatermarkForegroundBrush());
    pip->setLocation(lastWatermarkLocation());
    pip->setAngle(lastWatermarkAngle());
    pip->setText(lastWatermarkText());
    pip->setCenterPoint(lastWatermarkCenterPoint());
    return pip;
}

void SettingsProvider::storeLastSubtitles(const PipObjectPtr &pipObject)
{
    if (!pipObject)
        return;
    setLastSubtitlesFontFamily(pipObject->fontFamily());
    setLastSubtitlesFontSize(pipObject->size());
    setLastSubtitlesOpacity(pipObject->opacity());
    setLastSubtitlesForegroundBrush(pipObject->foregroundBrush());
    setLastSubtitlesBackgroundBrush(pipObject->backgroundBrush());
    setLastSubtitlesAlignment(pipObject->alignment());
}

void SettingsProvider::storeLastWatermark(const PipObjectPtr &pipObject)
{
    if (!pipObject)
        return;
    setLastWatermarkType(pipObject->type());
    setLastWatermarkFontFamily(pipObject->fontFamily());
    setLastWatermarkSize(pipObject->size());
    setLastWatermarkOpacity(pipObject->opacity());
    setLastWatermarkForegroundBrush(pipObject->foregroundBrush());
    setLastWatermarkLocation(pipObject->location());
    setLastWatermarkAngle(pipObject->angle());
    setLastWatermarkText(pipObject->text());
    setLastWatermarkCenterPoint(pipObject->centerPoint());
}

#include "moc_settingsprovider.cpp"
