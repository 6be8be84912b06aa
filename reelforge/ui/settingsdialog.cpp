#include "ui/settingsdialog.h"

#include "application.h"
#include "kelapplication.h"
#include "keltranslator.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/targetfoldercombo.h"
#include "utils/kellayoututils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"

#include <metrics/metricsender.h>

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int DialogStyle = KelStyle::WT_Dialog;
constexpr int CheckBoxStyle = KelStyle::WT_CheckBox;
constexpr int RowLabelStyle = Style::WT_Label_Form;
constexpr int ComboStyle = KelStyle::WT_ComboBox;
constexpr int SwitcherFrameStyle = Style::WT_Frame_Panel;
constexpr int SwitcherButtonStyle = Style::WT_Button_Segment_34;
constexpr int PopupScrollAreaStyle = KelStyle::WT_ScrollArea;
constexpr QSize ThemePreviewSize(36, 24);

QString translate(const char *text, const char *context = "Dialog_Settings")
{
    return QCoreApplication::translate(context, text);
}

KelApplication *kelApplication()
{
    return dynamic_cast<KelApplication *>(QCoreApplication::instance());
}

KelTranslator *translator()
{
    KelApplication *app = kelApplication();
    return app ? app->translator() : nullptr;
}

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

KelStyleManager *styleManager()
{
    return KelStyleManager::instance();
}

// A theme's preview keeps its own colours: the button recipes tint icons.
class ThemeButton : public KelButton
{
public:
    ThemeButton(int styleId, const QString &iconPath) : KelButton(styleId, iconPath)
    {
        keepPreviewColors();
    }

    void applyStyle() override
    {
        KelButton::applyStyle();
        keepPreviewColors();
    }

private:
    void keepPreviewColors()
    {
        setColorizeIcon(false);
        setIconSize(ThemePreviewSize);
    }
};

KelButton *makeCheckBox()
{
    auto *box = new KelButton(CheckBoxStyle);
    box->setCheckable(true);
    return box;
}

} // namespace

class SettingsDialog::Private
{
public:
    explicit Private(SettingsDialog *owner) : q(owner) { }

    void buildForm();
    void fillThemeSwitcher();
    void selectLocale(const QString &localeName);
    void connectLanguageClicks();
    void languageClicked();

    SettingsDialog *q;

    KelLabel *languageLabel = nullptr;
    KelComboBox *languageCombo = nullptr;
    QString savedLocaleName;
    KelLabel *outputFolderLabel = nullptr;
    TargetFolderCombo *targetFolderCombo = nullptr;
    KelLabel *previewQualityLabel = nullptr;
    KelComboBox *previewQualityCombo = nullptr;
    KelLabel *themeLabel = nullptr;
    ButtonSwitcher *themeSwitcher = nullptr;
    KelButton *updateCheckBox = nullptr;
    KelButton *sendStatsCheckBox = nullptr;
    bool savedSendMetrics = false;
    KelButton *dontAskRemoveCheckBox = nullptr;
    QString savedTargetFolderPath;
    Enums::TargetFolderType savedTargetFolderType = Enums::InputFolder;
    Enums::PreviewQuality savedPreviewQuality = Enums::High;
    QString savedStyleId;
    bool savedUpdateCheckerEnabled = true;
    bool savedDontAskRemoveFromQueue = false;

    // The combo reports only a change of item; a click on the language in
    // use shows up as the item button's click alone.
    bool clickHandled = false;
};

void SettingsDialog::Private::buildForm()
{
    auto *checkBoxes = new QVBoxLayout;
    checkBoxes->setContentsMargins(2, 10, 0, 2);
    checkBoxes->setSpacing(20);
    updateCheckBox = makeCheckBox();
    sendStatsCheckBox = makeCheckBox();
    dontAskRemoveCheckBox = makeCheckBox();
    checkBoxes->addWidget(updateCheckBox);
    checkBoxes->addWidget(sendStatsCheckBox);
    checkBoxes->addWidget(dontAskRemoveCheckBox);

    auto *form = new QFormLayout(q->contentWidget());
    form->setContentsMargins(32, 0, 32, 0);
    form->setHorizontalSpacing(36);
    form->setVerticalSpacing(16);

    languageLabel = new KelLabel(RowLabelStyle);
    languageCombo = new KelComboBox(ComboStyle, QSizePolicy::Preferred,
                                    KelComboBox::PopupAndComboAlike);
    form->addRow(languageLabel, languageCombo);

    outputFolderLabel = new KelLabel(RowLabelStyle);
    targetFolderCombo = new TargetFolderCombo(TargetFolderCombo::PlainMode);
    form->addRow(outputFolderLabel, targetFolderCombo);

    previewQualityLabel = new KelLabel(RowLabelStyle);
    previewQualityCombo = new KelComboBox(ComboStyle, QSizePolicy::Preferred,
                                          KelComboBox::PopupAndComboAlike);
    form->addRow(previewQualityLabel, previewQualityCombo);

    themeLabel = new KelLabel(RowLabelStyle);
    themeSwitcher = new ButtonSwitcher(SwitcherFrameStyle, SwitcherButtonStyle);
    form->addRow(themeLabel, themeSwitcher);

    form->addRow(checkBoxes);
    form->addItem(
            new QSpacerItem(0, 0, QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding));

    for (Enums::PreviewQuality quality : {Enums::High, Enums::Middle, Enums::Low})
        previewQualityCombo->addItem(int(quality));
    // Not offered, but Save writes back the value it holds.
    previewQualityLabel->hide();
    previewQualityCombo->hide();
}

void SettingsDialog::Private::fillThemeSwitcher()
{
    KelStyleManager *manager = styleManager();
    if (!manager)
        return;
    if (!themeSwitcher->layout()) {
        auto *row = new QHBoxLayout(themeSwitcher);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
    }
    for (KelStyle *style : manager->styles()) {
        auto *button = new ThemeButton(themeSwitcher->group()->buttonStyleId(), style->styleIcon());
        themeSwitcher->group()->addButton(button, style->styleId());
        themeSwitcher->layout()->addWidget(button);
        button->setText(style->displayName());
    }
    connect(themeSwitcher, &ButtonSwitcher::toggled, q, [](const QVariant &styleId) {
        if (KelStyleManager *manager = styleManager())
            manager->setCurrentStyle(styleId.toString());
    });
}

void SettingsDialog::Private::selectLocale(const QString &localeName)
{
    if (KelTranslator *model = translator())
        languageCombo->setCurrentModelIndex(model->rowForLocale(localeName));
}

void SettingsDialog::Private::connectLanguageClicks()
{
    connect(languageCombo, &KelComboBox::itemClicked, q, [this] {
        clickHandled = true;
        languageClicked();
    });
    // The item's click arrives after the combo's itemClicked() of the same
    // click.
    const auto buttons = languageCombo->itemButtons();
    for (KelButton *button : buttons) {
        connect(button, &KelButton::clicked, q, [this] {
            if (!clickHandled)
                languageClicked();
            clickHandled = false;
        });
    }
}

void SettingsDialog::Private::languageClicked()
{
    SettingsProvider *store = settings();
    if (!store)
        return;
    const QString oldCode = store->localeName().left(2);
    const QString localeName = languageCombo->currentModelIndex().data(Qt::UserRole).toString();
    if (localeName != store->localeName())
        store->setLocaleName(localeName);
    MetricSender::send(QStringLiteral("chlan"), localeName.left(2), oldCode);
}

SettingsDialog::SettingsDialog(QWidget *parent)
    : AbstractDialog(DialogStyle, Movable, parent, Default), d(std::make_unique<Private>(this))
{
    setBlocked(true);
    d->buildForm();
    loadData();
    translateUi();
    setObjectName(QStringLiteral("SettingsDialog"));
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::loadData()
{
    SettingsProvider *store = settings();
    if (KelTranslator *model = translator()) {
        d->languageCombo->setModel(model, KelTranslator::nameColumn());
        d->languageCombo->popup()->setupContent(Qt::Vertical, PopupScrollAreaStyle);
    }
    if (store) {
        connect(store, &KelSettings::localeNameChanged, this,
                [this](const QString &localeName) { d->selectLocale(localeName); });
    }
    d->connectLanguageClicks();
    if (store) {
        d->savedLocaleName = store->localeName();
        d->selectLocale(d->savedLocaleName);
    }
    d->fillThemeSwitcher();

    if (store) {
        d->savedTargetFolderPath = store->targetFolderPath();
        d->savedTargetFolderType = store->targetFolderType();
        d->savedPreviewQuality = store->previewQuality();
        d->savedUpdateCheckerEnabled = store->updateCheckerEnabled();
        d->savedDontAskRemoveFromQueue = store->dontAskRemoveFromQueue();
    }
    if (KelStyleManager *manager = styleManager(); manager && manager->currentStyle())
        d->savedStyleId = manager->currentStyle()->styleId();
    d->savedSendMetrics = MetricSender::isEnabled();

    d->previewQualityCombo->setCurrentDataSilently(int(d->savedPreviewQuality));
    d->themeSwitcher->group()->setCheckedSilently(d->savedStyleId);
    d->updateCheckBox->setChecked(d->savedUpdateCheckerEnabled);
    d->sendStatsCheckBox->setChecked(d->savedSendMetrics);
    d->dontAskRemoveCheckBox->setChecked(d->savedDontAskRemoveFromQueue);
}

bool SettingsDialog::onReject()
{
    if (SettingsProvider *store = settings()) {
        // The setter emits localeNameChanged(), which switches the language.
        if (store->localeName() != d->savedLocaleName)
            store->setLocaleName(d->savedLocaleName);
        store->setTargetFolderPath(d->savedTargetFolderPath);
        store->setTargetFolderType(d->savedTargetFolderType);
    }
    if (KelStyleManager *manager = styleManager(); manager && !d->savedStyleId.isEmpty())
        manager->setCurrentStyle(d->savedStyleId);
    return true;
}

bool SettingsDialog::onAccept()
{
    if (SettingsProvider *store = settings()) {
        bool ok = false;
        const int quality = d->previewQualityCombo->currentData().toInt(&ok);
        store->setPreviewQuality(ok ? Enums::PreviewQuality(quality) : Enums::High);
        store->setUpdateCheckerEnabled(d->updateCheckBox->isChecked());
        store->setDontAskRemoveFromQueue(d->dontAskRemoveCheckBox->isChecked());
    }
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setSendMetrics(d->sendStatsCheckBox->isChecked());
    return true;
}

void SettingsDialog::translateUi()
{
    const QRect before = geometry();

    setTitle(translate("Settings"));
    d->languageLabel->setText(translate("Language:"));
    d->outputFolderLabel->setText(translate("Default output folder:"));
    d->previewQualityLabel->setText(translate("Preview quality:"));
    d->themeLabel->setText(translate("Theme:"));
    d->targetFolderCombo->translateUi();

    d->previewQualityCombo->setItemText(int(Enums::High), translate("High", "Combo_PreviewQuality"));
    d->previewQualityCombo->setItemText(int(Enums::Middle),
                                        translate("Medium", "Combo_PreviewQuality"));
    d->previewQualityCombo->setItemText(int(Enums::Low), translate("Low", "Combo_PreviewQuality"));

    if (KelStyleManager *manager = styleManager()) {
        for (KelStyle *style : manager->styles()) {
            if (KelButton *button = d->themeSwitcher->group()->buttonByData(style->styleId()))
                button->setText(style->displayName());
        }
    }

    d->updateCheckBox->setText(translate("Automatic check for updates"));
    d->sendStatsCheckBox->setText(translate("Send anonymous usage stats"));
    d->dontAskRemoveCheckBox->setText(translate("Allow remove from queue without confirmation"));
    rejectButton()->setText(translate("Cancel"));
    acceptButton()->setText(translate("Save"));

    AbstractDialog::translateUi();

    if (isVisible()) {
        KelUtils::activateLayoutsRecursively(this);
        QRect fitted(QPoint(), sizeHint());
        fitted.moveCenter(before.center());
        animateGeometry(fitted, true);
    }
}

#include "moc_settingsdialog.cpp"
