#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Records every message logged while it lives, from any thread, and passes
// it on to the handler it replaced. One at a time.
class MessageLog
{
public:
    MessageLog()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&MessageLog::handle);
    }
    ~MessageLog()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    QStringList messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }
    QStringList messages(QtMsgType type) const
    {
        QMutexLocker lock(&m_mutex);
        QStringList found;
        for (int i = 0; i < m_messages.size(); ++i) {
            if (m_types.at(i) == type)
                found << m_messages.at(i);
        }
        return found;
    }

    // Whether a message of that type starts with prefix.
    bool contains(QtMsgType type, const QString &prefix) const
    {
        QMutexLocker lock(&m_mutex);
        for (int i = 0; i < m_messages.size(); ++i) {
            if (m_types.at(i) == type && m_messages.at(i).startsWith(prefix))
                return true;
        }
        return false;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        MessageLog *log = s_current;
        if (!log)
            return;
        {
            QMutexLocker lock(&log->m_mutex);
            log->m_types.append(type);
            log->m_messages.append(message);
        }
        if (log->m_previous)
            log->m_previous(type, context, message);
    }

    static inline MessageLog *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QList<QtMsgType> m_types;
    QStringList m_messages;
};
