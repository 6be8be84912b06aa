#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstylemanager.h"

#include "offscreenleak.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Counts
{
    int created = 0;
    int initialised = 0;
    int saved = 0;
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
};

class TestApplication : public KelApplication
{
public:
    TestApplication(int &argc, char **argv, bool askDuringCreation = false)
        : KelApplication(argc, argv), m_askDuringCreation(askDuringCreation)
    { }

protected:
    KelUi *createUi() override { return new CountingUi(this, m_askDuringCreation); }

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

int main(int argc, char **argv)
{
    // Every test makes and destroys its own application object.
    tst_KelApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelapplication.moc"
