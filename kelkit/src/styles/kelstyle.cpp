#include "styles/kelstyle.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelanimatedicons.h"
#include "painting/kelbuttonpainter.h"
#include "painting/kelicon.h"
#include "utils/kelcolorutils.h"
#include "utils/kelfontutils.h"
#include "widgets/kelanimatedscrollbar.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "widgets/kellinearshadowwidget.h"
#include "widgets/kellineedit.h"
#include "widgets/kelplaintextedit.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinboxarrowpainter.h"
#include "widgets/kelspinboxpainter.h"
#include "windows/kelpopupmenu.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"

#include <QAbstractScrollArea>
#include <QDebug>
#include <QEasingCurve>
#include <QFont>
#include <QLabel>

using namespace KelUtils;

namespace {

QColor rgb(QRgb value)
{
    return QColor(value);
}

QColor black(int alpha)
{
    return QColor(0, 0, 0, alpha);
}

QColor white(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

KelAnimationParams animation(int forwardEasing, int forwardMs, int backwardEasing, int backwardMs)
{
    return {forwardEasing, forwardMs, backwardEasing, backwardMs, QVariant(0.0), QVariant(1.0)};
}

KelArrowParams arrow(const QSize &size, const QMargins &margins, Qt::ArrowType direction)
{
    return {size, margins, direction, 0.0};
}

// Style sheets carry no alpha, so translucent colours are flattened onto
// the menu's background first.
QString opaqueName(const QColor &color, const QColor &background)
{
    return (color.alpha() < 255 ? blendColors(background, color) : color).name();
}

void setAlignmentIfChanged(QLabel *label, Qt::Alignment alignment)
{
    if (label->alignment() != alignment)
        label->setAlignment(alignment);
}

QMargins uniform(int value)
{
    return QMargins(value, value, value, value);
}

KelArrowParams noArrow()
{
    return arrow(QSize(0, 0), QMargins(), Qt::DownArrow);
}

void setMinimumSizeIfChanged(QWidget *widget, const QSize &size)
{
    if (widget && widget->minimumSize() != size)
        widget->setMinimumSize(size);
}

void setMinimumHeightIfChanged(QWidget *widget, int height)
{
    if (widget && widget->minimumHeight() != height)
        widget->setMinimumHeight(height);
}

void setFixedSizeIfChanged(QWidget *widget, const QSize &size)
{
    if (widget && (widget->minimumSize() != size || widget->maximumSize() != size))
        widget->setFixedSize(size);
}

void setFixedWidthIfChanged(QWidget *widget, int width)
{
    if (widget && (widget->minimumWidth() != width || widget->maximumWidth() != width))
        widget->setFixedWidth(width);
}

void setSizePolicyIfChanged(QWidget *widget, QSizePolicy::Policy horizontal,
                            QSizePolicy::Policy vertical)
{
    if (!widget)
        return;
    const QSizePolicy policy = widget->sizePolicy();
    if (policy.horizontalPolicy() != horizontal || policy.verticalPolicy() != vertical)
        widget->setSizePolicy(horizontal, vertical);
}

// The check box, radio button and toggle: a checkable button with an
// animated icon beside its text.
void applyCheckButton(const KelStyle *style, KelButtonPainter *painter, int spacing, int iconId,
                      const QString &iconPath, const KelAnimationParams &checkedParams)
{
    painter->setTextColors(KelStateColors(style->defaultTextColor()));
    painter->setSpacing(spacing);
    if (iconPath.isEmpty())
        painter->setIcon(style->iconPath(iconId));
    painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    painter->setColorizeIcon(false);
    auto *button = dynamic_cast<KelButton *>(painter);
    if (!button)
        return;
    button->setCheckable(true);
    setSizePolicyIfChanged(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (iconPath.isEmpty())
        button->stateAnimator()->setCheckedParams(checkedParams);
}

} // namespace

KelStyle::KelStyle(QObject *parent) : QObject(parent) { }

KelStyle::~KelStyle() = default;

QString KelStyle::styleId() const
{
    return QStringLiteral("KelStyle");
}

QString KelStyle::displayName() const
{
    return QStringLiteral("KelStyle");
}

QString KelStyle::styleIcon() const
{
    return QString();
}

bool KelStyle::isDarkTheme() const
{
    return false;
}

int KelStyle::metric(int id) const
{
    switch (id) {
    case M_Window_BorderWidth:
        return 1;
    case M_Window_ShadowSize:
        return 20;
    case M_Window_CornerRadius:
        return 0;
    case M_Dialog_BorderWidth:
        return metric(M_Window_BorderWidth);
    case M_Dialog_ShadowSize:
        return metric(M_Window_ShadowSize);
    case M_Dialog_CornerRadius:
        return metric(M_Window_CornerRadius);
    case M_MessageBox_IconBesideText:
        return 1;
    case M_PopupMenu_BorderWidth:
        return metric(M_Window_BorderWidth);
    case M_PopupMenu_ShadowSize:
        return metric(M_Window_ShadowSize);
    case M_PopupMenu_CornerRadius:
        return metric(M_Window_CornerRadius);
    case M_SubMenu_Overlap:
        return 3;
    case M_PopupMenu_HoverDelay:
        return 150;
    case M_PopupMenu_MinWidth:
        return 200;
    case M_Popup_BorderWidth:
        return metric(M_PopupMenu_BorderWidth);
    case M_Popup_ShadowSize:
        return metric(M_PopupMenu_ShadowSize);
    case M_Popup_CornerRadius:
        return metric(M_PopupMenu_CornerRadius);
    case M_FadeDuration:
    case M_MoveDuration:
        return 150;
    case M_Button_Spacing:
        return 8;
    case M_Button_Push_CornerRadius:
        return 0;
    case M_CheckBox_Spacing:
    case M_RadioButton_Spacing:
        return 8;
    case M_Input_BorderWidth:
        return 1;
    case M_Input_CornerRadius:
        return 0;
    case M_LineEdit_ButtonSpacing:
        return 1;
    case M_Input_MinHeight:
    case M_LineEdit_WidthInChars:
        return 24;
    case M_LineEdit_ButtonWidth:
        return metric(M_Input_MinHeight);
    case M_PasswordMaskDelay:
        return 0;
    case M_Label_Warning_FontSize:
        return 12;
    case M_Notification_BorderWidth:
        return 1;
    case M_Notification_HSpacing:
        return 8;
    case M_Notification_VSpacing:
        return 1;
    case M_Notification_TitleFontSize:
        return 16;
    case M_Notification_TextFontSize:
    case M_App_FontSize:
        return 14;
    default:
        return 0;
    }
}

double KelStyle::opacity(int id) const
{
    switch (id) {
    case OP_Disabled:
        return 0.6;
    case OP_SecondText:
        return 0.57;
    default:
        return 0.0;
    }
}

QSize KelStyle::size(int id) const
{
    return id == SZ_Button_Push_Min ? QSize(92, 36) : QSize(0, 0);
}

QMargins KelStyle::margins(int id) const
{
    switch (id) {
    case MG_Notification_ScreenDistance:
        return QMargins(16, 16, 16, 16);
    case MG_Notification_Content:
        return QMargins(16, 8, 8, 16);
    case MG_Uniform_4:
        return QMargins(4, 4, 4, 4);
    case MG_Button_Push_Contents:
        return QMargins(16, 4, 16, 4);
    case MG_MenuItem_Contents:
        return QMargins(12, 4, 12, 4);
    case MG_Input_Contents:
        return QMargins(8, 0, 8, 0);
    default:
        return QMargins();
    }
}

QColor KelStyle::color(int id) const
{
    switch (id) {
    case CL_Separator:
        return pressedOverlayColor(QColor());
    case CL_Window_Base:
        return rgb(0xFFFFFF);
    case CL_Window_Border:
        return colorWithAlphaF(Qt::black, 0.22);
    case CL_Window_Shadow:
        return color(CL_Window_Border);
    case CL_BlockedOverlay:
        return black(isDarkTheme() ? 128 : 64);
    case CL_Dialog_Base:
        return rgb(0xF4F4F4);
    case CL_Dialog_Border:
        return color(CL_Window_Border);
    case CL_Dialog_Shadow:
        return color(CL_Window_Shadow);
    case CL_PopupMenu_Base:
        return rgb(0xFFFFFF);
    case CL_PopupMenu_Border:
        return color(CL_Window_Border);
    case CL_PopupMenu_Shadow:
        return color(CL_Window_Shadow);
    case CL_PopupMenu_Separator:
        return color(CL_Separator);
    case CL_Popup_Base:
        return color(CL_PopupMenu_Base);
    case CL_Popup_Border:
        return color(CL_PopupMenu_Border);
    case CL_Popup_Shadow:
        return color(CL_PopupMenu_Shadow);
    case CL_Text_Dark:
        return rgb(0x2C2B30);
    case CL_Text_Light:
        return rgb(0xF4F4F4);
    case CL_Text_Link:
        return rgb(0x458BCF);
    case CL_Text_Warning:
        return rgb(0xFF373A);
    case CL_Success:
        return rgb(0x47AD74);
    case CL_Button_Push_Base:
        return rgb(0x656565);
    default:
        return QColor();
    }
}

KelStateColors KelStyle::stateColors(int id) const
{
    const QColor transparent = Qt::transparent;
    const QColor invalid;
    const QColor hover = hoverOverlayColor(invalid);
    const QColor press = pressedOverlayColor(invalid);
    switch (id) {
    case SC_Item:
        return {transparent, hover, press, invalid, press, press, press, invalid};
    case SC_PopupMenuButton:
    case SC_Item_Spare:
        return stateColors(SC_Item);
    case SC_Button_Icon_Text: {
        const QColor accent = accentColor();
        const QColor pressedAccent = blendColors(accent, press);
        return {color(CL_Button_Push_Base),
                accent,
                pressedAccent,
                invalid,
                accent,
                hover,
                pressedAccent,
                invalid};
    }
    case SC_Input_Base:
        return {rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xF4F4F4),
                rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xF4F4F4)};
    case SC_Input_Border:
        return {rgb(0xE2E2E2), hover, press, rgb(0xF1F1F1), press, press, press, rgb(0xF1F1F1)};
    case SC_Input_Arrow:
        return stateColors(SC_Input_Border);
    case SC_TitleBar_Button:
        return {transparent, hover, press, invalid, transparent, hover, press, invalid};
    case SC_TitleBar_Close:
        return {transparent, rgb(0xE81123), rgb(0xA92831), invalid,
                transparent, rgb(0xE81123), rgb(0xA92831), invalid};
    case SC_TitleBar_Text:
        return KelStateColors(isDarkTheme() ? color(CL_Text_Light) : color(CL_Text_Dark));
    default:
        return KelStateColors(invalid);
    }
}

KelArrowParams KelStyle::arrowParams(int id) const
{
    switch (id) {
    case AR_ComboBox:
        return arrow(QSize(8, 5), QMargins(0, 1, 0, 0), Qt::DownArrow);
    case AR_SubMenu:
        return arrow(QSize(5, 8), QMargins(0, 1, 0, 0), Qt::RightArrow);
    case AR_SpinBox_Up:
        return arrow(QSize(8, 5), QMargins(8, 4, 8, 2), Qt::UpArrow);
    case AR_SpinBox_Down:
        return arrow(QSize(8, 5), QMargins(8, 2, 8, 4), Qt::DownArrow);
    default:
        return arrow(QSize(0, 0), QMargins(), Qt::DownArrow);
    }
}

KelAnimationParams KelStyle::animationParams(int kind) const
{
    switch (kind) {
    case AN_Disabled: // disabled progress
        return animation(QEasingCurve::OutCubic, 500, QEasingCurve::InCubic, 500);
    case AN_Hovered: // hovered progress
        return animation(QEasingCurve::OutCubic, 200, QEasingCurve::InCubic, 500);
    case AN_Pressed: // pressed progress
        return animation(QEasingCurve::OutCubic, 200, QEasingCurve::OutCubic, 200);
    case AN_Checked: // checked progress
        return animation(QEasingCurve::OutCubic, 300, QEasingCurve::InCubic, 500);
    case AN_BlockedOverlay: // blocked-window overlay fade
        return animation(QEasingCurve::OutCubic, 150, QEasingCurve::InCubic, 350);
    default:
        return KelAnimationParams();
    }
}

QString KelStyle::iconPath(int id) const
{
    switch (id) {
    case IC_None:
    case IC_Error:
    case IC_Notice:
    case IC_Question:
    case IC_Warning:
        return QStringLiteral("");
    case IC_CheckBox:
        return QStringLiteral("KelAnimatedCheckBoxIcon");
    case IC_Radio:
        return QStringLiteral("KelAnimatedRadioIcon");
    case IC_Toggle:
        return QStringLiteral("KelAnimatedToggleIcon");
    case IC_Clear:
    case IC_Close:
        return QStringLiteral(":/kelui/close-10.svg");
    case IC_TitleBar_Minimize:
        return QStringLiteral(":/kelui/titlebar-minimize.svg");
    case IC_TitleBar_Maximize:
        return QStringLiteral(":/kelui/titlebar-maximize.svg");
    case IC_TitleBar_Restore:
        return QStringLiteral(":/kelui/titlebar-restore.svg");
    case IC_TitleBar_Close:
        return QStringLiteral(":/kelui/titlebar-close.svg");
    default:
        return QString();
    }
}

void KelStyle::applyWindowStyle(KelWindow *window, int id) const
{
    if (!window)
        return;
    // One row per id: the colours of background, border and shadow, then the
    // metrics of border width, shadow size and corner radius.
    struct Row
    {
        int background, border, shadow, borderWidth, shadowSize, cornerRadius;
    };
    Row row;
    switch (id) {
    case WT_Window:
    case WT_Notification:
        row = {2, 3, 4, 0, 1, 2};
        break;
    case WT_Dialog:
    case WT_MessageBox:
        row = {6, 7, 8, 3, 4, 5};
        break;
    case WT_PopupMenu:
    case WT_PopupMenu_Wide:
        row = {9, 10, 11, 7, 8, 9};
        break;
    case WT_Popup:
        row = {13, 14, 15, 13, 14, 15};
        break;
    default:
        return;
    }
    KelWindowFrame *frame = window->windowFrame();
    frame->setBackground(color(row.background));
    frame->setBorderColor(color(row.border));
    frame->setBorderWidth(metric(row.borderWidth));
    frame->setShadowColor(color(row.shadow));
    frame->setShadowRadius(metric(row.shadowSize));
    frame->setCornerRadius(metric(row.cornerRadius));
    if (id == WT_PopupMenu || id == WT_PopupMenu_Wide) {
        if (auto *menu = dynamic_cast<KelPopupMenu *>(window))
            menu->setTimerInterval(metric(M_PopupMenu_HoverDelay));
    }
    if (id == WT_PopupMenu_Wide) {
        QWidget *central = window->centralWidget();
        if (central && central->minimumWidth() != metric(M_PopupMenu_MinWidth))
            central->setMinimumWidth(metric(M_PopupMenu_MinWidth));
    } else if (id == WT_Notification) {
        frame->setBorderWidth(metric(M_Notification_BorderWidth));
    }
}

void KelStyle::applyLabelStyle(QLabel *label, int id) const
{
    if (!label)
        return;
    if (id > 0)
        setTextColor(label, id == WT_Label_Warning ? color(CL_Text_Warning) : defaultTextColor());
    switch (id) {
    case WT_Label:
        if (label->font() != QFont())
            label->setFont(QFont());
        break;
    case WT_Label_Warning:
        setWidgetFont(label, metric(M_Label_Warning_FontSize), QFont::Normal);
        setAlignmentIfChanged(label, Qt::Alignment(0xA4));
        if (auto *kelLabel = qobject_cast<KelLabel *>(label))
            kelLabel->setElideMode(Qt::ElideRight);
        break;
    case WT_Label_Message:
        if (!label->wordWrap())
            label->setWordWrap(true);
        break;
    case WT_Label_Row:
        if (label->contentsMargins() != QMargins(8, 4, 8, 4))
            label->setContentsMargins(8, 4, 8, 4);
        setAlignmentIfChanged(label, Qt::AlignLeft | Qt::AlignTop);
        setWidgetFont(label, 12, QFont::Bold);
        break;
    default:
        break;
    }
}

void KelStyle::applyPlainTextEditStyle(KelPlainTextEdit *edit, int id) const
{
    if (!edit)
        return;
    applyInputFrameStyle(edit, 0);
    if (id == WT_PlainTextEdit_AutoHeight)
        edit->setAutoHeight(true);
}

void KelStyle::applyProgressBarStyle(KelProgressBar *, int) const { }

void KelStyle::applyScrollAreaStyle(KelScrollArea *, int) const { }

void KelStyle::applyScrollBarStyle(QScrollBar *scrollBar, int id) const
{
    if (!scrollBar || id != WT_ScrollBar)
        return;
    auto *bar = qobject_cast<KelAnimatedScrollBar *>(scrollBar);
    if (!bar) {
        qWarning() << "There is no default style for scrollbars! Each app shoud define it's own "
                      "style";
        return;
    }
    if (isDarkTheme()) {
        const QColor a60 = white(60);
        bar->setGrooveColor(white(30));
        bar->setHandleColors(
                KelStateColors(a60, a60, white(30), QColor(), a60, a60, white(30), QColor()));
    } else {
        bar->setGrooveColor(black(24));
        bar->setHandleColors(KelStateColors(black(92), black(24), black(46), QColor(), black(92),
                                            black(24), black(46), QColor()));
    }
}

void KelStyle::applyFrameStyle(KelFramePainter *, int) const { }

void KelStyle::applyButtonStyle(KelButtonPainter *painter, int id, const QString &iconPath) const
{
    if (!painter)
        return;
    KelIcon *current = painter->icon();
    if (!current || !current->isValid() || !iconPath.isEmpty())
        painter->setIcon(iconPath);

    const QColor invalid;
    const QColor hover = hoverOverlayColor(invalid);
    const QColor press = pressedOverlayColor(invalid);
    QWidget *owner = painter->widget();
    auto *button = dynamic_cast<KelButton *>(painter);
    switch (id) {
    case WT_Button_Push:
        painter->setBackground({color(CL_Button_Push_Base), hover, press, invalid});
        painter->setCornerRadii(uniform(metric(M_Button_Push_CornerRadius)));
        painter->setBorderWidths(margins(MG_Button_Push_Border));
        painter->setTextColors(
                KelStateColors(isDarkTheme() ? color(CL_Text_Dark) : color(CL_Text_Light)));
        painter->setContentsMargins(margins(MG_Button_Push_Contents));
        setMinimumSizeIfChanged(owner, size(SZ_Button_Push_Min));
        break;
    case WT_Button_Icon:
        painter->setContentsMargins(margins(MG_Button_Icon_Contents));
        painter->setTextColors(stateColors(SC_Button_Icon_Text));
        painter->setColorizeIcon(true);
        break;
    case WT_CheckBox:
        applyCheckButton(this, painter, metric(M_CheckBox_Spacing), IC_CheckBox, iconPath,
                         {QEasingCurve::Linear, 150, QEasingCurve::InCubic, 150, QVariant(0.0),
                          QVariant(1.0)});
        break;
    case WT_RadioButton:
        applyCheckButton(this, painter, metric(M_RadioButton_Spacing), IC_Radio, iconPath,
                         {QEasingCurve::InCubic, 150, QEasingCurve::InCubic, 150, QVariant(0.0),
                          QVariant(1.0)});
        if (button)
            button->setAutoExclusive(true);
        break;
    case WT_Toggle:
        applyCheckButton(this, painter, metric(M_CheckBox_Spacing), IC_Toggle, iconPath,
                         {QEasingCurve::Linear, 150, QEasingCurve::Linear, 150, QVariant(0.0),
                          QVariant(1.0)});
        break;
    case WT_MenuItem:
    case WT_MenuItem_SubMenu: {
        const QColor text = textColorFor(color(CL_PopupMenu_Base));
        painter->setBackground(stateColors(SC_Item));
        painter->setTextColors(KelStateColors(text));
        painter->setContentsMargins(margins(MG_MenuItem_Contents));
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(OP_SecondText))));
        painter->setTextLayoutMode(1);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (button) {
            button->setAutoExclusive(true);
            setSizePolicyIfChanged(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
        }
        if (id == WT_MenuItem_SubMenu) {
            painter->setArrow(arrowParams(AR_SubMenu), noArrow());
            painter->setArrowColors(painter->textColors());
        }
        break;
    }
    case WT_ComboBox: {
        const KelStateColors background = stateColors(SC_Input_Base);
        const QColor text = textColorFor(background.normal);
        painter->setBackground(background);
        painter->setArrow(arrowParams(AR_ComboBox), noArrow());
        painter->setArrowColors(stateColors(SC_Input_Arrow));
        painter->setBorderColors(stateColors(SC_Input_Border));
        painter->setBorderWidths(uniform(metric(M_Input_BorderWidth)));
        painter->setCornerRadii(uniform(metric(M_Input_CornerRadius)));
        painter->setTextColors(KelStateColors(text));
        painter->setContentsMargins(margins(MG_Input_Contents));
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(OP_SecondText))));
        setMinimumHeightIfChanged(owner, metric(M_Input_MinHeight));
        break;
    }
    case WT_PopupMenuButton: {
        const KelStateColors background = stateColors(SC_PopupMenuButton);
        const QColor text = textColorFor(background.normal);
        painter->setBackground(background);
        painter->setArrow(arrowParams(AR_ComboBox), noArrow());
        painter->setArrowColors(KelStateColors(Qt::transparent));
        painter->setBorderColors(KelStateColors(Qt::transparent));
        painter->setTextColors(KelStateColors(text));
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(OP_SecondText))));
        painter->setTextLayoutMode(1);
        painter->setContentsMargins(margins(MG_Input_Contents)
                                    + uniform(metric(M_Input_BorderWidth)));
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (button) {
            button->setAutoExclusive(true);
            button->setClickableWhenChecked(true);
            button->setCheckable(true);
            setSizePolicyIfChanged(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
        }
        break;
    }
    case WT_Button_Dialog:
    case WT_Button_Dialog_Accent:
        applyButtonStyle(painter, WT_Button_Push, iconPath);
        break;
    case WT_TitleBar_Minimize:
    case WT_TitleBar_Maximize:
    case WT_TitleBar_Restore:
    case WT_TitleBar_Close:
        painter->setTextColors(stateColors(SC_TitleBar_Text));
        painter->setColorizeIcon(true);
        painter->setBackground(stateColors(id == WT_TitleBar_Close ? 8 : 7));
        setFixedSizeIfChanged(owner, QSize(48, 32));
        break;
    case WT_LineEdit_Button:
        applyButtonStyle(painter, WT_Button_Icon, iconPath);
        if (owner) {
            if (owner->cursor().shape() != Qt::ArrowCursor)
                owner->setCursor(Qt::ArrowCursor);
            setFixedWidthIfChanged(owner, metric(M_LineEdit_ButtonWidth));
        }
        break;
    case WT_Button_Chip: {
        const QColor chip(0x656565);
        painter->setBackground({chip, hover, press, invalid});
        painter->setCornerRadii(uniform(6));
        painter->setBorderWidths(uniform(1));
        painter->setBorderColors(KelStateColors(chip));
        painter->setTextColors(KelStateColors(textColorFor(chip)));
        painter->setContentsMargins(QMargins(8, 4, 8, 4));
        break;
    }
    default:
        break;
    }
}

void KelStyle::applyInputFrameStyle(KelFramePainter *painter, int) const
{
    if (!painter)
        return;
    painter->setBackground(stateColors(SC_Input_Base));
    painter->setBorderColors(stateColors(SC_Input_Border));
    painter->setBorderWidths(uniform(metric(M_Input_BorderWidth)));
    painter->setCornerRadii(uniform(metric(M_Input_CornerRadius)));
    painter->setContentsMargins(margins(MG_Input_Contents));
    QWidget *owner = painter->widget();
    if (!owner)
        return;
    setPaletteColor(owner, QPalette::Text, defaultTextColor());
    if (!qobject_cast<QAbstractScrollArea *>(owner))
        setMinimumHeightIfChanged(owner, metric(M_Input_MinHeight));
}

void KelStyle::applyLineEditStyle(KelLineEdit *lineEdit, int id) const
{
    if (!lineEdit)
        return;
    applyInputFrameStyle(lineEdit, id);
    lineEdit->setButtonsSpacing(metric(M_LineEdit_ButtonSpacing));
    switch (id) {
    case WT_LineEdit_Clearable:
        lineEdit->addClearButton(false);
        break;
    case WT_LineEdit_ClearOnEscape:
        lineEdit->addClearButton(true);
        break;
    case WT_LineEdit_Password:
        if (lineEdit->echoMode() != QLineEdit::Password)
            lineEdit->setEchoMode(QLineEdit::Password);
        break;
    case WT_LineEdit_PasswordWhenUnfocused:
        lineEdit->setPasswordWhenUnfocused(true);
        break;
    default:
        break;
    }
}

void KelStyle::applySpinBoxStyle(KelSpinBoxPainter *spinBox, int id) const
{
    if (!spinBox)
        return;
    applyInputFrameStyle(spinBox, id);
    if (id != WT_SpinBox)
        return;
    QMargins contents = spinBox->contentsMargins();
    contents.setRight(0);
    spinBox->setContentsMargins(contents);
    const KelStateColors arrowColors = stateColors(SC_Input_Arrow);
    spinBox->upArrowPainter()->setArrow(arrowParams(AR_SpinBox_Up), noArrow());
    spinBox->upArrowPainter()->setArrowColors(arrowColors);
    spinBox->downArrowPainter()->setArrow(arrowParams(AR_SpinBox_Down), noArrow());
    spinBox->downArrowPainter()->setArrowColors(arrowColors);
}

void KelStyle::applySliderStyle(KelSlider *slider, int id) const
{
    if (!slider || id != WT_Slider_Default)
        return;
    const QSize handleSize(8, 24);
    const int radius = qMin(handleSize.width(), handleSize.height()) / 2;
    slider->setHandleSize(handleSize, radius);
    slider->setGrooveGeometry(2, 0);
    slider->setGrooveColors(color(CL_Separator), color(CL_Separator));
    slider->setClickMode(KelSlider::ClickHoldsDown);
    const QColor invalid;
    const QColor hover = hoverOverlayColor(invalid);
    const QColor press = pressedOverlayColor(invalid);
    const QColor face = accentColor();
    KelButton *handle = slider->positionHandle();
    handle->setBackground({face, hover, press, invalid, face, hover, press, invalid});
    handle->setCornerRadii(uniform(radius));
    if (slider->orientation() == Qt::Horizontal) {
        setMinimumHeightIfChanged(slider, handleSize.height());
        setFixedSizeIfChanged(handle, handleSize);
    } else {
        if (slider->minimumWidth() != handleSize.width())
            slider->setMinimumWidth(handleSize.width());
        setFixedSizeIfChanged(handle, handleSize.transposed());
    }
}

void KelStyle::applyMenuStyle(QWidget *menu, int id) const
{
    if (!menu)
        return;
    const QString sheet = menuStyleSheet(id);
    if (!sheet.isEmpty() && menu->styleSheet() != sheet)
        menu->setStyleSheet(sheet);
}

QString KelStyle::menuStyleSheet(int id) const
{
    if (id != WT_Menu)
        return QString();
    const QColor background = color(CL_PopupMenu_Base);
    const QString separator = opaqueName(color(CL_PopupMenu_Separator), background);
    return QStringLiteral("QMenu {"
                          "    border: 1px solid %1;"
                          "    background-color: %2;"
                          "    color: %3;"
                          "    padding: 0px;"
                          "}"
                          "QMenu::item {"
                          "    padding: 3px 35px 3px 20px;"
                          "    background-color: transparent;"
                          "}"
                          "QMenu::item:disabled {"
                          "    color: %4;"
                          "}"
                          "QMenu::item:selected {"
                          "    background-color: %5;"
                          "}"
                          "QMenu::item:disabled:selected {"
                          "    background-color: transparent;"
                          "}"
                          "QMenu::separator {"
                          "    height: 1px;"
                          "    margin-top: 2px;"
                          "    margin-bottom: 2px;"
                          "    background: %6;"
                          "}")
            .arg(opaqueName(color(CL_PopupMenu_Border), background), background.name(),
                 opaqueName(textColorFor(background), background), separator,
                 opaqueName(stateColors(SC_Item).checked, background), separator);
}

void KelStyle::applyIconStyle(KelIcon *icon) const
{
    using namespace KelAnimatedIcons;
    if (!icon)
        return;
    const QColor a24 = black(24);
    const QColor a46 = black(46);
    const QColor white = Qt::white;
    const QColor transparent = Qt::transparent;
    const QColor invalid;
    const QColor hover = hoverOverlayColor(invalid);
    const QColor press = pressedOverlayColor(invalid);
    const QColor accent = accentColor();
    const KelStateColors sc5 = stateColors(SC_Input_Border);
    const QString name = icon->path();

    if (name == QLatin1String(CheckBoxIcon::Name)) {
        if (auto checkBox = dynamic_cast<CheckBoxIcon *>(icon)) {
            checkBox->setIconSize(QSize(18, 18));
            checkBox->setBorderWidth(1);
            checkBox->setCornerRadius(2);
            checkBox->setCheckLineWidth(1.4);
            QPainterPath check(QPointF(4.5, 10.0));
            check.lineTo(7.5, 13.0);
            check.lineTo(14.0, 6.0);
            checkBox->setCheckPath(check);
            checkBox->setColors1({white, a24, a46, a24, accent, a24, a46, a24});
            checkBox->setColors2(
                    {sc5.normal, sc5.hovered, sc5.checkedPressed, a46, accent, a24, a46, a46});
            checkBox->setColors3({transparent, transparent, transparent, transparent, white,
                                  transparent, transparent, a46});
            return;
        }
    } else if (name == QLatin1String(RadioIcon::Name)) {
        if (auto radio = dynamic_cast<RadioIcon *>(icon)) {
            radio->setIconSize(QSize(18, 18));
            radio->setDotInset(5);
            radio->setBorderWidth(1);
            radio->setColors1(
                    {transparent, a24, a46, invalid, accent, transparent, transparent, invalid});
            radio->setColors2({sc5.normal, a24, a46, invalid, sc5.normal, a24, a46, invalid});
            radio->setColors3({transparent, transparent, transparent, invalid, white, transparent,
                               transparent, invalid});
            return;
        }
    } else if (name == QLatin1String(ToggleIcon::Name)) {
        if (auto toggle = dynamic_cast<ToggleIcon *>(icon)) {
            const QColor track = color(CL_Button_Push_Base);
            const QColor faded = colorWithAlphaF(track, 0.6);
            toggle->setKnobInset(3);
            toggle->setIconSize(QSize(28, 18));
            toggle->setColors1({track, hover, press, faded, accent, hover, press, faded});
            toggle->setColors2(KelStateColors(white));
            return;
        }
    }
    qCritical() << "KelStyle::wrong usage. Can't apply icon style for icon" << name << icon;
}

void KelStyle::applyShadowStyle(KelLinearShadowWidget *shadow, int id) const
{
    if (!shadow || id != WT_Shadow)
        return;
    shadow->setShadowSize(metric(M_Window_ShadowSize));
    shadow->setColor(color(CL_Window_Shadow));
}

QColor KelStyle::accentColor() const
{
    const QColor accent = color(CL_Accent);
    return accent.isValid() ? accent : color(CL_Text_Link);
}

QColor KelStyle::defaultTextColor() const
{
    return isDarkTheme() ? color(CL_Text_Light) : color(CL_Text_Dark);
}

QColor KelStyle::defaultSecondTextColor() const
{
    return colorWithAlphaF(defaultTextColor(), opacity(OP_SecondText));
}

QColor KelStyle::textColorFor(const QColor &background) const
{
    return isDarkBackground(background) ? color(CL_Text_Light) : color(CL_Text_Dark);
}

QColor KelStyle::hoverOverlayColor(const QColor &background) const
{
    return isDarkBackground(background) ? white(30) : black(24);
}

QColor KelStyle::pressedOverlayColor(const QColor &background) const
{
    return isDarkBackground(background) ? white(60) : black(46);
}

bool KelStyle::isDarkBackground(const QColor &background) const
{
    if (!background.isValid() || background.alpha() == 0)
        return isDarkTheme();
    return isDarkColor(background);
}
