#include "messageboxinput.h"

#include "windowinput.h"
#include "windows/kelmessagebox.h"

#include <QApplication>
#include <QDebug>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

// Generous: a loaded machine may take long to show a window.
constexpr int GiveUpAfterMs = 60000;
constexpr int PollIntervalMs = 10;

KelMessageBox *shownMessageBox()
{
    auto *box = qobject_cast<KelMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || !box->windowHandle() || !box->windowHandle()->isExposed())
        return nullptr;
    return box;
}

} // namespace

namespace MessageBoxInput {

void pressButton(int index, std::function<void(KelMessageBox *)> inspect)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    const QDeadlineTimer deadline(GiveUpAfterMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, index, inspect] {
        KelMessageBox *box = shownMessageBox();
        if (!box) {
            if (deadline.hasExpired()) {
                qCritical() << "No message box was shown to press button" << index;
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        QPointer<KelMessageBox> guard(box);
        if (inspect)
            inspect(box);
        if (!guard)
            return;
        QWidget *button = box->button(index);
        if (!button) {
            qCritical() << "The message box has no button" << index;
            return;
        }
        WindowInput::click(button);
    });
    timer->start(PollIntervalMs);
}

} // namespace MessageBoxInput
