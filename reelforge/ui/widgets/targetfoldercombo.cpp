#include "ui/widgets/targetfoldercombo.h"

#include "kelui.h"
#include "painting/kelpaintcontext.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/widgets/arrowseparator.h"
#include "widgets/kelbutton.h"
#include "windows/kelpopupmenu.h"

#include <QCoreApplication>
#include <QDir>

namespace {

struct Row
{
    Enums::TargetFolderType type;
    const char *text;
};

const Row Rows[] = {
        {Enums::InputFolder, QT_TRANSLATE_NOOP("Combo_TargetFolder", "Input folder")},
        {Enums::Subfolder, QT_TRANSLATE_NOOP("Combo_TargetFolder", "Subfolder")},
        {Enums::Desktop, QT_TRANSLATE_NOOP("Combo_TargetFolder", "Desktop")},
        {Enums::Documents, QT_TRANSLATE_NOOP("Combo_TargetFolder", "Documents")},
        {Enums::CustomFolder, QT_TRANSLATE_NOOP("Combo_TargetFolder", "Select folder...")},
};

constexpr int FooterStyleId = Style::WT_ComboBox_Folder;
constexpr int PlainStyleId = KelStyle::WT_ComboBox;
constexpr int DividedRowStyleId = Style::WT_PopupMenuButton_Divided;
constexpr int FooterMinimumWidth = 334;

QString rowText(const Row &row)
{
    return QCoreApplication::translate("Combo_TargetFolder", row.text);
}

QString defaultChooser()
{
    const SettingsProvider *settings = SettingsProvider::instance();
    KelUi *ui = kelUi();
    if (!settings || !ui)
        return QString();
    return ui->getExistingDirectory(QCoreApplication::translate("FileDialogs",
                                                                "Select output folder"),
                                    settings->targetFolderPath());
}

TargetFolderCombo::FolderChooser &folderChooser()
{
    static TargetFolderCombo::FolderChooser chooser;
    return chooser;
}

} // namespace

class TargetFolderCombo::Private
{
public:
    explicit Private(TargetFolderCombo *q) : q(q) { }

    void refreshText();
    void selectFolder();

    TargetFolderCombo *q;
    int mode = PlainMode;
    int rememberedType = Enums::InputFolder;
};

void TargetFolderCombo::Private::refreshText()
{
    const int type = q->folderType();
    QString shown;
    if (type == Enums::CustomFolder) {
        if (const SettingsProvider *settings = SettingsProvider::instance())
            shown = QDir::toNativeSeparators(settings->targetFolderPath());
    } else {
        for (const Row &row : Rows) {
            if (row.type == type)
                shown = rowText(row);
        }
    }
    if (mode == FooterMode) {
        q->setText(QCoreApplication::translate("MainWindow_Footer", "Save to:"));
        q->setSecondText(shown);
    } else {
        q->setText(shown);
    }
}

void TargetFolderCombo::Private::selectFolder()
{
    const FolderChooser &chooser = folderChooser();
    const QString folder = chooser ? chooser() : defaultChooser();
    SettingsProvider *settings = SettingsProvider::instance();
    if (!folder.isEmpty()) {
        if (settings)
            settings->setTargetFolderPath(folder);
        return;
    }
    // Cancelled: back to the type the user had, in the combo and in the
    // settings, so that the footer never names a folder that is not used.
    q->setCurrentData(rememberedType);
    if (settings)
        settings->setTargetFolderType(Enums::TargetFolderType(rememberedType));
}

TargetFolderCombo::TargetFolderCombo(int mode, QWidget *parent)
    : KelComboBox(mode == FooterMode ? FooterStyleId : PlainStyleId, QSizePolicy::Preferred,
                  PopupAtLeastComboWidth, parent),
      d(std::make_unique<Private>(this))
{
    d->mode = mode;
    if (mode == FooterMode) {
        setPopupAlignment(Qt::AlignLeft);
        setPopupOffset(16, 0);
        setMinimumWidth(FooterMinimumWidth);
    }
    for (const Row &row : Rows) {
        KelButton *button = row.type == Enums::Desktop
                ? addItemWidget(popup()->addButton(DividedRowStyleId), int(row.type), rowText(row))
                : addItem(int(row.type), rowText(row));
        if (row.type == Enums::CustomFolder) {
            button->setClickableWhenChecked(true);
            // Also when the row is current already, which makes no choice.
            connect(button, &KelButton::clicked, this, [this] { d->selectFolder(); });
        }
    }

    SettingsProvider *settings = SettingsProvider::instance();
    if (settings) {
        setCurrentDataSilently(int(settings->targetFolderType()));
        connect(settings, &SettingsProvider::targetFolderTypeChanged, this,
                [this](Enums::TargetFolderType type) { setCurrentData(int(type)); });
        connect(settings, &SettingsProvider::targetFolderPathChanged, this,
                [this] { d->refreshText(); });
    }
    connect(this, &KelComboBox::itemClicked, this, [](const QVariant &data) {
        if (SettingsProvider *settings = SettingsProvider::instance())
            settings->setTargetFolderType(Enums::TargetFolderType(data.toInt()));
    });
    connect(this, &KelComboBox::currentDataChanged, this, [this] { d->refreshText(); });
    d->rememberedType = folderType();
    d->refreshText();
}

TargetFolderCombo::~TargetFolderCombo() = default;

void TargetFolderCombo::setFolderChooser(const FolderChooser &chooser)
{
    folderChooser() = chooser;
}

int TargetFolderCombo::mode() const
{
    return d->mode;
}

int TargetFolderCombo::folderType() const
{
    return currentData().toInt();
}

void TargetFolderCombo::translateUi()
{
    for (const Row &row : Rows)
        setItemText(int(row.type), rowText(row));
    d->refreshText();
}

void TargetFolderCombo::paint(KelPaintContext &ctx)
{
    KelComboBox::paint(ctx);
    if (d->mode == FooterMode)
        ArrowSeparator::paint(ctx, this);
}

void TargetFolderCombo::aboutToShowPopup(bool *allow)
{
    KelComboBox::aboutToShowPopup(allow);
    d->rememberedType = folderType();
}

#include "moc_targetfoldercombo.cpp"
