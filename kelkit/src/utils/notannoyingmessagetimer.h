#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Runs a callback once the main window is idle, as the isIdle predicate
// tells. Until then it looks again after every interval. It deletes itself
// once the callback has run. GUI thread only.
class NotAnnoyingMessageTimer : public QObject
{
    Q_OBJECT

public:
    NotAnnoyingMessageTimer(const QString &name, std::function<void()> callback,
                            std::function<bool()> isIdle, QObject *parent);
    ~NotAnnoyingMessageTimer() override;

    void start(int intervalMs);

private:
    void onTimeout();

    QTimer m_timer;
    QString m_name;
    std::function<void()> m_callback;
    std::function<bool()> m_isIdle;
};
