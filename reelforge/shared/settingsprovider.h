#pragma once

#include "datamodel/pip/pipobject.h"
#include "kelsettings.h"
#include "shared/enums.h"

#include <QBrush>
#include <QPointF>

// Registers the types that the settings store as variants and that queued
// signals carry, with their stream operators. Call once before the settings
// object is created.
void registerSettingsMetaTypes();

// The program's settings on top of the framework's, in the root group of the
// same INI file. Holds no values: every getter reads the store, every setter
// writes it, and only a real change writes and emits.
//
// Lives on the GUI thread.
class SettingsProvider : public KelSettings
{
    Q_OBJECT

public:
    SettingsProvider(const QString &fileName, QSettings::Format format, QObject *parent = nullptr);
    ~SettingsProvider() override;

    static SettingsProvider *instance();

    void load() override;
    void save() override;

    QString recentPresets() const;
    void setRecentPresets(const QString &value);
    QString updateCheckerShowedVersion() const;
    void setUpdateCheckerShowedVersion(const QString &value);
    Enums::TargetFolderType targetFolderType() const;
    void setTargetFolderType(Enums::TargetFolderType value);
    QString targetFolderPath() const;
    void setTargetFolderPath(const QString &value);
    QString lastClickedFormat() const;
    void setLastClickedFormat(const QString &value);
    Enums::PreviewQuality previewQuality() const;
    void setPreviewQuality(Enums::PreviewQuality value);
    bool dontAskRemoveFromQueue() const;
    void setDontAskRemoveFromQueue(bool value);
    QString lastSubtitlesFolder() const;
    void setLastSubtitlesFolder(const QString &value);
    QString lastWatermarkFolder() const;
    void setLastWatermarkFolder(const QString &value);
    double lastVolume() const;
    void setLastVolume(double value);

    Qt::Alignment lastSubtitlesAlignment() const;
    void setLastSubtitlesAlignment(Qt::Alignment value);
    QBrush lastSubtitlesBackgroundBrush() const;
    void setLastSubtitlesBackgroundBrush(const QBrush &value);
    QString lastSubtitlesFontFamily() const;
    void setLastSubtitlesFontFamily(const QString &value);
    double lastSubtitlesFontSize() const;
    void setLastSubtitlesFontSize(double value);
    QBrush lastSubtitlesForegroundBrush() const;
    void setLastSubtitlesForegroundBrush(const QBrush &value);
    double lastSubtitlesOpacity() const;
    void setLastSubtitlesOpacity(double value);

    int lastWatermarkAngle() const;
    void setLastWatermarkAngle(int value);
    QPointF lastWatermarkCenterPoint() const;
    void setLastWatermarkCenterPoint(const QPointF &value);
    QString lastWatermarkFontFamily() const;
    void setLastWatermarkFontFamily(const QString &value);
    QBrush lastWatermarkForegroundBrush() const;
    void setLastWatermarkForegroundBrush(const QBrush &value);
    double lastWatermarkOpacity() const;
    void setLastWatermarkOpacity(double value);
    double lastWatermarkSize() const;
    void setLastWatermarkSize(double value);
    QString lastWatermarkText() const;
    void setLastWatermarkText(const QString &value);
    PipObject::Location lastWatermarkLocation() const;
    void setLastWatermarkLocation(PipObject::Location value);
    PipObject::Type lastWatermarkType() const;
    void setLastWatermarkType(PipObject::Type value);

    // New overlays made from, and remembered into, the last-used choices.
    PipObjectPtr lastSubtitlesPipObject() const;
    PipObjectPtr lastWatermarkPipObject() const;
    void storeLastSubtitles(const PipObjectPtr &pipObject);
    void storeLastWatermark(const PipObjectPtr &pipObject);

signals:
    void recentPresetsChanged(QString val);
    void targetFolderTypeChanged(Enums::TargetFolderType val);
    void targetFolderPathChanged(QString val);
    void lastClickedFormatChanged(QString val);
    void previewQualityChanged(Enums::PreviewQuality val);
    void dontAskRemoveFromQueueChanged(bool val);
    void lastSubtitlesFolderChanged(QString val);
    void lastWatermarkFolderChanged(QString val);
    void lastVolumeChanged(double val);
    void lastSubtitlesAlignmentChanged(Qt::Alignment val);
    void lastSubtitlesBackgroundBrushChanged(QBrush val);
    void lastSubtitlesFontFamilyChanged(QString val);
    void lastSubtitlesFontSizeChanged(double val);
    void lastSubtitlesForegroundBrushChanged(QBrush val);
    void lastSubtitlesOpacityChanged(double val);
    void lastWatermarkAngleChanged(int val);
    void lastWatermarkCenterPointChanged(QPointF val);
    void lastWatermarkFontFamilyChanged(QString val);
    void lastWatermarkForegroundBrushChanged(QBrush val);
    void lastWatermarkOpacityChanged(double val);
    void lastWatermarkSizeChanged(double val);
    void lastWatermarkTextChanged(QString val);
    void lastWatermarkLocationChanged(PipObject::Location val);
    void lastWatermarkTypeChanged(PipObject::Type val);
};
