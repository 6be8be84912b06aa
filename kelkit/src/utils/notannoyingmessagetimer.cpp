#include "utils/notannoyingmessagetimer.h"

#include "kelui.h"
#include "windows/kelwindow.h"

#include <QApplication>
#include <QDebug>

NotAnnoyingMessageTimer::NotAnnoyingMessageTimer(const QString &name,
                                                 std::function<void()> callback, KelUi *ui)
    : QObject(ui), m_name(name), m_callback(std::move(callback)), m_ui(ui)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NotAnnoyingMessageTimer::onTimeout);
}

NotAnnoyingMessageTimer::~NotAnnoyingMessageTimer() = default;

void NotAnnoyingMessageTimer::start(int intervalMs)
{
    m_timer.start(intervalMs);
}

bool NotAnnoyingMessageTimer::isMainWindowIdle() const
{
    KelWindow *mainWindow = m_ui->mainWindow();
    return mainWindow && !mainWindow->isInSizeMoveLoop()
            && QApplication::activeWindow() == mainWindow && !QApplication::activeModalWidget()
            && !QApplication::activePopupWidget();
}

void NotAnnoyingMessageTimer::onTimeout()
{
    if (!isMainWindowIdle()) {
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
