#include "platform/showinfilemanager.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString FileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");
// A file manager that the bus starts on demand answers once it runs.
constexpr int ShowItemsTimeoutMs = 5000;

// What kept the file manager from showing the file; NoError when it did.
QDBusError::ErrorType showItems(const QUrl &url)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo() << "No session bus to ask a file manager to show" << url;
        return QDBusError::Disconnected;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService, FileManagerPath,
                                                       FileManagerService,
                                                       QStringLiteral("ShowItems"));
    call << QStringList{url.toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, ShowItemsTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return QDBusError::NoError;
    qInfo() << "No file manager showed" << url << ":" << reply.errorName() << reply.errorMessage();
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error != QDBusError::NoError ? error : QDBusError::Other;
}

} // namespace

namespace KelPlatform {

bool showInFileManager(const QString &filePath, int *failure)
{
    const QFileInfo file(filePath);
    const QDBusError::ErrorType error = showItems(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (error == QDBusError::NoError
        || QDesktopServices::openUrl(QUrl::fromLocalFile(file.absolutePath())))
        return true;
    if (failure)
        *failure = error;
    return false;
}

} // namespace KelPlatform
