#pragma once

#include <QSize>
#include <QString>
#include <QTemporaryDir>

// Makes short media clips for tests with the ffmpeg command (lavfi testsrc2
// and sine sources) in a temporary folder that lives as long as the object.
class MediaFixtures
{
public:
    struct Clip
    {
        bool video = true;
        QSize size = QSize(320, 240);
        int frames = 50; // also sets the audio length: frames / fps seconds
        int fps = 25;
        QString videoCodec = QStringLiteral("libx264");
        bool bFrames = false;
        int gop = 0; // keyframe interval in frames; 0 leaves the encoder's choice
        // Clockwise degrees: a display matrix in mp4/mov, a "rotate" tag otherwise.
        int rotation = 0;
        int audioChannels = 0; // 0: no audio
        int sampleRate = 44100;
        QString audioCodec; // empty: the container's default
        // Written to a pipe with this muxer, so the file states no duration.
        QString streamedFormat;
    };

    MediaFixtures();

    bool isValid() const;
    // Returns the path of the new file, or an empty string when ffmpeg failed.
    QString make(const QString &fileName, const Clip &clip);
    // Runs ffmpeg with the arguments (inputs and options) and the new file's
    // path after them; the path, or an empty string when ffmpeg failed.
    QString makeWith(const QString &fileName, const QStringList &arguments);
    QString path(const QString &fileName) const;

private:
    bool runFfmpeg(const QStringList &arguments, const QString &outputFile = QString());

    QTemporaryDir m_dir;
};
