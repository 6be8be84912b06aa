#include "utils/notannoyingmessagetimer.h"

#include <QDebug>

NotAnnoyingMessageTimer::NotAnnoyingMessageTimer(const QString &name,
                                                 std::function<void()> callback,
                                                 std::function<bool()> isIdle, QObject *parent)
    : QObject(parent), m_name(name), m_callback(std::move(callback)), m_isIdle(std::move(isIdle))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NotAnnoyingMessageTimer::onTimeout);
}

NotAnnoyingMessageTimer::~NotAnnoyingMessageTimer() = default;

void NotAnnoyingMessageTimer::start(int intervalMs)
{
    m_timer.start(intervalMs);
}

void NotAnnoyingMessageTimer::onTimeout()
{
    if (m_isIdle && !m_isIdle()) {
        qInfo() << "Can't show" << m_name << ", because mainWindow is busy. Try again in"
                << m_timer.interval() / 1000 << "sec";
        m_timer.start();
        return;
    }
    if (m_callback)
        m_callback();
    deleteLater();
}

#include "moc_notannoyingmessagetimer.cpp"
