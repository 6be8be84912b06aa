#pragma once

#include <QObject>

#include <memory>

// Shows toast notifications: small frameless windows with a title, a text
// and a close button at the primary screen's bottom-right corner, each new
// one above those shown, on top of other windows and never taking the
// focus. A toast stays for the style's fade time plus its duration, longer
// while the pointer rests on it, and goes on a timeout, its close button, a
// link in its text or a click, which is reported by clicked(). Links open
// through KelUi::openLink().
//
//     const int id = kelUi()->notificationManager()->showNotification(
//             tr("Converted"), tr("video.mp4 is ready."), 0);
//
// KelUi::notificationManager() makes the one instance. GUI thread only.
class KelNotificationManager : public QObject
{
    Q_OBJECT

public:
    explicit KelNotificationManager(QObject *parent = nullptr);
    // Closes the toasts still shown, newest first.
    ~KelNotificationManager() override;

    // Shows a toast and returns its id: 1 for the first of the process, then
    // counting up. A duration under 1 s takes messageDuration().
    int showNotification(const QString &title, const QString &text, int durationSeconds);
    // Fades the toast out; nothing for an id that is not shown.
    void hide(int notificationId);

    // The user's setting for how long notifications stay, in ms; Linux has
    // no such setting, so 5000.
    static int messageDuration();

signals:
    void clicked(int notificationId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
