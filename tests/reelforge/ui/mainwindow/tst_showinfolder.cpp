#include "application.h"
#include "datamodel/codecinfo.h"
#include "kelui.h"
#include "shared/enums.h"
#include "ui/mainwindow/card.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"

#include "appservicesfixture.h"
#include "fakefilemanager.h"
#include "linkcatcher.h"
#include "privatesessionbus.h"
#include "windowinput.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTemporaryDir>
#include <QtTest>

// The card's folder buttons select the item's file in the file manager:
// the source while the item waits, the output once it is converted.
class tst_ShowInFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void fileManagerReceivesTheItemsFile_data();
    void fileManagerReceivesTheItemsFile();
    void withoutAFileManagerTheFolderOpens();

private:
    QString makeFile(const QString &path);

    QTemporaryDir m_dir;
    QTemporaryDir m_out;
    VideoItemPtr m_item;
    std::unique_ptr<QWidget> m_window;
    Card *m_card = nullptr;
};

void tst_ShowInFolder::initTestCase()
{
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            FakeFileManagerService::serviceName()));
}

QString tst_ShowInFolder::makeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    return QFileInfo(file).absoluteFilePath();
}

void tst_ShowInFolder::init()
{
    const QString source = makeFile(m_dir.filePath(QStringLiteral("holiday clip.mp4")));
    m_item = VideoItemPtr::create(QFileInfo(source));
    m_item->targetCodecInfo()->setFormat(QStringLiteral("mkv"));
    m_item->setTargetFolderType(Enums::CustomFolder);
    m_item->setTargetFolderPath(m_out.path());
    m_window = std::make_unique<QWidget>();
    m_card = new Card(m_window.get());
    m_window->resize(1200, m_card->sizeHint().height());
    m_card->resize(m_window->size());
}

void tst_ShowInFolder::cleanup()
{
    m_window.reset();
    m_item.reset();
}

void tst_ShowInFolder::fileManagerReceivesTheItemsFile_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("output");

    QTest::newRow("Imported, top") << int(VideoItem::Imported) << "TopFolder" << false;
    QTest::newRow("Converted, mid") << int(VideoItem::Converted) << "MidFolder" << true;
    QTest::newRow("History, mid") << int(VideoItem::History) << "MidFolder" << true;
}

void tst_ShowInFolder::fileManagerReceivesTheItemsFile()
{
    QFETCH(int, state);
    QFETCH(QString, button);
    QFETCH(bool, output);

    const QString target = makeFile(m_item->targetFilePath());
    QVERIFY(!target.isEmpty());
    m_item->setState(VideoItem::State(state));
    m_card->setVideoItem(m_item);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));

    FakeFileManagerService service;
    QVERIFY(service.isRegistered());
    LinkCatcher links({QStringLiteral("file")});
    WindowInput::click(m_card->findChild<KelButton *>(button));
    QTRY_COMPARE(service.shown().size(), 1);
    const QString expected = output ? target : m_item->sourceFileInfo().absoluteFilePath();
    QCOMPARE(QUrl(service.shown().first()).toLocalFile(), expected);
    QVERIFY(links.opened.isEmpty());
    QVERIFY(QFile::remove(target));
}

void tst_ShowInFolder::withoutAFileManagerTheFolderOpens()
{
    m_item->setState(VideoItem::Imported);
    m_card->setVideoItem(m_item);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));

    LinkCatcher links({QStringLiteral("file")});
    WindowInput::click(m_card->findChild<KelButton *>(QStringLiteral("TopFolder")));
    QTRY_COMPARE(links.opened.size(), 1);
    QCOMPARE(links.opened.first(), QUrl::fromLocalFile(m_dir.path()));
}

int main(int argc, char **argv)
{
    if (!PrivateSessionBus::isInside())
        return PrivateSessionBus::rerunInside(argc, argv);
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_ShowInFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_showinfolder.moc"
