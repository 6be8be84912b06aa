#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class KelUi;

// Runs a callback once the UI object's main window is idle: it exists, is
// the active window, is not being moved or resized by the user, and no
// modal dialog or popup is open. Until then it looks again after every
// interval. It deletes itself once the callback has run. A child of the UI
// object; GUI thread only.
class NotAnnoyingMessageTimer : public QObject
{
    Q_OBJECT

public:
    NotAnnoyingMessageTimer(const QString &name, std::function<void()> callback, KelUi *ui);
    ~NotAnnoyingMessageTimer() override;

    void start(int intervalMs);

private:
    bool isMainWindowIdle() const;
    void onTimeout();

    QTimer m_timer;
    QString m_name;
    std::function<void()> m_callback;
    KelUi *m_ui = nullptr;
};
