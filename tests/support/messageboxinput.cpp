#include "messageboxinput.h"

#include "waitbound.h"
#include "windowinput.h"
#include "windows/kelmessagebox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int PollIntervalMs = 5;

KelMessageBox *shownMessageBox()
{
    auto *box = qobject_cast<KelMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || !box->windowHandle() || !box->windowHandle()->isExposed())
        return nullptr;
    return box;
}

} // namespace

namespace MessageBoxInput {

void whenShown(std::function<void(KelMessageBox *)> action)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    const QDeadlineTimer deadline(WaitBound::ms());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, action] {
        KelMessageBox *box = shownMessageBox();
        if (!box && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!box) {
            qCritical() << "No message box was shown";
            return;
        }
        action(box);
    });
    timer->start(PollIntervalMs);
}

void pressButton(int index, std::function<void(KelMessageBox *)> inspect)
{
    whenShown([index, inspect](KelMessageBox *box) {
        QPointer<KelMessageBox> guard(box);
        if (inspect)
            inspect(box);
        if (!guard || guard->isHidden())
            return;
        QWidget *button = box->button(index);
        if (!button) {
            qCritical() << "The message box has no button" << index;
            return;
        }
        WindowInput::click(button);
    });
}

} // namespace MessageBoxInput
