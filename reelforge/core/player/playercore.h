#pragma once

#include <QImage>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class volumemanager;

// The preview player behind the editing dialogs: opens one media file, keeps
// the current picture for the preview widget, plays it with sound on the
// default audio endpoint, pauses, seeks, follows the output volume, and goes
// on silently when the sound device fails. Lives on the GUI thread.
class playercore : public QObject
{
    Q_OBJECT

public:
    // Shows a message to the user; the UI installs the framework's message box.
    using MessageHandler = std::function<void(const QString &text)>;
    static void setMessageHandler(MessageHandler handler);

    explicit playercore(QObject *parent = nullptr);
    ~playercore() override;

    // Opens the file and starts decoding and sound. The trim range (100-ns
    // units, -1 when unset) is kept for the caller; the whole file plays and
    // the dialogs limit playback with their slider. A player is initialised
    // once: a second call is refused with a negative result.
    int init(const QString &path, qint64 trimStart = -1, qint64 trimEnd = -1);
    QPair<qint64, qint64> trim() const;

    volumemanager *volumeManager() const;
    qint64 position() const;
    // A picture of its own: it does not change when the next frame comes.
    QImage currentImage() const;

public slots:
    void onStartAudioDeviceSession(const QString &deviceId);
    void onRestartAudioDeviceSession(const QString &deviceId);
    void onBeginScrubbing();
    void onEndScrubbing(qlonglong position);
    void onPlay();
    void onPause();
    void setCurrentPosition(qlonglong position);
    void onVolumeLevelChanged(double level);

signals:
    void volumeChanged(float volume);
    void muteChanged(bool mute);
    void soundDeviceStatusChanged(bool enabled);
    void hasNewFrame();
    void currentPosChanged(qlonglong pos);
    void sourceFileError(const QString &filename);
    void stopped();

private:
    class Private;
    std::unique_ptr<Private> d;
};
