#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QStringList>

#include <memory>

// The logging back end of both programs, installed as Qt's message handler.
// Messages arrive from any thread; file access is serialised by one static
// mutex. The single instance lives until the process ends.
class KelLogger : public QObject
{
    Q_OBJECT

public:
    // Level bits, one per Qt message type.
    enum Level { Debug = 1, Info = 2, Warning = 4, Critical = 8, Fatal = 16 };

    struct MsgInfo
    {
        QDateTime time;
        int level = 0;
        qint64 threadId = 0;
        QString function; // cleaned function name
        QString message;  // indented message
        QString line;     // the line as written to the file
    };

    ~KelLogger() override;

    static KelLogger *instance();

    static void setFolderName(const QString &folderName);
    // Home folder + "/." + folder name + "/log", created when missing.
    static QString logDir();

    static void messageHandler(QtMsgType type, const QMessageLogContext &context,
                               const QString &message);

    // A compiler's pretty-function signature reduced to "Scope::name()".
    static QString cleanFunctionName(const QString &signature);

    void beginLogSession(const QString &buildVersion);

signals:
    void logFileNameChanged(const QString &logFileName);
    void logFileNamesChanged(const QStringList &logFileNames);
    void messageReceived(const KelLogger::MsgInfo &msgInfo);

private:
    KelLogger();

    class Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_METATYPE(KelLogger::MsgInfo)
