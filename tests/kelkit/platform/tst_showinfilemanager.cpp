#include "kelapplication.h"
#include "kelui.h"
#include "platform/showinfilemanager.h"
#include "windows/kelmessagebox.h"

#include "../offscreenleak.h"
#include "linkcatcher.h"
#include "messageboxinput.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const char PrivateBusMarker[] = "REEL_PRIVATE_SESSION_BUS";
const QString FileManagerName = QStringLiteral("org.freedesktop.FileManager1");

// A session bus that knows no services it could start, so that no real
// file manager can ever be reached.
const char PrivateBusConfig[]
        = "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
          " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
          "<busconfig>\n"
          "  <type>session</type>\n"
          "  <listen>unix:tmpdir=/tmp</listen>\n"
          "  <auth>EXTERNAL</auth>\n"
          "  <policy context=\"default\">\n"
          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
          "    <allow eavesdrop=\"true\"/>\n"
          "    <allow own=\"*\"/>\n"
          "  </policy>\n"
          "</busconfig>\n";

// Runs the test again inside a session bus of its own; fails when that
// cannot be done.
int runOnPrivateBus(int argc, char **argv)
{
    const QByteArray config = QDir::temp()
                                      .filePath(QStringLiteral("reel-private-bus-%1.conf")
                                                        .arg(QCoreApplication::applicationPid()))
                                      .toLocal8Bit();
    QFile file(QString::fromLocal8Bit(config));
    if (!file.open(QIODevice::WriteOnly) || file.write(PrivateBusConfig) < 0) {
        std::fprintf(stderr, "FAIL: cannot write %s\n", config.constData());
        return 1;
    }
    file.close();
    qputenv(PrivateBusMarker, config);
    const QByteArray configOption = "--config-file=" + config;
    std::vector<char *> args{const_cast<char *>("dbus-run-session"),
                             const_cast<char *>(configOption.constData()),
                             const_cast<char *>("--")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr,
                 "FAIL: dbus-run-session cannot be started (scripts/install-deps.sh installs "
                 "it)\n");
    return 1;
}

// The file manager's side of ShowItems, on a thread of its own, as the
// GUI thread waits for the answer.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown() const
    {
        QMutexLocker lock(&m_mutex);
        return m_shown;
    }

public slots:
    void ShowItems(const QStringList &uris, const QString &)
    {
        QMutexLocker lock(&m_mutex);
        m_shown += uris;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_shown;
};

// Owns the service name on a connection of its own while it lives.
class FakeFileManagerService
{
public:
    FakeFileManagerService()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake")))
    {
        m_thread.start();
        m_manager.moveToThread(&m_thread);
        m_ok = m_bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_manager,
                                    QDBusConnection::ExportAllSlots)
                && m_bus.registerService(FileManagerName);
    }
    ~FakeFileManagerService()
    {
        m_bus.unregisterService(FileManagerName);
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
        m_thread.quit();
        m_thread.wait();
    }
    bool isRegistered() const { return m_ok; }
    QStringList shown() const { return m_manager.shown(); }

private:
    QDBusConnection m_bus;
    QThread m_thread;
    FakeFileManager m_manager;
    bool m_ok = false;
};

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
    QCOMPARE(failed.at(0).at(1).toInt(), 0);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(message, QStringLiteral("An error has occurred when trying to open: \"%1\"").arg(path));
}

int main(int argc, char **argv)
{
    const QByteArray config = qgetenv(PrivateBusMarker);
    if (config.isEmpty())
        return runOnPrivateBus(argc, argv);
    // The bus has read it.
    QFile::remove(QString::fromLocal8Bit(config));
    KelApplication app(argc, argv);
    tst_ShowInFileManager test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_showinfilemanager.moc"
