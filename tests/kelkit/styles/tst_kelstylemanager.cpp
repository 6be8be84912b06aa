#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "styles/kelqproxystyle.h"
#include "styles/kelstyle.h"
#include "styles/kelstyleable.h"
#include "styles/kelstylemanager.h"

#include "../offscreenleak.h"

#include <QScrollerProperties>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

class NamedStyle : public KelStyle
{
public:
    NamedStyle(const QString &id, int fontPixelSize) : m_id(id), m_fontPixelSize(fontPixelSize) { }

    QString styleId() const override { return m_id; }
    int metric(int id) const override { return id == 35 ? m_fontPixelSize : KelStyle::metric(id); }

private:
    QString m_id;
    int m_fontPixelSize;
};

// Logs its name on every re-apply and may run a hook then.
class Recorder : public KelStyleable
{
public:
    Recorder(const QString &name, QStringList *log, int styleId = 1)
        : KelStyleable(styleId), m_name(name), m_log(log)
    { }

    void applyStyle() override
    {
        m_log->append(m_name);
        if (onApply)
            onApply();
    }

    std::function<void()> onApply;

private:
    QString m_name;
    QStringList *m_log;
};

} // namespace

class tst_KelStyleManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void installsProxyStyleAndDefaults();
    void plainStyleWithoutRegisteredStyles();
    void switchAppliesSavesAndSetsFont();
    void sameStyleIsNoOp();
    void unknownStyleChangesNothing();
    void savedIdEqualToStoredIsNotRewritten();
    void listenersChangingDuringSwitch();
    void applySavedStyle_data();
    void applySavedStyle();
    void setStyleId();
    void destroyedStylesDropOut();
    void firstRegisteredDuplicateWins();

private:
    KelStyleManager *manager() const { return KelStyleManager::instance(); }
    void registerStyles();

    QTemporaryDir m_dir;
    int m_fileCounter = 0;
    std::unique_ptr<KelSettings> m_settings;
    std::unique_ptr<NamedStyle> m_light;
    std::unique_ptr<NamedStyle> m_dark;
    QStringList m_log;
};

void tst_KelStyleManager::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The platform may switch UI effects off as a whole; the manager's own
    // choices show only with them on.
    QApplication::setEffectEnabled(Qt::UI_General, true);
}

void tst_KelStyleManager::init()
{
    const QString path = m_dir.filePath(QStringLiteral("settings-%1.ini").arg(++m_fileCounter));
    m_settings = std::make_unique<KelSettings>(path, QSettings::IniFormat);
    static_cast<KelApplication *>(qApp)->setSettings(m_settings.get());
    m_light = std::make_unique<NamedStyle>(QStringLiteral("LightStyle"), 14);
    m_dark = std::make_unique<NamedStyle>(QStringLiteral("DarkStyle"), 17);
    m_log.clear();
}

void tst_KelStyleManager::cleanup()
{
    // Every test starts with a fresh UI object and style manager.
    delete kelUi();
    m_light.reset();
    m_dark.reset();
    m_settings.reset();
}

void tst_KelStyleManager::registerStyles()
{
    manager()->addStyle(m_light.get());
    manager()->addStyle(m_dark.get());
}

void tst_KelStyleManager::installsProxyStyleAndDefaults()
{
    QVERIFY(manager());
    QCOMPARE(manager()->parent(), kelUi());
    QStyle *style = QApplication::style();
    QVERIFY(qobject_cast<KelQProxyStyle *>(style));

    QCOMPARE(style->pixelMetric(QStyle::PM_SubMenuOverlap), 3);
    QCOMPARE(style->styleHint(QStyle::SH_EtchDisabledText), 0);
    QCOMPARE(style->styleHint(QStyle::SH_DitherDisabledText), 0);
    QCOMPARE(style->styleHint(QStyle::SH_MenuBar_AltKeyNavigation), 0);
    QCOMPARE(style->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
    QCOMPARE(style->styleHint(QStyle::SH_LineEdit_PasswordMaskDelay), 0);

    QVERIFY(!QApplication::isEffectEnabled(Qt::UI_AnimateCombo));
    QVERIFY(QApplication::isEffectEnabled(Qt::UI_FadeTooltip));

    const QScrollerProperties defaults;
    for (auto metric : {QScrollerProperties::HorizontalOvershootPolicy,
                        QScrollerProperties::VerticalOvershootPolicy})
        QCOMPARE(defaults.scrollMetric(metric).value<QScrollerProperties::OvershootPolicy>(),
                 QScrollerProperties::OvershootAlwaysOff);
}

void tst_KelStyleManager::plainStyleWithoutRegisteredStyles()
{
    Recorder early(QStringLiteral("early"), &m_log);
    KelStyle *plain = kelStyle();
    QCOMPARE(plain->styleId(), QStringLiteral("KelStyle"));
    QCOMPARE(kelStyle(), plain);
    QVERIFY(manager()->styles().isEmpty());

    // A listener from before any registration is re-applied by the first
    // switch.
    registerStyles();
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    QCOMPARE(m_log, QStringList{QStringLiteral("early")});
    QCOMPARE(kelStyle(), m_dark.get());
}

void tst_KelStyleManager::switchAppliesSavesAndSetsFont()
{
    Recorder a(QStringLiteral("a"), &m_log), b(QStringLiteral("b"), &m_log),
            c(QStringLiteral("c"), &m_log);
    registerStyles();
    QSignalSpy saved(m_settings.get(), &KelSettings::lastStyleIdChanged);

    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    QCOMPARE(m_log, (QStringList{"a", "b", "c"}));
    QCOMPARE(manager()->currentStyle(), m_dark.get());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(0).toString(), QStringLiteral("DarkStyle"));
    QCOMPARE(m_settings->value("lastStyleId").toString(), QStringLiteral("DarkStyle"));
    QCOMPARE(QApplication::font().pixelSize(), 17);
    QCOMPARE(QApplication::font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(QApplication::font().weight(), int(QFont::Normal));

    m_log.clear();
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("LightStyle")));
    QCOMPARE(m_log, (QStringList{"a", "b", "c"}));
    QCOMPARE(saved.count(), 2);
    QCOMPARE(QApplication::font().pixelSize(), 14);
}

void tst_KelStyleManager::sameStyleIsNoOp()
{
    Recorder a(QStringLiteral("a"), &m_log);
    registerStyles();
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    m_log.clear();
    QSignalSpy saved(m_settings.get(), &KelSettings::lastStyleIdChanged);
    m_settings->setValue("lastStyleId", QStringLiteral("edited elsewhere"));
    QFont font = QApplication::font();
    font.setPixelSize(30);
    QApplication::setFont(font);

    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    QVERIFY(m_log.isEmpty());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(m_settings->value("lastStyleId").toString(), QStringLiteral("edited elsewhere"));
    QCOMPARE(QApplication::font().pixelSize(), 30);
}

void tst_KelStyleManager::unknownStyleChangesNothing()
{
    Recorder a(QStringLiteral("a"), &m_log);
    registerStyles();
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("LightStyle")));
    m_log.clear();
    QSignalSpy saved(m_settings.get(), &KelSettings::lastStyleIdChanged);

    QTest::ignoreMessage(QtWarningMsg, "Can't find style \"Missing\"");
    QVERIFY(!manager()->setCurrentStyle(QStringLiteral("Missing")));
    QCOMPARE(manager()->currentStyle(), m_light.get());
    QVERIFY(m_log.isEmpty());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(m_settings->value("lastStyleId").toString(), QStringLiteral("LightStyle"));
}

void tst_KelStyleManager::savedIdEqualToStoredIsNotRewritten()
{
    m_settings->setValue("lastStyleId", QStringLiteral("DarkStyle"));
    registerStyles();
    QSignalSpy saved(m_settings.get(), &KelSettings::lastStyleIdChanged);
    QVERIFY(manager()->applySavedStyle(QStringLiteral("LightStyle")));
    QCOMPARE(manager()->currentStyle(), m_dark.get());
    QCOMPARE(saved.count(), 0);
}

void tst_KelStyleManager::listenersChangingDuringSwitch()
{
    registerStyles();
    auto doomed = std::make_unique<Recorder>(QStringLiteral("doomed"), &m_log);
    std::unique_ptr<Recorder> late;
    Recorder killer(QStringLiteral("killer"), &m_log);
    Recorder survivor(QStringLiteral("survivor"), &m_log);
    // killer is registered after doomed, so the first switch calls doomed
    // before it is destroyed.
    killer.onApply = [&] {
        doomed.reset();
        if (!late)
            late = std::make_unique<Recorder>(QStringLiteral("late"), &m_log);
    };
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    QCOMPARE(m_log, (QStringList{"doomed", "killer", "survivor"}));

    // Now killer destroys the re-created doomed before its turn, so it is
    // skipped; the listener created during the first switch takes part.
    m_log.clear();
    doomed = std::make_unique<Recorder>(QStringLiteral("doomed"), &m_log);
    Recorder last(QStringLiteral("last"), &m_log);
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("LightStyle")));
    QCOMPARE(m_log, (QStringList{"killer", "survivor", "late", "last"}));
    QVERIFY(!doomed);
}

void tst_KelStyleManager::applySavedStyle_data()
{
    QTest::addColumn<QVariant>("saved");
    QTest::addColumn<QString>("defaultId");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("expected");

    QTest::newRow("saved dark wins")
            << QVariant("DarkStyle") << "LightStyle" << true << "DarkStyle";
    QTest::newRow("unregistered saved id falls back")
            << QVariant("SepiaStyle") << "LightStyle" << true << "LightStyle";
    QTest::newRow("nothing saved") << QVariant() << "DarkStyle" << true << "DarkStyle";
    QTest::newRow("not a string falls back") << QVariant(QStringList{"DarkStyle", "LightStyle"})
                                             << "LightStyle" << true << "LightStyle";
    QTest::newRow("unregistered default")
            << QVariant("SepiaStyle") << "NoStyle" << false << "KelStyle";
}

void tst_KelStyleManager::applySavedStyle()
{
    QFETCH(QVariant, saved);
    QFETCH(QString, defaultId);
    QFETCH(bool, result);
    QFETCH(QString, expected);

    if (saved.isValid())
        m_settings->setValue("lastStyleId", saved);
    registerStyles();
    if (!result)
        QTest::ignoreMessage(QtWarningMsg, qPrintable("Can't find style \"" + defaultId + '"'));
    QCOMPARE(manager()->applySavedStyle(defaultId), result);
    QCOMPARE(manager()->currentStyle()->styleId(), expected);
}

void tst_KelStyleManager::setStyleId()
{
    Recorder recorder(QStringLiteral("r"), &m_log, -1);
    QVERIFY(!recorder.hasStyleId());
    recorder.setStyleId(-1);
    QVERIFY(m_log.isEmpty());
    recorder.setStyleId(0);
    QVERIFY(recorder.hasStyleId());
    QCOMPARE(recorder.styleId(), 0);
    QCOMPARE(m_log.size(), 1);
    recorder.setStyleId(0);
    QCOMPARE(m_log.size(), 1);
}

void tst_KelStyleManager::destroyedStylesDropOut()
{
    registerStyles();
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    m_dark.reset();
    QCOMPARE(manager()->styles(), QList<KelStyle *>{m_light.get()});
    QTest::ignoreMessage(QtWarningMsg, "Can't find style \"DarkStyle\"");
    QVERIFY(!manager()->setCurrentStyle(QStringLiteral("DarkStyle")));
    // The current style went with it: the framework's own look takes over.
    QCOMPARE(kelStyle()->styleId(), QStringLiteral("KelStyle"));
}

void tst_KelStyleManager::firstRegisteredDuplicateWins()
{
    NamedStyle twin(QStringLiteral("LightStyle"), 20);
    registerStyles();
    manager()->addStyle(&twin);
    manager()->addStyle(m_light.get());
    QCOMPARE(manager()->styles().size(), 4);
    QVERIFY(manager()->setCurrentStyle(QStringLiteral("LightStyle")));
    QCOMPARE(manager()->currentStyle(), m_light.get());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelStyleManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelstylemanager.moc"
