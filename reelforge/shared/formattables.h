#pragma once

#include <QList>
#include <QSize>
#include <QStringList>

#include <memory>

// The program's fixed tables: the formats it reads and writes, the default
// encoder of every output container, the standard frame sizes, the file
// dialog filters and the place of the history. Filled once on construction;
// the application object owns one.
class FormatTables
{
public:
    FormatTables();
    ~FormatTables();

    QString videoEncoderForFormat(const QString &format) const;
    QString audioEncoderForFormat(const QString &format) const;

    QStringList outputVideoFormats() const;
    QStringList outputAudioFormats() const;
    QStringList outputFormats() const;
    QStringList inputVideoFormats() const;
    QStringList inputAudioFormats() const;
    QStringList imageFormats() const;

    QString inputVideoFilter() const;
    QString inputAudioFilter() const;
    QString imageFilter() const;
    QString subtitlesFilter() const;

    QList<QSize> standardResolutions() const;

    static QString historyFilePath();
    static QString historyThumbnailPath();
    static QString historyThumbnailSuffix();

private:
    class Private;
    std::unique_ptr<Private> d;
};
