#include "application.h"
#include "datamodel/historymodel.h"
#include "datamodel/videoitem.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtConcurrent>
#include <QtTest>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The exit of a program whose thread pool holds a task that never ends: the
// program is run as a child of this test, which then looks at what it left.
namespace {

const char ChildFlag[] = "--exit-with-stuck-task";
constexpr int ChildExitCode = 3;

void setNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvina"));
}

// An application with a history of one item, a changed framework setting and
// a pool task blocked in the open of a pipe that nobody writes to.
int runChild(int argc, char **argv, const QString &folder)
{
    Application app(argc, argv);
    setNames();
    registerSettingsMetaTypes();
    auto settings = new SettingsProvider(folder + QStringLiteral("/reelforge.ini"),
                                         QSettings::IniFormat, &app);
    app.setSettings(settings);
    settings->setLocaleName(QStringLiteral("de_DE"));

    auto history = new HistoryModel(&app);
    VideoItemPtr item(new VideoItem(QFileInfo(QStringLiteral("/media/clip.mp4"))));
    item->setState(VideoItem::History);
    history->addItem(item);

    const QByteArray fifo = QFile::encodeName(folder + QStringLiteral("/fifo"));
    if (::mkfifo(fifo.constData(), 0600) != 0)
        return 2;
    QtConcurrent::run([fifo] { ::close(::open(fifo.constData(), O_RDONLY)); });

    QTimer::singleShot(0, [] { QCoreApplication::exit(ChildExitCode); });
    return Application::exec();
}

} // namespace

class tst_ApplicationExit : public QObject
{
    Q_OBJECT

private slots:
    void stuckPoolTaskDoesNotHoldTheExit();
};

void tst_ApplicationExit::stuckPoolTaskDoesNotHoldTheExit()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    setNames();
    const QString historyPath = FormatTables::historyThumbnailPath()
            + FormatTables::historyFilePath();
    QFile::remove(historyPath);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(ChildFlag), folder.path()});
    // A child stuck for good ends at the test's own time limit.
    QVERIFY(child.waitForFinished(-1));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), ChildExitCode);

    const QSettings ini(folder.filePath(QStringLiteral("reelforge.ini")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("localeName")).toString(), QStringLiteral("de_DE"));

    QFile historyFile(historyPath);
    QVERIFY(historyFile.open(QIODevice::ReadOnly));
    const QJsonArray records = QJsonDocument::fromJson(historyFile.readAll()).array();
    QCOMPARE(records.size(), 1);
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], ChildFlag) == 0) {
        int childArgc = 1;
        return runChild(childArgc, argv, QFile::decodeName(argv[2]));
    }
    QCoreApplication app(argc, argv);
    tst_ApplicationExit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_applicationexit.moc"
