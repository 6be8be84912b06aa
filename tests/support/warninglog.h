#pragma once

#include <QStringList>
#include <QtGlobal>

// Records the warnings logged while it lives, instead of printing them;
// for tests that must see how often a warning is given. One at a time.
class WarningLog
{
public:
    WarningLog()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    WarningLog(const WarningLog &) = delete;
    WarningLog &operator=(const WarningLog &) = delete;

    // How many recorded warnings start with prefix.
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &message : messages)
            n += message.startsWith(prefix) ? 1 : 0;
        return n;
    }

    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg && s_current)
            s_current->messages.append(message);
    }

    static inline WarningLog *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
};
