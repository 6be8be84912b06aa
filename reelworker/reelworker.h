#pragma once

#include <remotehandler/remotehandler.h>

#include <QList>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <memory>

class CrashInstaller;
class transcoder;
struct TranscodingInfo;
enum class QueueItemState : qint32;

// The worker object: the client end of the worker link. It holds the tasks
// the GUI sends, runs one transcoder per task and advances every active one
// by a frame per pass of its own loop, reporting states and progress back.
// Qt's event loop never runs: the loop processes events between passes, and
// that is where link messages arrive. An output is written under a partial
// name beside its target and moved onto it, never over an existing file,
// once complete. Lives on the worker's only thread.
class reelworker : public RemoteHandler
{
    Q_OBJECT

public:
    explicit reelworker(QObject *parent = nullptr);
    ~reelworker() override;

    // Connects to the server and runs the task loop until an exit request
    // arrives, the process is asked to terminate or the link is lost.
    // Returns the process's exit code.
    int exec(const QString &serverName, CrashInstaller *crashInstaller);

protected:
    void read(const QByteArray &payload) override;

private:
    class Private;

    void runPass(bool &idle);
    void onAddItem(const TranscodingInfo &info);
    void onAbortItems(const QList<QUuid> &uids);
    void onPauseItems(const QList<QUuid> &uids);
    void onResumeItems(const QList<QUuid> &uids);
    void onCrashReporterParams(QStringList params);
    // Sending may read incoming messages (the socket's wait for the bytes to
    // be written delivers them), so the task may be gone afterwards.
    void sendItemState(const QUuid &uid, QueueItemState state, const QVariant &value);
    // The output goes to outputPath, not to the task's target. Without a
    // transcoder, why tells the reason in the user's words.
    std::unique_ptr<transcoder> createTranscoder(const TranscodingInfo &info,
                                                 const QString &outputPath, QString *why);

    std::unique_ptr<Private> d;
};
