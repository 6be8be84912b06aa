#include "ui/servicemodewindow.h"

#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "layouts/kelflowlayout.h"
#include "servicepages/kelservicepage.h"
#include "servicepages/kelservicepage_dialogs.h"
#include "servicepages/kelservicepage_general.h"
#include "servicepages/kelservicepage_painting.h"
#include "servicepages/kelservicepage_translations.h"
#include "shared/enums.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/servicepage_style.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "widgets/kelframe.h"
#include "widgets/keltabwidget.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QVBoxLayout>

namespace {

constexpr int WindowStyle = KelStyle::WT_Window;
constexpr int TabButtonStyle = Style::WT_Button_Tab;
constexpr int TabRowStyle = Style::WT_Frame_Caption;
constexpr int TabSpacing = 6;

QString lastTabKey(const QString &objectName)
{
    return objectName + QStringLiteral("_LastTab");
}

KelSettings *frameworkSettings()
{
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->settings() : nullptr;
}

Ui *ui()
{
    return dynamic_cast<Ui *>(kelUi());
}

// The program's questions, each opened with sample values; the answers are
// not used.
class MessagesPage : public KelServicePage
{
public:
    explicit MessagesPage(QWidget *parent) : KelServicePage(parent)
    {
        setObjectName(QStringLiteral("Messages"));
        const QString longName = KelServicePage_Dialogs::longMessage() + QStringLiteral(".ext");
        const QString shortName = QStringLiteral("filename.ext");

        addRow(QStringLiteral("Info:"));

        KelFlowLayout *questions = addRow(QStringLiteral("Questions:"));
        addUiButton(questions, QStringLiteral("Abort all"), [](Ui *ui) { ui->confirmAbortAll({}); });
        addUiButton(questions, QStringLiteral("Abort file (short name)"),
                    [shortName](Ui *ui) { ui->confirmAbortAll(shortName); });
        addUiButton(questions, QStringLiteral("Abort file (word wrap)"),
                    [longName](Ui *ui) { ui->confirmAbortAll(longName); });
        addUiButton(questions, QStringLiteral("Remove from queue (short name)"),
                    [shortName](Ui *ui) { ui->confirmRemove(shortName, true); });
        addUiButton(questions, QStringLiteral("Remove from queue (word wrap)"),
                    [longName](Ui *ui) { ui->confirmRemove(longName, true); });
        addUiButton(questions, QStringLiteral("Clear history"),
                    [](Ui *ui) { ui->confirmClearHistory(); });
        addUiButton(questions, QStringLiteral("Shutdown PC timer"),
                    [](Ui *ui) { ui->showShutdownCountdown(); });
        addUiButton(questions, QStringLiteral("Quit app"), [](Ui *ui) { ui->confirmQuitApp(); });

        KelFlowLayout *errors = addRow(QStringLiteral("Errors:"));
        addUiButton(errors, QStringLiteral("Open file (short name)"),
                    [shortName](Ui *ui) { ui->openLinkInSuitableApp(shortName); });
        addUiButton(errors, QStringLiteral("Open file (word wrap)"),
                    [longName](Ui *ui) { ui->openLinkInSuitableApp(longName); });

        KelFlowLayout *presets = addRow(QStringLiteral("Presets:"));
        const int cancel = Enums::ApplyPresetCancel;
        const int toSelection = Enums::ApplyPresetToSelection;
        const int toAll = Enums::ApplyPresetToAll;
        const struct
        {
            const char *text;
            int options;
        } presetButtons[] = {{"To Selection", cancel | toSelection},
                             {"To all", cancel | toAll},
                             {"To selection + To all", cancel | toSelection | toAll}};
        for (const auto &button : presetButtons) {
            const int options = button.options;
            addUiButton(presets, QLatin1String(button.text), [options](Ui *ui) {
                ui->askApplyPreset(QStringLiteral("Preset name"), options);
            });
        }
    }

private:
    template<typename Call>
    void addUiButton(KelFlowLayout *row, const QString &text, Call call)
    {
        addWidgetRow(row, text, [call] {
            if (Ui *program = ui())
                call(program);
        });
    }
};

KelTabWidget *makeTabWidget(QWidget *parent)
{
    return new KelTabWidget(Qt::TopEdge, TabButtonStyle, parent);
}

QWidget *makeStylesTab()
{
    KelTabWidget *styles = makeTabWidget(nullptr);
    styles->setObjectName(QStringLiteral("Styles"));
    if (KelStyleManager *manager = KelStyleManager::instance()) {
        for (KelStyle *style : manager->styles()) {
            auto *programStyle = dynamic_cast<Style *>(style);
            if (!programStyle)
                continue;
            auto *page = new ServicePage_Style(programStyle);
            page->setObjectName(style->styleId());
            page->refresh();
            const int index = styles->count();
            styles->addTab(index, page);
            styles->setTabText(index, style->styleId());
        }
    }
    styles->tabsLayout()->setContentsMargins(24, 0, 24, 0);
    styles->tabsLayout()->addStretch();
    return styles;
}

} // namespace

ServiceModeWindow::ServiceModeWindow(QWidget *parent)
    : KelWindow(WindowStyle, Movable | Resizable | MinimizeButton | MaximizeButton | WindowButtons,
                parent, Default, false, QStringLiteral("ServiceModeWindow"))
{
    setTitle(QStringLiteral("Service Mode"));

    QWidget *central = centralWidget();
    if (!central->layout()) {
        auto *column = new QVBoxLayout(central);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
    }
    m_tabs = makeTabWidget(central);
    central->layout()->addWidget(m_tabs);

    KelFrame *tabRow = m_tabs->tabsContainer();
    tabRow->setStyleId(TabRowStyle);
    tabRow->setBorderWidths(QMargins(0, 0, 0, 1));
    m_tabs->tabsLayout()->setContentsMargins(24, 0, 28, 0);
    m_tabs->tabsLayout()->setSpacing(TabSpacing);

    const std::pair<QWidget *, const char *> pages[] = {
            {new KelServicePage_General(this), "General"},
            {new KelServicePage_Dialogs(this), "Dialogs"},
            {new MessagesPage(this), "Messages"},
            {new KelServicePage_Painting(this), "Painting"},
            {new KelServicePage_Translations(this), "Translations"},
            {makeStylesTab(), "Styles"},
    };
    for (const auto &[page, text] : pages) {
        const int index = m_tabs->count();
        m_tabs->addTab(index, page);
        m_tabs->setTabText(index, QLatin1String(text));
    }
    m_tabs->tabsLayout()->addStretch();

    restoreSavedGeometry();
}

ServiceModeWindow::~ServiceModeWindow()
{
    saveWindowGeometry();
}

KelTabWidget *ServiceModeWindow::tabs() const
{
    return m_tabs;
}

void ServiceModeWindow::restoreSavedGeometry()
{
    KelWindow::restoreSavedGeometry();
    if (!m_tabs)
        return;
    KelSettings *settings = frameworkSettings();
    const int index = settings ? settings->value(lastTabKey(objectName()), 0).toInt() : 0;
    m_tabs->setCurrentIndex(index >= 0 && index < m_tabs->count() ? index : 0);
}

void ServiceModeWindow::saveWindowGeometry()
{
    KelWindow::saveWindowGeometry();
    if (!m_tabs)
        return;
    if (KelSettings *settings = frameworkSettings())
        settings->setValue(lastTabKey(objectName()), m_tabs->currentIndex());
}

#include "moc_servicemodewindow.cpp"
