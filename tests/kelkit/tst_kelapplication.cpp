#include "kelapplication.h"
#include "kelsettings.h"
#include "keltranslator.h"
#include "kelui.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstylemanager.h"
#include "waitbound.h"

#include "offscreenleak.h"
#include "translationfixtures.h"

#include <private/qlocale_p.h>
#include <QMouseEvent>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtConcurrent>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

namespace {

struct Counts
{
    int created = 0;
    int initialised = 0;
    int saved = 0;
    int uiLanguageChanges = 0;
    int appLanguageChanges = 0;
    bool askedDuringCreation = false;
    KelUi *seenDuringCreation = nullptr;
    bool askedDuringTeardown = false;
    KelUi *seenDuringTeardown = nullptr;
};

Counts counts;

// Asks for the UI object when it is destroyed, as a widget's destructor
// may during shutdown.
class TeardownProbe : public QObject
{
public:
    using QObject::QObject;
    ~TeardownProbe() override
    {
        counts.askedDuringTeardown = true;
        counts.seenDuringTeardown = kelUi();
    }
};

class CountingUi : public KelUi
{
public:
    CountingUi(QObject *parent, bool askDuringCreation) : KelUi(parent)
    {
        ++counts.created;
        if (askDuringCreation) {
            counts.askedDuringCreation = true;
            counts.seenDuringCreation = kelUi();
        }
        new TeardownProbe(this);
    }
    void init() override
    {
        ++counts.initialised;
        KelUi::init();
    }
    void onLanguageChanged() override { ++counts.uiLanguageChanges; }
};

class TestApplication : public KelApplication
{
public:
    TestApplication(int &argc, char **argv, bool askDuringCreation = false)
        : KelApplication(argc, argv), m_askDuringCreation(askDuringCreation)
    { }

protected:
    KelUi *createUi() override { return new CountingUi(this, m_askDuringCreation); }
    void onLanguageChanged() override { ++counts.appLanguageChanges; }

private:
    bool m_askDuringCreation;
};

class CountingSettings : public KelSettings
{
public:
    using KelSettings::KelSettings;
    void save() override
    {
        ++counts.saved;
        KelSettings::save();
    }
};

// Stands in for the user's locale settings while it exists.
class FakeSystemLocale : public QSystemLocale
{
public:
    explicit FakeSystemLocale(const QString &name) : m_locale(name) { }

    QVariant query(QueryType type, QVariant in) const override
    {
        switch (type) {
        case LanguageId:
            return int(m_locale.language());
        case CountryId:
            return int(m_locale.country());
        case ScriptId:
            return int(m_locale.script());
        case UILanguages:
            return m_locale.uiLanguages();
        default:
            return QSystemLocale::query(type, in);
        }
    }
    QLocale fallbackUiLocale() const override { return m_locale; }

private:
    QLocale m_locale;
};

// Records the mouse moves it gets and accepts them or not.
class MoveRecorder : public QWidget
{
public:
    explicit MoveRecorder(bool accept)
    {
        setMouseTracking(true);
        m_accept = accept;
    }

    QPointF localPos;
    ulong timestamp = 0;
    Qt::MouseEventSource source = Qt::MouseEventNotSynthesized;
    int moves = 0;

protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        ++moves;
        localPos = event->localPos();
        timestamp = event->timestamp();
        source = event->source();
        event->setAccepted(m_accept);
    }

private:
    bool m_accept;
};

const QString TranslationPrefix = QStringLiteral("kelapptest");

int argc = 1;
char appName[] = "tst_kelapplication";
char *argv[] = {appName, nullptr};

} // namespace

class tst_KelApplication : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void uiCreatedOnceOnFirstUse();
    void teardownSavesSettingsAndNeverRecreatesUi();
    void uiAskedForDuringItsCreation();
    void settingsAreGuarded();
    void startupLanguage_data();
    void startupLanguage();
    void applicationVersion_data();
    void applicationVersion();
    void writableLocations();
    void mouseMovesAtWholePixels_data();
    void mouseMovesAtWholePixels();
    void guiThread();
    void sslWarmUpReturns();
    void pendingEventOwningAnObjectIsDroppedAtExit();

private:
    QTemporaryDir m_dir;
};

void tst_KelApplication::init()
{
    counts = Counts();
}

void tst_KelApplication::uiCreatedOnceOnFirstUse()
{
    TestApplication app(argc, argv);
    KelUi *ui = kelUi();
    QVERIFY(ui);
    QCOMPARE(kelUi(), ui);
    QCOMPARE(app.kelUi(), ui);
    QCOMPARE(counts.created, 1);
    QCOMPARE(counts.initialised, 1);
    QCOMPARE(ui->parent(), &app);
    QVERIFY(ui->styleManager());
    QCOMPARE(KelStyleManager::instance(), ui->styleManager());
    KelPixmapCache *shadows = ui->shadowCache();
    QCOMPARE(ui->shadowCache(), shadows);
    QCOMPARE(shadows->objectName(), QStringLiteral("KelShadowCache"));
    QCOMPARE(shadows->cacheLimit(), 50 * 1024);

    // Once the UI object is gone the next use creates a new one.
    delete ui;
    QVERIFY(kelUi());
    QCOMPARE(counts.created, 2);
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::teardownSavesSettingsAndNeverRecreatesUi()
{
    QPointer<KelUi> ui;
    {
        TestApplication app(argc, argv);
        auto settings = new CountingSettings(m_dir.filePath("teardown.ini"), QSettings::IniFormat,
                                             &app);
        app.setSettings(settings);
        ui = kelUi();
        QVERIFY(ui);
        QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
    }
    QVERIFY(!ui);
    QCOMPARE(counts.saved, 1);
    QVERIFY(counts.askedDuringTeardown);
    QCOMPARE(counts.seenDuringTeardown, nullptr);
    QCOMPARE(counts.created, 1);
}

void tst_KelApplication::uiAskedForDuringItsCreation()
{
    TestApplication app(argc, argv, true);
    QTest::ignoreMessage(QtWarningMsg, "The UI object is asked for while it is being created");
    KelUi *ui = kelUi();
    QVERIFY(ui);
    QVERIFY(counts.askedDuringCreation);
    QCOMPARE(counts.seenDuringCreation, nullptr);
    QCOMPARE(counts.created, 1);
    QCOMPARE(kelUi(), ui);
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::settingsAreGuarded()
{
    TestApplication app(argc, argv);
    QCOMPARE(app.settings(), nullptr);
    QVERIFY(app.isFirstRun());
    {
        QSettings file(m_dir.filePath("guarded.ini"), QSettings::IniFormat);
        file.setValue("FirstRun", false);
    }
    auto settings = new KelSettings(m_dir.filePath("guarded.ini"), QSettings::IniFormat);
    app.setSettings(settings);
    QCOMPARE(app.settings(), settings);
    QVERIFY(!app.isFirstRun());
    delete settings;
    QCOMPARE(app.settings(), nullptr);
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::startupLanguage_data()
{
    QTest::addColumn<bool>("withSettings");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("expected");

    // Translations exist for de and fr_FR.
    QTest::newRow("saved") << true << "de"
                           << "fr_FR"
                           << "de";
    QTest::newRow("system") << true << "xx"
                            << "fr_FR"
                            << "fr_FR";
    QTest::newRow("same language") << true << "xx"
                                   << "fr_CA"
                                   << "fr_FR";
    QTest::newRow("english") << true << "xx"
                             << "ja_JP"
                             << "en";
    QTest::newRow("nothing saved") << true << QString() << "de_AT"
                                   << "de";
    QTest::newRow("no settings") << false << QString() << "fr_FR"
                                 << "fr_FR";
}

void tst_KelApplication::startupLanguage()
{
    QFETCH(bool, withSettings);
    QFETCH(QString, saved);
    QFETCH(QString, system);
    QFETCH(QString, expected);

    FakeSystemLocale systemLocale(system);
    QCOMPARE(KelTranslator::systemLocaleName(), system);
    TestApplication app(argc, argv);
    TranslationFixtures files(TranslationPrefix);
    QVERIFY(files.add(QStringLiteral("de"), QStringLiteral("Hallo")));
    QVERIFY(files.add(QStringLiteral("fr_FR"), QStringLiteral("Bonjour")));

    const QString iniPath = m_dir.filePath(QStringLiteral("language.ini"));
    QFile::remove(iniPath);
    if (!saved.isEmpty())
        QSettings(iniPath, QSettings::IniFormat).setValue("localeName", saved);
    std::unique_ptr<KelSettings> settings;
    if (withSettings) {
        settings = std::make_unique<KelSettings>(iniPath, QSettings::IniFormat);
        settings->load();
        app.setSettings(settings.get());
    }
    QVERIFY(kelUi());

    app.installTranslator(TranslationPrefix);
    QCOMPARE(app.translator()->currentLocaleName(), expected);
    if (settings)
        QCOMPARE(settings->localeName(), expected);
    // The windows were built in that language already.
    QCOMPARE(counts.uiLanguageChanges, 0);
    QCOMPARE(counts.appLanguageChanges, 0);

    // A later choice, from the settings dialog when there are settings.
    const QString later = expected == QLatin1String("de") ? QStringLiteral("fr_FR")
                                                          : QStringLiteral("de");
    if (settings)
        settings->setLocaleName(later);
    else
        QVERIFY(app.translate(later));
    QCOMPARE(app.translator()->currentLocaleName(), later);
    QCOMPARE(counts.uiLanguageChanges, 1);
    QCOMPARE(counts.appLanguageChanges, 1);
    if (settings)
        QCOMPARE(settings->localeName(), later);
    QCOMPARE(QCoreApplication::translate("Fixture", "Hello"),
             later == QLatin1String("de") ? QStringLiteral("Hallo") : QStringLiteral("Bonjour"));
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::applicationVersion_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("build version") << QString() << "1.5.0";
    QTest::newRow("installer's version") << "1.6.2"
                                         << "1.6.2";
}

void tst_KelApplication::applicationVersion()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    TestApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KelTest"));
    app.setSettingsApplicationName(QStringLiteral("VersionStore"));
    {
        QSettings store(QStringLiteral("KelTest"), QStringLiteral("VersionStore"));
        store.clear();
        if (!stored.isEmpty())
            store.setValue("CurrentVersion", stored);
    }
    app.loadApplicationVersion(QStringLiteral("1.5.0"));
    QCOMPARE(QCoreApplication::applicationVersion(), expected);
    QCOMPARE(app.buildVersion(), QStringLiteral("1.5.0"));
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::writableLocations()
{
    TestApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KelTest"));
    QCoreApplication::setApplicationName(QStringLiteral("Locations"));
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir(base).removeRecursively();

    QCOMPARE(app.configLocation(QStringLiteral("sub")), base + QStringLiteral("/sub"));
    QVERIFY(QFileInfo(base).isDir());
    QVERIFY(!QFileInfo::exists(base + QStringLiteral("/sub")));
    QCOMPARE(app.dataLocation(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QVERIFY(QFileInfo(app.dataLocation()).isDir());
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::mouseMovesAtWholePixels_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("ignored") << false;
}

void tst_KelApplication::mouseMovesAtWholePixels()
{
    QFETCH(bool, accept);

    TestApplication app(argc, argv);
    QVERIFY(kelUi());
    MoveRecorder widget(accept);
    widget.setGeometry(100, 100, 50, 50);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget, WaitBound::ms()));
    QWindow *window = widget.windowHandle();

    // Qt itself would round 10.7 up to 11.
    const bool delivered = QWindowSystemInterface::handleMouseEvent<
            QWindowSystemInterface::SynchronousDelivery>(window, 4242, QPointF(10.7, 3.2),
                                                         window->mapToGlobal(QPoint(10, 3))
                                                                 + QPointF(0.7, 0.2),
                                                         Qt::NoButton, Qt::NoButton,
                                                         QEvent::MouseMove, Qt::NoModifier,
                                                         Qt::MouseEventSynthesizedBySystem);
    QCOMPARE(widget.moves, 1);
    QCOMPARE(widget.localPos, QPointF(10, 3));
    QCOMPARE(widget.timestamp, 4242ul);
    QCOMPARE(widget.source, Qt::MouseEventSynthesizedBySystem);
    QCOMPARE(delivered, accept);
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::guiThread()
{
    TestApplication app(argc, argv);
    QVERIFY(app.isGuiThread());
    QVERIFY(!QtConcurrent::run([&app] { return app.isGuiThread(); }).result());
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

void tst_KelApplication::sslWarmUpReturns()
{
    TestApplication app(argc, argv);
    QTest::ignoreMessage(QtInfoMsg, "Init SSL libraries: begin");
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression(
                                 QStringLiteral("^Init SSL libraries: done, elapsed time:")));
    // Twice: the second time the library is loaded and the task may end
    // before the wait begins.
    app.prepareNetworkAccessManager();
    QTest::ignoreMessage(QtInfoMsg, "Init SSL libraries: begin");
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression(
                                 QStringLiteral("^Init SSL libraries: done, elapsed time:")));
    app.prepareNetworkAccessManager();
    QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
}

// A queued call whose functor holds the last reference to an object, as an
// import's result holds its item, is dropped undelivered at exit; the
// object's watcher child must not deadlock on the event list while it goes.
void tst_KelApplication::pendingEventOwningAnObjectIsDroppedAtExit()
{
    QPointer<QObject> dropped;
    {
        TestApplication app(argc, argv);
        auto holder = QSharedPointer<QObject>::create();
        auto watcher = new QFutureWatcher<void>(holder.data());
        watcher->setFuture(QtConcurrent::run([] {}));
        watcher->waitForFinished();
        dropped = holder.data();
        QMetaObject::invokeMethod(
                holder.data(), [holder] {}, Qt::QueuedConnection);
        holder.reset();
        QVERIFY(dropped);
        QTest::ignoreMessage(QtInfoMsg, "App is finished normally.");
    }
    QVERIFY(!dropped);
}

int main(int argc, char **argv)
{
    // Every test makes and destroys its own application object.
    tst_KelApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelapplication.moc"
