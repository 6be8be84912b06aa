#include "ui/widgets/postactionscombo.h"

#include "application.h"
#include "shared/enums.h"
#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"
#include "windows/kelpopupmenu.h"

#include <QBoxLayout>
#include <QCoreApplication>

namespace {

struct Row
{
    Enums::PostAction action;
    const char *text;
    const char *icon;
};

const Row Rows[] = {
        {Enums::DoNothing, QT_TRANSLATE_NOOP("Combo_PostAction", "Do nothing"), ":/svg/nothing.svg"},
        {Enums::QuitApp, QT_TRANSLATE_NOOP("Combo_PostAction", "Stop app"), ":/svg/close.svg"},
        // Not the dark theme's picture: here it is a preview, too big for a row.
        {Enums::Sleep, QT_TRANSLATE_NOOP("Combo_PostAction", "Sleep"), ":/svg/sleep.svg"},
        {Enums::Shutdown, QT_TRANSLATE_NOOP("Combo_PostAction", "Shutdown"), ":/svg/off.svg"},
};

constexpr int IdleStyleId = Style::WT_ComboBox_PostAction_Idle;
constexpr int ActiveStyleId = Style::WT_ComboBox_PostAction_Active;
constexpr int HeaderStyleId = Style::WT_Frame_Caption;
constexpr int TitleStyleId = Style::WT_Label_14;

} // namespace

PostActionsCombo::PostActionsCombo(QWidget *parent)
    : KelComboBox(IdleStyleId, QSizePolicy::Fixed, PopupAtLeastComboWidth, parent)
{
    setPopupEdge(Qt::RightEdge);
    setPopupAlignment(Qt::AlignLeft);
    setPopupOffset(16, 0);
    setIcon(":/svg/timer.svg");

    auto *header = new KelFrame(HeaderStyleId);
    header->setBorderWidths(QMargins(0, 0, 0, 1));
    header->setMargins(QMargins(17, 0, 17, 0));
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(17, 10, 17, 11);
    headerLayout->setSpacing(0);
    m_titleLabel = new KelLabel(TitleStyleId, header);
    headerLayout->addWidget(m_titleLabel);
    popup()->contentLayout()->insertWidget(0, header);

    for (const Row &row : Rows)
        addItem(int(row.action))->setIcon(row.icon);
    setCurrentDataSilently(int(Enums::DoNothing));

    connect(this, &KelComboBox::itemClicked, this, [](const QVariant &data) {
        if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
            app->setPostAction(data.toInt());
    });
    connect(this, &KelComboBox::currentDataChanged, this, [this](const QVariant &data) {
        setText(QString());
        setStyleId(data.toInt() != Enums::DoNothing ? ActiveStyleId : IdleStyleId);
    });
    translateUi();
}

PostActionsCombo::~PostActionsCombo() = default;

int PostActionsCombo::postAction() const
{
    return currentData().toInt();
}

KelLabel *PostActionsCombo::titleLabel() const
{
    return m_titleLabel;
}

void PostActionsCombo::translateUi()
{
    m_titleLabel->setText(
            QCoreApplication::translate("MainWindow_Footer", "On rendering complete:"));
    for (const Row &row : Rows)
        setItemText(int(row.action), QCoreApplication::translate("Combo_PostAction", row.text));
    // The combo shows only its icon.
    setText(QString());
}

#include "moc_postactionscombo.cpp"
