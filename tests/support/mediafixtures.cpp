#include "mediafixtures.h"

#include "waitbound.h"

#include <QDebug>
#include <QFile>
#include <QProcess>

MediaFixtures::MediaFixtures() = default;

bool MediaFixtures::isValid() const
{
    return m_dir.isValid();
}

QString MediaFixtures::path(const QString &fileName) const
{
    return m_dir.filePath(fileName);
}

QString MediaFixtures::make(const QString &fileName, const Clip &clip)
{
    const double seconds = double(clip.frames) / clip.fps;
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                     QStringLiteral("error"), QStringLiteral("-y")};
    if (clip.video) {
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                        .arg(clip.size.width())
                        .arg(clip.size.height())
                        .arg(clip.fps)
                        .arg(seconds, 0, 'f', 6);
    }
    if (clip.audioChannels > 0) {
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                        .arg(clip.sampleRate)
                        .arg(seconds, 0, 'f', 6);
    }
    if (clip.video) {
        // The source's duration sets the length: a frame limit would end the
        // file before all of its audio is written.
        args << QStringLiteral("-c:v") << clip.videoCodec << QStringLiteral("-pix_fmt")
             << QStringLiteral("yuv420p");
        if (clip.videoCodec == QLatin1String("libx264")) {
            args << QStringLiteral("-preset") << QStringLiteral("ultrafast")
                 << QStringLiteral("-bf")
                 << (clip.bFrames ? QStringLiteral("3") : QStringLiteral("0"));
            if (clip.bFrames)
                args << QStringLiteral("-x264-params") << QStringLiteral("b-adapt=0");
        } else if (clip.bFrames) {
            args << QStringLiteral("-bf") << QStringLiteral("2");
        }
        if (clip.gop > 0)
            args << QStringLiteral("-g") << QString::number(clip.gop);
    }
    if (clip.audioChannels > 0) {
        args << QStringLiteral("-ac") << QString::number(clip.audioChannels);
        if (!clip.audioCodec.isEmpty())
            args << QStringLiteral("-c:a") << clip.audioCodec;
    }

    // ffmpeg writes a display matrix only when copying streams, so a rotated
    // clip is encoded first and then remuxed with the rotation.
    const bool remux = clip.rotation != 0;
    const QString target = path(fileName);
    const QString encoded = remux ? path(QStringLiteral("unrotated-") + fileName) : target;
    bool ok;
    if (!clip.streamedFormat.isEmpty() && !remux) {
        args << QStringLiteral("-f") << clip.streamedFormat << QStringLiteral("-");
        ok = runFfmpeg(args, encoded);
    } else {
        args << encoded;
        ok = runFfmpeg(args);
    }
    if (!ok)
        return QString();

    if (remux) {
        const bool matrix = fileName.endsWith(QLatin1String(".mp4"))
                || fileName.endsWith(QLatin1String(".mov"));
        // ffmpeg turns "rotate" into a display matrix, counter-clockwise; the
        // upper-case key stays a plain tag.
        const QString key = matrix ? QStringLiteral("rotate") : QStringLiteral("ROTATE");
        const int angle = matrix ? (360 - clip.rotation) % 360 : clip.rotation;
        QStringList copy{QStringLiteral("-hide_banner"),
                         QStringLiteral("-loglevel"),
                         QStringLiteral("error"),
                         QStringLiteral("-y"),
                         QStringLiteral("-i"),
                         encoded,
                         QStringLiteral("-c"),
                         QStringLiteral("copy"),
                         QStringLiteral("-metadata:s:v:0"),
                         key + QLatin1Char('=') + QString::number(angle)};
        if (!clip.streamedFormat.isEmpty()) {
            copy << QStringLiteral("-f") << clip.streamedFormat << QStringLiteral("-");
            ok = runFfmpeg(copy, target);
        } else {
            copy << target;
            ok = runFfmpeg(copy);
        }
        QFile::remove(encoded);
        if (!ok)
            return QString();
    }
    return target;
}

QString MediaFixtures::makeWith(const QString &fileName, const QStringList &arguments)
{
    const QString target = path(fileName);
    const QStringList args = QStringList{QStringLiteral("-hide_banner"),
                                         QStringLiteral("-loglevel"), QStringLiteral("error"),
                                         QStringLiteral("-y")}
            + arguments + QStringList{target};
    return runFfmpeg(args) ? target : QString();
}

bool MediaFixtures::runFfmpeg(const QStringList &arguments, const QString &outputFile)
{
    QProcess ffmpeg;
    if (!outputFile.isEmpty())
        ffmpeg.setStandardOutputFile(outputFile);
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForStarted(WaitBound::ms()) || !ffmpeg.waitForFinished(WaitBound::ms())) {
        qWarning() << "ffmpeg did not run:" << ffmpeg.errorString();
        return false;
    }
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        qWarning().noquote() << "ffmpeg failed:" << ffmpeg.readAllStandardError();
        return false;
    }
    return true;
}
