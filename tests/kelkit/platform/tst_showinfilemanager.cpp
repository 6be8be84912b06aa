#include "kelapplication.h"
#include "kelui.h"
#include "platform/showinfilemanager.h"
#include "windows/kelmessagebox.h"

#include "../offscreenleak.h"
#include "fakefilemanager.h"
#include "linkcatcher.h"
#include "messageboxinput.h"
#include "privatesessionbus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString FileManagerName = FakeFileManagerService::serviceName();

} // namespace

class tst_ShowInFileManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileReachesShowItemsAsItsUrl();
    void withoutAFileManagerItsFolderOpens();
    void whenBothFailTheUserIsTold();

private:
    QString makeFile(const QString &name);

    QTemporaryDir m_dir;
};

void tst_ShowInFileManager::initTestCase()
{
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(FileManagerName));
}

QString tst_ShowInFileManager::makeFile(const QString &name)
{
    QFile file(QDir(m_dir.path()).filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    return QFileInfo(file).absoluteFilePath();
}

void tst_ShowInFileManager::fileReachesShowItemsAsItsUrl()
{
    const QString path = makeFile(QStringLiteral("my clip #1.mp4"));
    FakeFileManagerService service;
    QVERIFY(service.isRegistered());
    LinkCatcher links({QStringLiteral("file")});
    QSignalSpy opened(kelUi(), &KelUi::linkOpened);

    QVERIFY(kelUi()->openLinkInExplorer(path));

    QCOMPARE(service.shown(), QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)});
    QCOMPARE(QUrl(service.shown().value(0)).toLocalFile(), path);
    QVERIFY(links.opened.isEmpty());
    QCOMPARE(opened.count(), 1);
}

void tst_ShowInFileManager::withoutAFileManagerItsFolderOpens()
{
    const QString path = makeFile(QStringLiteral("clip.mp4"));
    LinkCatcher links({QStringLiteral("file")});
    QVERIFY(KelPlatform::showInFileManager(path));
    QCOMPARE(links.opened, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())});
}

void tst_ShowInFileManager::whenBothFailTheUserIsTold()
{
    const QString path = makeFile(QStringLiteral("clip.mp4"));
    LinkCatcher links({}, {QStringLiteral("file")});
    QSignalSpy failed(kelUi(), &KelUi::shellExecuteFailed);
    QSignalSpy opened(kelUi(), &KelUi::linkOpened);
    QString message;
    MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
        message = box->messageLabel()->text();
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("No such method")));
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Request open link in explorer but the link "
                                                   "is not exists. \"%1\"")
                                            .arg(path)));

    QVERIFY(!kelUi()->openLinkInExplorer(path));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), path);
    // Why the file manager did not show it: none runs on this bus.
    QCOMPARE(failed.at(0).at(1).toInt(), int(QDBusError::ServiceUnknown));
    QCOMPARE(opened.count(), 0);
    QCOMPARE(message, QStringLiteral("An error has occurred when trying to open: \"%1\"").arg(path));
}

int main(int argc, char **argv)
{
    if (!PrivateSessionBus::isInside())
        return PrivateSessionBus::rerunInside(argc, argv);
    KelApplication app(argc, argv);
    tst_ShowInFileManager test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_showinfilemanager.moc"
