#pragma once

#include "windows/kelmessagebox.h"

#include <QApplication>
#include <QTimer>

// Closes any message box that shows up while it runs, and tells whether
// one did.
class UnexpectedBoxGuard
{
public:
    UnexpectedBoxGuard()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<KelMessageBox *>(QApplication::activeModalWidget())) {
                m_shown = true;
                box->done(0);
            }
        });
        m_timer.start(5);
    }
    bool shown() const { return m_shown; }

private:
    QTimer m_timer;
    bool m_shown = false;
};
