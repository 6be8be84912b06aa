#include "filedialoginput.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

namespace FileDialogInput {

void whenShown(std::function<void(QFileDialog *)> action)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start(5);
}

} // namespace FileDialogInput
