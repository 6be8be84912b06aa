#include "crashinstaller/crashinstaller.h"
#include "kelapplication.h"
#include "kellogger/kellogger.h"
#include "kelsettings.h"
#include "kelui.h"
#include "painting/kelpainting.h"
#include "servicepages/kelservicepage_dialogs.h"
#include "servicepages/kelservicepage_general.h"
#include "servicepages/kelservicepage_painting.h"
#include "servicepages/kelservicepage_style.h"
#include "servicepages/kelservicepage_translations.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconlabel.h"
#include "widgets/kellabel.h"
#include "windows/kelmessagebox.h"

#include "../offscreenleak.h"
#include "filedialoginput.h"
#include "messageboxinput.h"
#include "windowinput.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

const char CrashMeArgument[] = "--crash-me";
const char CrashFolderName[] = "servicepagecrash";

KelButton *buttonWithText(QWidget *page, const QString &text)
{
    const QList<KelButton *> buttons = page->findChildren<KelButton *>();
    for (KelButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// The value beside a row label in any of a page's forms.
QString readout(KelServicePage *page, const QString &rowLabel)
{
    const QList<QFormLayout *> forms = page->widget()->findChildren<QFormLayout *>();
    const QList<KelLabel *> labels = page->findChildren<KelLabel *>();
    for (KelLabel *label : labels) {
        if (label->text() != rowLabel)
            continue;
        for (QFormLayout *form : forms) {
            int row = -1;
            QFormLayout::ItemRole role;
            form->getWidgetPosition(label, &row, &role);
            QLayoutItem *field = row < 0 ? nullptr : form->itemAt(row, QFormLayout::FieldRole);
            if (auto *value = qobject_cast<QLabel *>(field ? field->widget() : nullptr))
                return value->text();
        }
    }
    return QStringLiteral("<no row %1>").arg(rowLabel);
}

// Clicks the button as the user would, through its window.
void click(KelButton *button)
{
    QVERIFY(button);
    button->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(button->window(), WaitBound::ms()));
    qobject_cast<QScrollArea *>(button->window())->ensureWidgetVisible(button);
    WindowInput::click(button);
}

// A style whose buttons and labels are unlike the current style's.
class SampleStyle : public KelStyle
{
public:
    void applyButtonStyle(KelButtonPainter *painter, int, const QString &) const override
    {
        painter->setTextColors(KelStateColors(SampleColor));
    }
    void applyLabelStyle(QLabel *label, int) const override { label->setIndent(SampleIndent); }

    static constexpr QRgb SampleColor = 0x123456;
    static constexpr int SampleIndent = 17;
};

class StylePage : public KelServicePage_Style
{
public:
    using KelServicePage_Style::addOverlayRows;
    using KelServicePage_Style::KelServicePage_Style;
    using KelServicePage_Style::makeButton;
    using KelServicePage_Style::makeLabel;

    QStringList calls;

protected:
    void fillTextColors() override { calls << QStringLiteral("text"); }
    void fillBaseColors() override { calls << QStringLiteral("base"); }
    void fillExtra() override { calls << QStringLiteral("extra"); }
    void fillControls() override { calls << QStringLiteral("controls"); }
};

} // namespace

class tst_KelServicePages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void describeObject_data();
    void describeObject();
    void pagesCarryTheirNames();

    void generalWindowReadoutsWithoutModalWidget();
    void generalCrashButtonWritesACrashReport();

    void paintingToggleSetsSwitchThenKey_data();
    void paintingToggleSetsSwitchThenKey();
    void paintingPageAppliesStoredSwitches();

    void dialogsDemonstrationTexts();
    void dialogsAsyncChooserShowsItsResult_data();
    void dialogsAsyncChooserShowsItsResult();
    void dialogsRememberChoiceKeepsItsState();

    void translationsSelectedLocaleFollowsSwitches();

    void styleSamplesKeepThePageStyle();
    void styleOverlayRows();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<KelSettings> m_settings;
};

void tst_KelServicePages::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelServicePages::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<KelSettings>(m_dir->filePath(QStringLiteral("kel.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(QCoreApplication::instance())->setSettings(m_settings.get());
}

void tst_KelServicePages::cleanup()
{
    m_settings.reset();
    m_dir.reset();
}

void tst_KelServicePages::describeObject_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("none") << 0 << QStringLiteral("^QObject\\(0x0\\)$");
    QTest::newRow("unnamed, no widget") << 1 << QStringLiteral("^QTimer\\(0x%1\\)$");
    QTest::newRow("named widget") << 2
                                  << QStringLiteral(
                                             "^Edit\\(QLineEdit, 0x%1, x:3, y:4, w:50, h: 20\\)$");
}

void tst_KelServicePages::describeObject()
{
    QFETCH(int, kind);
    QFETCH(QString, pattern);
    QTimer timer;
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    edit->setObjectName(QStringLiteral("Edit"));
    edit->setGeometry(3, 4, 50, 20);
    QObject *const objects[] = {nullptr, &timer, edit};
    QObject *object = objects[kind];

    const QString address = QString::number(quintptr(object), 16).rightJustified(8, QLatin1Char('0'));
    const QString text = KelServicePage::describeObject(object);
    pattern.replace(QStringLiteral("%1"), address);
    QVERIFY2(QRegularExpression(pattern).match(text).hasMatch(), qPrintable(text));
}

void tst_KelServicePages::pagesCarryTheirNames()
{
    SampleStyle style;
    const std::unique_ptr<KelServicePage> pages[] = {
            std::make_unique<KelServicePage_General>(),
            std::make_unique<KelServicePage_Dialogs>(),
            std::make_unique<KelServicePage_Painting>(),
            std::make_unique<KelServicePage_Style>(&style),
            std::make_unique<KelServicePage_Translations>(),
    };
    QStringList names;
    for (const auto &page : pages) {
        names << page->objectName();
        QCOMPARE(page->font().pixelSize(), 12);
        QCOMPARE(page->frameShape(), QFrame::NoFrame);
    }
    QCOMPARE(names, QStringList({"General", "Dialogs", "Painting", "Style", "Translations"}));
}

void tst_KelServicePages::generalWindowReadoutsWithoutModalWidget()
{
    KelServicePage_General page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page, WaitBound::ms()));
    page.activateWindow();
    QTRY_COMPARE(readout(&page, QStringLiteral("qApp->activeModalWidget():")),
                 QStringLiteral("QObject(0x0)"));
    QCOMPARE(readout(&page, QStringLiteral("qApp->activeWindow():")),
             KelServicePage::describeObject(QApplication::activeWindow()));

    // The cursor readouts follow the mouse over any window.
    QWidget other;
    other.setGeometry(400, 300, 100, 80);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other, WaitBound::ms()));
    // The platform's cursor stands where the window's move reports it.
    const QPoint global = other.mapToGlobal(QPoint(10, 12));
    QCursor::setPos(global);
    QTest::mouseMove(other.windowHandle(), QPoint(10, 12));
    const qreal ratio = other.devicePixelRatioF();
    QCOMPARE(readout(&page, QStringLiteral("GetCursorPos():")),
             QStringLiteral("[<b>%1</b>; <b>%2</b>]")
                     .arg(qRound(global.x() * ratio))
                     .arg(qRound(global.y() * ratio)));
    QCOMPARE(readout(&page, QStringLiteral("qApp->widgetUnderMouse():")),
             KelServicePage::describeObject(&other));
}

void tst_KelServicePages::paintingToggleSetsSwitchThenKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<void *>("getter");
    const auto row = [](const char *key, const char *text, bool (*getter)()) {
        QTest::newRow(key) << QString::fromLatin1(key) << QString::fromLatin1(text)
                           << reinterpret_cast<void *>(getter);
    };
    row("DbgPaintKelPaintContext", "KelPaintContext (draw 1 screen pixel corners)",
        KelPainting::dbgPaintKelPaintContext);
    row("DbgPaintKelFrame",
        "KelFramePainter (KelFrame, KelLineEdit, KelSpinBox etc, KelButton's frame)",
        KelPainting::dbgPaintKelFrame);
    row("DbgPaintKelButton", "KelButtonPainter (KelButton's content (text, icon, arrow))",
        KelPainting::dbgPaintKelButton);
    row("DbgPaintKelLabel", "KelLabel", KelPainting::dbgPaintKelLabel);
    row("DbgPaintKelIconWidget", "DbgPaintKelIconWidget", KelPainting::dbgPaintKelIconWidget);
    row("DbgPaintKelDelimiter", "KelDelimiter", KelPainting::dbgPaintKelDelimiter);
    row("DbgPaintNonDwmResizer", "Non-DWM Resizer", KelPainting::dbgPaintNonDwmResizer);
    row("DbgPaintNonDwmShadow", "Non-DWM Shadow (comboboxes, old windows theme w/o DWM)",
        KelPainting::dbgPaintNonDwmShadow);
    row("DbgPaintCustom", "App specific custom widgets", KelPainting::dbgPaintCustom);
}

void tst_KelServicePages::paintingToggleSetsSwitchThenKey()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(void *, getter);
    const auto isOn = reinterpret_cast<bool (*)()>(getter);

    KelServicePage_Painting page;
    KelButton *box = buttonWithText(&page, text);
    QVERIFY(box);
    QVERIFY(!box->isChecked());
    click(box);
    QTRY_VERIFY(m_settings->value(key).isValid());
    QCOMPARE(m_settings->value(key).toBool(), true);
    QVERIFY(isOn());
    click(box);
    QTRY_COMPARE(m_settings->value(key).toBool(), false);
    QVERIFY(!isOn());
}

void tst_KelServicePages::paintingPageAppliesStoredSwitches()
{
    m_settings->setValue(QStringLiteral("DbgPaintKelLabel"), true);
    m_settings->setValue(QStringLiteral("DbgPaintCustom"), true);
    {
        KelServicePage_Painting page;
        QVERIFY(KelPainting::dbgPaintKelLabel());
        QVERIFY(KelPainting::dbgPaintCustom());
        QVERIFY(!KelPainting::dbgPaintKelFrame());
        QVERIFY(buttonWithText(&page, QStringLiteral("KelLabel"))->isChecked());
        QVERIFY(!buttonWithText(&page, QStringLiteral("Non-DWM Resizer"))->isChecked());
    }
    m_settings->remove(QStringLiteral("DbgPaintKelLabel"));
    m_settings->remove(QStringLiteral("DbgPaintCustom"));
    KelServicePage_Painting page;
    QVERIFY(!KelPainting::dbgPaintKelLabel());
    QVERIFY(!KelPainting::dbgPaintCustom());
}

void tst_KelServicePages::dialogsDemonstrationTexts()
{
    const QString extraLong = KelServicePage_Dialogs::extraLongMessage();
    QCOMPARE(extraLong.size(), 948);
    QVERIFY(extraLong.startsWith(QStringLiteral(
            "Extra long message (~900 symbols). This always should be placed in multiple lines.")));
    const QString title = KelServicePage_Dialogs::extraLongTitle();
    QCOMPARE(title.size(), 182);
    QVERIFY(title.startsWith(
            QStringLiteral("Extra long title. This should be placed in multiple lines. Lorem")));
    QCOMPARE(KelServicePage_Dialogs::longMessage(),
             QStringLiteral("Long message. This always should be placed in multiple lines. Lorem "
                            "ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod "
                            "tempor incididunt ut labore et dolore magna aliqua."));
}

void tst_KelServicePages::dialogsAsyncChooserShowsItsResult_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("one name") << "kelUi->getOpenFileName()" << QStringList{"a.txt"}
                              << "GetOpenFileName returned:";
    QTest::newRow("cancelled") << "kelUi->getOpenFileName()" << QStringList()
                               << "GetOpenFileName returned:";
    QTest::newRow("several names") << "kelUi->getOpenFileNames()" << QStringList{"a.txt", "b.txt"}
                                   << "GetOpenFileNames returned:";
}

void tst_KelServicePages::dialogsAsyncChooserShowsItsResult()
{
    QFETCH(QString, button);
    QFETCH(QStringList, chosen);
    QFETCH(QString, prefix);

    const QDir dir(m_dir->path());
    QStringList expected;
    for (const QString &name : chosen) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        expected << dir.absoluteFilePath(name);
    }
    m_settings->setLastOpenFilePath(dir.absolutePath());

    KelServicePage_Dialogs page;
    page.resize(900, 700);
    // Rows before the async one have the same buttons.
    const QList<KelButton *> buttons = page.findChildren<KelButton *>();
    KelButton *async = nullptr;
    for (KelButton *candidate : buttons) {
        if (candidate->text() == button)
            async = candidate;
    }

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(1);
    QThread *chooserThread = nullptr;
    bool calledFromPool = false;
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        chooserThread = dialog->thread();
        calledFromPool = QThreadPool::globalInstance()->activeThreadCount() > 0;
        if (chosen.isEmpty()) {
            dialog->reject();
            return;
        }
        QStringList quoted;
        for (const QString &name : chosen)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(quoted.join(' '));
        static_cast<QDialog *>(dialog)->accept();
    });
    QString shown;
    int ticksBeforeBox = -1;
    MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
        shown = box->messageLabel()->text();
        ticksBeforeBox = ticks;
    });
    click(async);
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(chooserThread, QCoreApplication::instance()->thread());
    QVERIFY(calledFromPool);
    QCOMPARE(shown, prefix + expected.join(QStringLiteral("; ")));
    QVERIFY(ticksBeforeBox > 0);
}

void tst_KelServicePages::dialogsRememberChoiceKeepsItsState()
{
    KelServicePage_Dialogs page;
    page.resize(900, 700);
    KelButton *remember = buttonWithText(&page, QStringLiteral("Remember choice"));
    bool first = true;
    bool stateShown = false;
    const auto answer = [&](KelMessageBox *box) {
        auto *check = box->findChild<KelButton *>(QStringLiteral("KelRememberBox"));
        QVERIFY(check);
        QCOMPARE(check->text(), QStringLiteral("Custom text"));
        stateShown = check->isChecked();
        if (first)
            WindowInput::click(check);
    };
    MessageBoxInput::pressButton(1, answer);
    click(remember);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(!stateShown);

    // Another page of the same run shows the box as it was left.
    first = false;
    KelServicePage_Dialogs again;
    again.resize(900, 700);
    MessageBoxInput::pressButton(1, answer);
    click(buttonWithText(&again, QStringLiteral("Remember choice")));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(stateShown);
}

void tst_KelServicePages::translationsSelectedLocaleFollowsSwitches()
{
    m_settings->setLocaleName(QStringLiteral("en"));
    KelServicePage_Translations page;
    auto *selected = page.findChild<KelLabel *>(QStringLiteral("SelectedLocaleName"));
    QVERIFY(selected);
    QCOMPARE(selected->text(), QStringLiteral("en"));
    m_settings->setLocaleName(QStringLiteral("de_DE"));
    QCOMPARE(selected->text(), QStringLiteral("de_DE"));
    QCOMPARE(readout(&page, QStringLiteral("System locale name:")), QLocale::system().name());
    QCOMPARE(readout(&page, QStringLiteral("Initial locale name:")),
             m_settings->defaultLocaleName());
}

void tst_KelServicePages::styleSamplesKeepThePageStyle()
{
    SampleStyle style;
    StylePage page(&style);
    KelButton *button = page.makeButton(KelStyle::WT_Button_Chip, QStringLiteral("Sample"));
    KelLabel *label = page.makeLabel(QStringLiteral("Row:"));
    QCOMPARE(button->text(), QStringLiteral("Sample"));
    QCOMPARE(button->styleId(), KelStyle::WT_Button_Chip);
    QCOMPARE(button->textColors().normal, QColor(SampleStyle::SampleColor));
    QCOMPARE(label->indent(), SampleStyle::SampleIndent);

    // Re-dressed as a theme switch does, they keep the page's style.
    button->applyStyle();
    label->applyStyle();
    QCOMPARE(button->textColors().normal, QColor(SampleStyle::SampleColor));
    QCOMPARE(label->indent(), SampleStyle::SampleIndent);
    delete button;
    delete label;

    page.refresh();
    QCOMPARE(page.calls, QStringList({"text", "base", "extra", "controls"}));
    QCOMPARE(page.palette().color(page.backgroundRole()), style.color(KelStyle::CL_Window_Base));
}

void tst_KelServicePages::styleOverlayRows()
{
    SampleStyle style;
    StylePage page(&style);
    QWidget holder;
    auto *grid = new QGridLayout(&holder);
    page.addOverlayRows(grid, QStringLiteral("CL_Accent"), QColor(0, 0, 255, 128));
    page.addOverlayRows(grid, QStringLiteral("CL_Window_Base"), Qt::transparent);
    QCOMPARE(grid->rowCount(), 2);

    const QColor base = KelUtils::blendColors(style.color(KelStyle::CL_Window_Base),
                                              QColor(0, 0, 255, 128));
    auto *name = qobject_cast<KelIconLabel *>(grid->itemAtPosition(0, 0)->widget());
    QCOMPARE(name->text(), QStringLiteral("CL_Accent"));
    QCOMPARE(name->background().normal, base);
    const QPair<const char *, QColor> overlays[] = {
            {"LightestOverlay", QColor(255, 255, 255, 60)},
            {"LighterOverlay", QColor(255, 255, 255, 30)},
            {"DarkerOverlay", QColor(0, 0, 0, 24)},
            {"DarkestOverlay", QColor(0, 0, 0, 46)},
            {"HoverOverlay", style.hoverOverlayColor(base)},
            {"PressedOverlay", style.pressedOverlayColor(base)},
    };
    for (int i = 0; i < 6; ++i) {
        auto *swatch = qobject_cast<KelIconLabel *>(grid->itemAtPosition(0, i + 2)->widget());
        QCOMPARE(swatch->objectName(), QLatin1String(overlays[i].first));
        QCOMPARE(swatch->background().normal, KelUtils::blendColors(base, overlays[i].second));
        QCOMPARE(swatch->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    }
    // A transparent colour shows the page's own background.
    auto *window = qobject_cast<KelIconLabel *>(grid->itemAtPosition(1, 0)->widget());
    QCOMPARE(window->background().normal, style.color(KelStyle::CL_Window_Base));
}

void tst_KelServicePages::generalCrashButtonWritesACrashReport()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    // The sanitizers' own handler would take the signal first.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":handle_segv=0"));
    QProcess crashing;
    crashing.setProcessEnvironment(env);
    crashing.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(CrashMeArgument)});
    QVERIFY2(crashing.waitForFinished(WaitBound::ms()), qPrintable(crashing.errorString()));
    const QString errors = QString::fromLocal8Bit(crashing.readAllStandardError());
    QVERIFY2(crashing.exitStatus() == QProcess::CrashExit, qPrintable(errors));
    QCOMPARE(crashing.exitCode(), int(SIGSEGV));

    const QDir logDir(home.filePath(QStringLiteral(".") + QLatin1String(CrashFolderName)
                                    + QStringLiteral("/log")));
    const QStringList reports = logDir.entryList({QStringLiteral("crash_*")}, QDir::Dirs);
    QCOMPARE(reports.size(), 1);
    QFile backtrace(logDir.filePath(reports.first() + QStringLiteral("/backtrace.txt")));
    QVERIFY(backtrace.open(QIODevice::ReadOnly));
    QVERIFY(backtrace.readAll().contains(
            QStringLiteral("Signal: %1 (SIGSEGV)").arg(SIGSEGV).toLatin1()));
}

// The program's set-up of the crash reporter, then a click on "Crash me!".
int crashByTheButton(int argc, char **argv)
{
    KelApplication app(argc, argv);
    KelLogger::setFolderName(QLatin1String(CrashFolderName));
    CrashInstaller installer(QStringLiteral("Reelmorph"), QStringLiteral("1.0.0"), true);
    KelServicePage_General page;
    KelButton *button = buttonWithText(&page, QStringLiteral("Crash me!"));
    if (!button)
        return 2;
    emit button->clicked();
    return 3;
}

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], CrashMeArgument) == 0)
        return crashByTheButton(argc, argv);
    KelApplication app(argc, argv);
    tst_KelServicePages test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_kelservicepages.moc"
