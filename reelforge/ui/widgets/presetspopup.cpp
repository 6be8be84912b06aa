#include "ui/widgets/presetspopup.h"

#include "datamodel/presetsrepo.h"
#include "painting/kelicon.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/widgets/itembutton.h"
#include "ui/widgets/scrollarea.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelframe.h"
#include "widgets/kellineedit.h"
#include "widgets/keltabindicator.h"
#include "windows/kelwindowblockedoverlay.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>

namespace {

constexpr int PopupStyleId = Style::WT_Popup_Presets;
constexpr int GroupButtonStyleId = Style::WT_Button_Tab;
constexpr int SearchStyleId = Style::WT_LineEdit_Search;
constexpr int CloseButtonStyleId = Style::WT_Button_Close_32;
constexpr int LeftRowStyleId = Style::WT_PresetRow_Left;
constexpr int RightRowStyleId = Style::WT_PresetRow_Right;
constexpr int HeaderStyleId = Style::WT_Frame_Caption;
constexpr int LeftMinimumWidth = 220;
constexpr int RightMinimumWidth = 580;
const QString VideoGroup = QStringLiteral("Video");

const char *const Titles[] = {
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Recent"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Video"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Audio"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Devices"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Same as source"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Auto"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "High Quality"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Medium Quality"),
        QT_TRANSLATE_NOOP("MainWindow_Presets", "Low Quality"),
};

} // namespace

class PresetsCombo::PresetsPopup::Private
{
public:
    explicit Private(PresetsPopup *q) : q(q) { }

    void buildHeader(QVBoxLayout *layout);
    void fillLeft();
    void fillRight(const QVariant &data);
    void choose();
    // The chooser's texts and icon from the checked right row.
    bool showCheckedRow();
    void onHidden();

    PresetsPopup *q;
    PresetsCombo *chooser = nullptr;
    KelExclusiveButtonGroup *groupSwitch = nullptr;
    KelLineEdit *searchField = nullptr;
    KelButton *closeButton = nullptr;
    ScrollArea *leftList = nullptr;
    ScrollArea *rightList = nullptr;
    QPointer<KelWindowBlockedOverlay> overlay;
    // The names of the left rows, untranslated, in their order.
    QStringList leftSubgroups;
};

void PresetsCombo::PresetsPopup::Private::buildHeader(QVBoxLayout *layout)
{
    auto *header = new KelFrame(HeaderStyleId);
    header->setBorderWidths(QMargins(0, 0, 0, 1));
    header->setMargins(QMargins(1, 0, 1, 0));
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(15, 0, 11, 0);
    row->setSpacing(8);

    groupSwitch = new KelExclusiveButtonGroup(GroupButtonStyleId, q);
    const QStringList groups = chooser->presetsRepo() ? chooser->presetsRepo()->groups()
                                                      : QStringList();
    for (const QString &group : groups)
        row->addWidget(groupSwitch->createButton(group, PresetsRepo::groupIcon(group)));
    row->addStretch();
    searchField = new KelLineEdit(SearchStyleId);
    row->addWidget(searchField);
    row->addSpacing(12);
    closeButton = new KelButton(CloseButtonStyleId, QStringLiteral(":/svg/close.svg"));
    row->addWidget(closeButton);
    layout->addWidget(header);

    auto *indicator = new KelTabIndicator(header, groupSwitch);
    indicator->setColor(kelStyle()->color(KelStyle::CL_Accent));
}

void PresetsCombo::PresetsPopup::Private::fillLeft()
{
    leftList->clearItems();
    leftSubgroups.clear();
    const QString group = groupSwitch->checkedData().toString();
    const QString search = searchField->text();
    QList<PresetsRepo::SubgroupPresets> found;
    if (PresetsRepo *repo = chooser->presetsRepo())
        found = repo->presets(group, search);
    for (const PresetsRepo::SubgroupPresets &subgroup : qAsConst(found)) {
        leftList->addItem(groupTitle(subgroup.first), PresetsRepo::brandIcon(subgroup.first),
                          QVariant::fromValue(subgroup.second));
        leftSubgroups.append(subgroup.first);
    }
    const QList<ItemButton *> rows = leftList->items();
    if (rows.isEmpty()) {
        rightList->clearItems();
        rightList->finishFill();
    } else {
        rows.first()->setCheckedState(true);
        fillRight(leftList->group()->buttonData(rows.first()));
    }
    leftList->finishFill();
}

void PresetsCombo::PresetsPopup::Private::fillRight(const QVariant &data)
{
    rightList->clearItems();
    const PresetInfoPointersVector presets = data.value<PresetInfoPointersVector>();
    for (PresetInfoPointer preset : presets)
        rightList->addItem(preset->name, preset->icon, QVariant::fromValue(preset));
    rightList->verticalScrollBar()->setValue(0);
    rightList->finishFill();
}

bool PresetsCombo::PresetsPopup::Private::showCheckedRow()
{
    auto *row = qobject_cast<ItemButton *>(rightList->group()->checkedButton());
    if (!row)
        return false;
    const auto preset = rightList->group()->buttonData(row).value<PresetInfoPointer>();
    if (!preset)
        return false;
    if (KelIcon *icon = row->icon())
        chooser->setIcon(icon->path());
    chooser->setText(row->text());
    chooser->setSecondText(preset->subgroup + QStringLiteral(", ") + row->infoText());
    return true;
}

void PresetsCombo::PresetsPopup::Private::choose()
{
    if (!showCheckedRow())
        return;
    const auto preset = rightList->group()->checkedData().value<PresetInfoPointer>();
    q->hide();
    if (PresetsRepo *repo = chooser->presetsRepo())
        repo->addRecent(preset);
    emit chooser->presetClicked(preset);
}

void PresetsCombo::PresetsPopup::Private::onHidden()
{
    chooser->setCheckedState(false);
    if (overlay)
        overlay->hide();
}

PresetsCombo::PresetsPopup::PresetsPopup(PresetsCombo *chooser)
    : KelPopup(PopupStyleId, {}, chooser, Default, true), d(std::make_unique<Private>(this))
{
    setObjectName(QStringLiteral("PresetsPopup"));
    d->chooser = chooser;

    auto *layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    d->buildHeader(layout);

    auto *lists = new QHBoxLayout;
    lists->setContentsMargins(0, 0, 0, 0);
    lists->setSpacing(0);
    d->leftList = new ScrollArea(LeftRowStyleId);
    d->leftList->setObjectName(QStringLiteral("LeftScroll"));
    d->leftList->setMinimumWidth(LeftMinimumWidth);
    d->rightList = new ScrollArea(RightRowStyleId);
    d->rightList->setObjectName(QStringLiteral("RightScroll"));
    d->rightList->setMinimumWidth(RightMinimumWidth);
    lists->addWidget(d->leftList);
    lists->addWidget(d->rightList);
    layout->addLayout(lists);
    setFixedSize(PopupWidth, PopupHeight);
    applyStyle();

    connect(d->groupSwitch, &KelExclusiveButtonGroup::toggled, this, [this](KelButton *button) {
        if (button)
            d->fillLeft();
    });
    connect(d->searchField, &QLineEdit::textChanged, this, [this] { d->fillLeft(); });
    connect(d->leftList->group(), &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *button, const QVariant &data) {
                if (button)
                    d->fillRight(data);
            });
    connect(d->rightList, &ScrollArea::buttonClicked, this, [this] { d->choose(); });
    connect(d->closeButton, &KelButton::clicked, this, [this] { d->chooser->setChecked(false); });
    connect(this, &KelWidget::hided, this, [this] { d->onHidden(); });

    d->groupSwitch->setCheckedSilently(VideoGroup);
    d->fillLeft();
    translateUi();
}

PresetsCombo::PresetsPopup::~PresetsPopup() = default;

QString PresetsCombo::PresetsPopup::groupTitle(const QString &name)
{
    for (const char *title : Titles) {
        if (name == QLatin1String(title))
            return QCoreApplication::translate("MainWindow_Presets", title);
    }
    return name;
}

KelExclusiveButtonGroup *PresetsCombo::PresetsPopup::groupSwitch() const
{
    return d->groupSwitch;
}

KelLineEdit *PresetsCombo::PresetsPopup::searchField() const
{
    return d->searchField;
}

KelButton *PresetsCombo::PresetsPopup::closeButton() const
{
    return d->closeButton;
}

ScrollArea *PresetsCombo::PresetsPopup::leftList() const
{
    return d->leftList;
}

ScrollArea *PresetsCombo::PresetsPopup::rightList() const
{
    return d->rightList;
}

KelWindowBlockedOverlay *PresetsCombo::PresetsPopup::overlay() const
{
    return d->overlay;
}

QRect PresetsCombo::PresetsPopup::targetGeometry() const
{
    const QPoint topLeft = d->chooser->mapToGlobal(QPoint(-8, -SlideDistance - height()));
    return QRect(topLeft, size());
}

void PresetsCombo::PresetsPopup::open()
{
    if (isVisible())
        return;
    const QRect target = targetGeometry();
    setGeometry(target.translated(0, SlideDistance));
    showAnimated();
    animateGeometry(target, true);

    QWidget *window = d->chooser->window();
    if (!d->overlay || d->overlay->parentWidget() != window)
        d->overlay = new KelWindowBlockedOverlay(window);
    const int bottom = window->mapFromGlobal(QPoint(0, target.top() + target.height())).y();
    d->overlay->setMargins(QMargins(0, 0, 0, window->height() - bottom));
    d->overlay->setGeometry(window->rect());
    d->overlay->raise();
    d->overlay->show();
}

void PresetsCombo::PresetsPopup::translateUi()
{
    KelPopup::translateUi();
    for (const QPointer<KelButton> &button : d->groupSwitch->buttons()) {
        if (button)
            button->setText(groupTitle(d->groupSwitch->buttonData(button).toString()));
    }
    d->searchField->setPlaceholderText(QCoreApplication::translate("MainWindow_Presets", "Search"));
    const QList<ItemButton *> rows = d->leftList->items();
    for (int i = 0; i < rows.size() && i < d->leftSubgroups.size(); ++i)
        rows.at(i)->setText(groupTitle(d->leftSubgroups.at(i)));
    d->rightList->updateInfoTexts();
    if (!d->showCheckedRow()) {
        d->chooser->setText(QString());
        d->chooser->setSecondText(
                QCoreApplication::translate("MainWindow_Presets", "MP4 Video Full HD"));
    }
}

#include "moc_presetspopup.cpp"
