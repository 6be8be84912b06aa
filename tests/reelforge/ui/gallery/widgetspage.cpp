#include "widgetspage.h"

#include "core/appservices.h"
#include "datamodel/presetsrepo.h"
#include "kelapplication.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/player/timeslider.h"
#include "ui/player/volumebutton.h"
#include "ui/style.h"
#include "ui/widgets/alignmentselector.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/colorselector.h"
#include "ui/widgets/compressionlevelcombo.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/editablelabel.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/itembutton.h"
#include "ui/widgets/postactionscombo.h"
#include "ui/widgets/presetspopup.h"
#include "ui/widgets/resolutionscombo.h"
#include "ui/widgets/scrollarea.h"
#include "ui/widgets/targetfoldercombo.h"
#include "utils/kelcolorutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kellabel.h"
#include "windows/kelpopupmenu.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QGridLayout>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <memory>

namespace {

// Settings on a temporary file, the format tables and the preset
// catalogue, for one page.
struct Services
{
    Services() : settings(folder.filePath(QStringLiteral("reelforge.ini")), QSettings::IniFormat)
    {
        registerSettingsMetaTypes();
        if (auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance()))
            app->setSettings(&settings);
        appServices().formatTables = &tables;
        settings.setTargetFolderPath(QStringLiteral("/home/user/Videos/Converted"));
        settings.setTargetFolderType(Enums::CustomFolder);
    }
    ~Services() { appServices().formatTables = nullptr; }

    QTemporaryDir folder;
    SettingsProvider settings;
    const FormatTables tables;
    PresetsRepo repo;
};

KelLabel *caption(const QString &text)
{
    auto *label = new KelLabel(Style::WT_Label_12_Second);
    label->setText(text);
    return label;
}

struct Page
{
    std::unique_ptr<QWidget> sheet;
    PresetsCombo *presets = nullptr;
    TargetFolderCombo *folder = nullptr;
    PostActionsCombo *actions = nullptr;
    VolumeButton *volume = nullptr;
};

// The footer's row: preset, folder, action and the badged buttons.
void addFooterRow(Page &page, QGridLayout *grid, PresetsRepo *repo)
{
    page.presets = new PresetsCombo(nullptr, repo);
    PresetsCombo::PresetsPopup *popup = page.presets->popup();
    popup->rightList()->items().value(2)->setCheckedState(true);
    popup->translateUi();
    page.folder = new TargetFolderCombo(TargetFolderCombo::FooterMode);
    page.actions = new PostActionsCombo;
    page.actions->setCurrentData(int(Enums::Sleep));

    auto *convert = new BadgedButton(Style::WT_Button_Push_Accent_Filled_56);
    convert->setText(QStringLiteral("Convert"));
    convert->setBadgeStyle(Style::WT_Badge);
    convert->badge()->setText(QStringLiteral("3"));
    auto *cancel = new BadgedButton(Style::WT_Button_Push_Gray_Filled_56,
                                    QStringLiteral(":/svg/close.svg"));
    cancel->setText(QStringLiteral("Cancel all"));
    cancel->setBadgeStyle(Style::WT_Badge);
    cancel->badge()->setText(QStringLiteral("12"));
    auto *queue = new BadgedButton(Style::WT_Button_Segment_42);
    queue->setText(QStringLiteral("Queue"));
    queue->setCheckable(true);
    queue->setChecked(true);
    queue->setBadgeStyle(Style::WT_Badge_Count);
    queue->badge()->setText(QStringLiteral("7"));
    auto *converted = new BadgedButton(Style::WT_Button_Segment_42);
    converted->setText(QStringLiteral("Converted"));
    converted->setBadgeStyle(Style::WT_Badge_Count);
    converted->badge()->setText(QStringLiteral("24"));
    converted->badge()->setSecondText(QStringLiteral("+2"));
    auto *empty = new BadgedButton(Style::WT_Button_Push_Accent_Filled_56);
    empty->setText(QStringLiteral("Empty badge"));
    empty->setBadgeStyle(Style::WT_Badge);

    grid->addWidget(caption(QStringLiteral("Footer")), 0, 0, 1, 4);
    grid->addWidget(page.presets, 1, 0, 1, 2);
    grid->addWidget(page.folder, 1, 2);
    grid->addWidget(page.actions, 1, 3, Qt::AlignLeft);
    auto *badges = new QHBoxLayout;
    badges->setSpacing(8);
    for (QWidget *button : {static_cast<QWidget *>(queue), static_cast<QWidget *>(converted),
                            static_cast<QWidget *>(cancel), static_cast<QWidget *>(convert),
                            static_cast<QWidget *>(empty)})
        badges->addWidget(button);
    badges->addStretch();
    grid->addLayout(badges, 2, 0, 1, 4);
}

// The card's and the dialogs' choosers.
void addTargetRow(QGridLayout *grid)
{
    auto *formats = new FormatsCombo(Style::WT_Card_Cell);
    formats->setFormat(QStringLiteral("MP4"));
    auto *sizes = new ResolutionsCombo(Style::WT_Card_Cell);
    sizes->fill(QSize(1920, 1080), false);
    sizes->setResolution(QSize(1920, 1080));
    auto *levels = new CompressionLevelCombo(Style::WT_Card_Cell);
    levels->setLevel(3);
    auto *plainFolder = new TargetFolderCombo(TargetFolderCombo::PlainMode);

    grid->addWidget(caption(QStringLiteral("Target format, size, quality; plain folder")), 3, 0, 1,
                    4);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(formats);
    row->addWidget(sizes);
    row->addWidget(levels);
    row->addWidget(plainFolder, 1);
    grid->addLayout(row, 4, 0, 1, 4);
}

void addEditingRow(QGridLayout *grid)
{
    auto *alignment = new AlignmentSelector;
    alignment->setAlignment(Qt::AlignVCenter);
    auto *colors = new ColorSelector;
    colors->setColorSilently(QColor(0xE0657B));
    auto *fewColors = new ColorSelector;
    fewColors->setColorSilently(Qt::white);
    fewColors->setExtraColorsVisible(false);
    auto *switcher = new ButtonSwitcher(Style::WT_Frame_Panel, Style::WT_Button_Segment_34);
    for (const char *name : {"Free", "Tiled"})
        switcher->addButton(QString::fromLatin1(name))->setText(QString::fromLatin1(name));
    switcher->group()->setCheckedSilently(QStringLiteral("Tiled"));
    auto *slider = new DisplaySlider(1, 100, KelStyle::WT_Slider_Default, Style::WT_SpinBox_Compact);
    slider->setSuffix(QStringLiteral("%"));
    slider->setPercentValueSilently(0.65);
    slider->setMinimumWidth(260);
    auto *label = new EditableLabel(Style::WT_LineEdit_Title);
    label->setText(QStringLiteral("Holiday at the sea, day one"));

    grid->addWidget(caption(QStringLiteral("Alignment, colours, switcher")), 5, 0, 1, 4);
    auto *row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(alignment);
    row->addWidget(colors);
    row->addWidget(fewColors);
    row->addWidget(switcher);
    row->addStretch();
    grid->addLayout(row, 6, 0, 1, 4);
    grid->addWidget(caption(QStringLiteral("Display slider, editable label")), 7, 0, 1, 4);
    auto *second = new QHBoxLayout;
    second->setSpacing(16);
    second->addWidget(slider);
    second->addWidget(label);
    second->addStretch();
    grid->addLayout(second, 8, 0, 1, 4);
}

// The preview's time slider with its trim bubbles, and the volume button.
void addPlayerRow(Page &page, QGridLayout *grid)
{
    grid->addWidget(caption(QStringLiteral("Time slider with trim, volume")), 9, 0, 1, 4);
    // The trim editor's slider, tall enough to hold the bubbles above the
    // groove.
    auto *slider = new TimeSlider(Style::WT_Slider_Trim);
    slider->setFixedSize(520, 90);
    slider->setAnimated(false);
    slider->setTimeRange(0, 30000000);
    slider->leftTrimHandle()->setText(QStringLiteral("0:00.5"));
    slider->rightTrimHandle()->setText(QStringLiteral("0:02.2"));
    slider->setTrimVisible(true);
    slider->setTrimRange(5000000, 22000000);
    slider->setTimeQuiet(12000000);
    page.volume = new VolumeButton;
    page.volume->setVolume(0.6);
    auto *row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(slider);
    row->addWidget(page.volume, 0, Qt::AlignBottom);
    row->addStretch();
    grid->addLayout(row, 10, 0, 1, 4);
}

Page buildPage(PresetsRepo *repo)
{
    Page page;
    page.sheet = std::make_unique<QWidget>();
    KelUtils::setBackgroundColor(page.sheet.get(), kelStyle()->color(KelStyle::CL_Window_Base));
    auto *grid = new QGridLayout(page.sheet.get());
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    addFooterRow(page, grid, repo);
    addTargetRow(grid);
    addEditingRow(grid);
    addPlayerRow(page, grid);
    grid->setColumnStretch(4, 1);
    return page;
}

// The sheet on top, the open popups side by side below it.
QImage compose(const QPixmap &sheet, const QList<QPixmap> &popups)
{
    int width = 16;
    int height = 0;
    for (const QPixmap &popup : popups) {
        width += popup.width() + 32;
        height = qMax(height, popup.height());
    }
    QImage image(qMax(sheet.width(), width), sheet.height() + height + 32,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(kelStyle()->color(KelStyle::CL_Window_Base));
    QPainter painter(&image);
    painter.fillRect(0, sheet.height(), image.width(), height + 32,
                     kelStyle()->color(Style::CL_Gray_5));
    painter.drawPixmap(0, 0, sheet);
    int x = 16;
    for (const QPixmap &popup : popups) {
        painter.drawPixmap(x, sheet.height() + 16, popup);
        x += popup.width() + 32;
    }
    return image;
}

} // namespace

bool saveWidgetsSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    Services services;
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    Page page = buildPage(&services.repo);
    page.sheet->adjustSize();
    page.sheet->move(0, 480);
    page.sheet->show();
    page.sheet->setFocus();
    QCoreApplication::processEvents();
    const QPixmap sheet = page.sheet->grab();

    QList<QPixmap> popups;
    page.presets->setChecked(true);
    QCoreApplication::processEvents();
    page.presets->popup()->move(page.presets->popup()->targetGeometry().topLeft());
    page.presets->popup()->setWindowOpacity(1.0);
    popups << page.presets->popup()->grab();
    page.presets->popup()->hide();
    for (KelComboBox *combo :
         {static_cast<KelComboBox *>(page.folder), static_cast<KelComboBox *>(page.actions)}) {
        combo->showPopup(false);
        QCoreApplication::processEvents();
        popups << combo->popup()->grab();
        combo->closePopup();
    }
    page.volume->showPopup(false);
    QCoreApplication::processEvents();
    popups << page.volume->popup()->grab();
    page.volume->popup()->hide();
    const QString path = dir.filePath(fileName);
    if (!compose(sheet, popups).save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}
