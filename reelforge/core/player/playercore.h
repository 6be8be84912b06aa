#pragma once

#include <QImage>
#include <QObject>
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

    int init(const QString &path);

    volumemanager *volumeManager() const;
    qint64 position() const;
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
