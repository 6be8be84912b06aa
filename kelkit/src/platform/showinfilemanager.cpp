#include "platform/showinfilemanager.h"

#include <QDBusConnection>
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

bool showItems(const QUrl &url)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo() << "No session bus to ask a file manager to show" << url;
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService, FileManagerPath,
                                                       FileManagerService,
                                                       QStringLiteral("ShowItems"));
    call << QStringList{url.toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, ShowItemsTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qInfo() << "No file manager showed" << url << ":" << reply.errorName() << reply.errorMessage();
    return false;
}

} // namespace

namespace KelPlatform {

bool showInFileManager(const QString &filePath)
{
    const QFileInfo file(filePath);
    if (showItems(QUrl::fromLocalFile(file.absoluteFilePath())))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absolutePath()));
}

} // namespace KelPlatform
