#include "ui/style.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelanimatedicons.h"
#include "painting/kelbuttonpainter.h"
#include "painting/kelframepainter.h"
#include "painting/kelgraphicsdropshadoweffect.h"
#include "styles/kelstylemanager.h"
#include "ui/darkstyle.h"
#include "ui/lightstyle.h"
#include "ui/platform/fontsubstitutes.h"
#include "ui/player/resizeroverlay.h"
#include "utils/kelcolorutils.h"
#include "utils/kelfontutils.h"
#include "widgets/kelanimatedscrollbar.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinboxpainter.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"

#include <QAbstractSpinBox>
#include <QBoxLayout>
#include <QDebug>
#include <QLabel>

using namespace KelUtils;

namespace {

const QString MonoFontFamily = QStringLiteral("Segoe UI Mono");
// A dialog's side margin. A centred title keeps it from the window buttons
// too, so that a narrow dialog grows instead of its title meeting them.
constexpr int DialogSideMargin = 32;

QColor transparent()
{
    return Qt::transparent;
}

QColor black(double alpha)
{
    return colorWithAlphaF(Qt::black, alpha);
}

QColor white(double alpha)
{
    return colorWithAlphaF(Qt::white, alpha);
}

QMargins uniform(int value)
{
    return QMargins(value, value, value, value);
}

// The four-colour set: the unchecked half repeated as the checked half,
// disabled included.
KelStateColors fourColorSet(const QColor &normal, const QColor &hovered, const QColor &pressed,
                            const QColor &disabled)
{
    return KelStateColors(normal, hovered, pressed, disabled);
}

void setHandCursor(QWidget *widget)
{
    if (widget)
        widget->setCursor(Qt::PointingHandCursor);
}

// Qt shrinks a widget to a new maximum only when the maximum changes; a
// base recipe that raised the minimum for a moment must not leave the
// widget taller than the height fixed again here.
void setFixedHeight(QWidget *widget, int height)
{
    if (!widget)
        return;
    widget->setFixedHeight(height);
    if (widget->height() != height)
        widget->resize(widget->width(), height);
}

void setFixedSize(QWidget *widget, const QSize &size)
{
    if (!widget)
        return;
    widget->setFixedSize(size);
    if (widget->size() != size)
        widget->resize(size);
}

// Keeps the policy's other parts, such as a word-wrapping label's height
// for width.
void setSizePolicy(QWidget *widget, QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical)
{
    if (!widget)
        return;
    QSizePolicy policy = widget->sizePolicy();
    policy.setHorizontalPolicy(horizontal);
    policy.setVerticalPolicy(vertical);
    widget->setSizePolicy(policy);
}

// The drop shadow of the floating toggle buttons: made once, with its
// enabled state tied to the button's check once, whatever the number of
// re-applies.
void applyToggleShadow(QWidget *owner, KelButton *button)
{
    if (!owner)
        return;
    if (!owner->graphicsEffect()) {
        auto *effect = new KelGraphicsDropShadowEffect(owner);
        if (button) {
            effect->setEnabled(button->isChecked());
            QObject::connect(button, &KelButton::toggled, effect, &QGraphicsEffect::setEnabled);
        }
    }
    if (auto *effect = qobject_cast<KelGraphicsDropShadowEffect *>(owner->graphicsEffect())) {
        effect->setColor(black(0.08));
        effect->setOffset(QPointF(0, 2));
        effect->setBlurRadius(8);
    }
}

// The soft round shadow under a slider's knob, made when missing.
void applyKnobShadow(QWidget *knob, const QColor &color, double blurRadius)
{
    auto *effect = qobject_cast<KelGraphicsDropShadowEffect *>(knob->graphicsEffect());
    if (!effect && !knob->graphicsEffect())
        effect = new KelGraphicsDropShadowEffect(knob);
    if (!effect)
        return;
    effect->setEnabled(true);
    effect->setColor(color);
    effect->setOffset(QPointF(0, 0));
    effect->setBlurRadius(blurRadius);
}

// A dialog's content frame or footer: direct children of the window's
// central widget, found by the names the dialog gives them.
QWidget *dialogPart(KelWindow *window, const char *name)
{
    QWidget *central = window->centralWidget();
    return central ? central->findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly)
                   : nullptr;
}

// The caption row of the plain and the dialog looks.
void dressTitleBar(KelTitleBar *bar, int height, int labelStyleId, Qt::Alignment alignment)
{
    setFixedHeight(bar, height);
    KelLabel *title = bar->titleLabel();
    title->setAlignment(alignment);
    title->setStyleId(labelStyleId);
}

// Pixel size, weight and text colour of the label recipes.
struct LabelRecipe
{
    int pixelSize;
    int weight;
    enum TextColor { Default, Second, Strong } textColor;
};

bool findLabelRecipe(int id, LabelRecipe *recipe)
{
    switch (id) {
    case Style::WT_Label_Message:
    case Style::WT_Label_14:
    case Style::WT_Label_Form:
        *recipe = {14, QFont::Normal, LabelRecipe::Default};
        return true;
    case Style::WT_Label_12:
        *recipe = {12, QFont::Normal, LabelRecipe::Default};
        return true;
    case Style::WT_Label_12_Second:
        *recipe = {12, QFont::Normal, LabelRecipe::Second};
        return true;
    case Style::WT_Label_14_Medium:
        *recipe = {14, QFont::Medium, LabelRecipe::Default};
        return true;
    case Style::WT_Label_14_Accent:
        *recipe = {14, QFont::Medium, LabelRecipe::Strong};
        return true;
    case Style::WT_Label_15:
        *recipe = {15, QFont::Normal, LabelRecipe::Default};
        return true;
    case Style::WT_Label_Title:
        *recipe = {16, QFont::Medium, LabelRecipe::Default};
        return true;
    case Style::WT_Label_Heading:
        *recipe = {24, QFont::Bold, LabelRecipe::Default};
        return true;
    default:
        return false;
    }
}

} // namespace

// Outside any namespace, as the resource initialiser must be.
static void initThemeResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(theme);
        return true;
    }();
    Q_UNUSED(initialised)
}

Style::Style(QObject *parent) : KelStyle(parent)
{
    initThemeResources();
    registerFontSubstitutes();
}

Style::~Style() = default;

void Style::registerThemes(QObject *parent)
{
    KelStyleManager *manager = KelStyleManager::instance();
    auto *light = new LightStyle(parent);
    auto *dark = new DarkStyle(parent);
    if (!manager) {
        qWarning() << "No style manager to register the themes with";
        return;
    }
    manager->addStyle(light);
    manager->addStyle(dark);
}

int Style::metric(int id) const
{
    switch (id) {
    case M_Window_BorderWidth:
        return 0;
    case M_Window_ShadowSize:
        return 48;
    case M_Window_CornerRadius:
        return 8;
    case M_MessageBox_IconBesideText:
        return 2;
    case M_Button_Spacing:
        return 8;
    case M_Button_Push_CornerRadius:
        return 4;
    case M_Input_CornerRadius:
        return 4;
    case M_Input_MinHeight:
        return 40;
    case M_Popup_ShadowMargin:
    case M_Inset:
        return 4;
    case M_Frame_Padding:
        return 6;
    case M_Button_Small_Padding:
        return 3;
    case M_Button_Bordered_Padding:
        return 6;
    case M_Cell_Padding:
        return 2;
    default:
        return KelStyle::metric(id);
    }
}

QSize Style::size(int id) const
{
    switch (id) {
    case SZ_Button_Push_Min:
    case 1:
        return QSize(0, 0);
    case SZ_Card_Thumbnail:
        return QSize(193, 108);
    default:
        return KelStyle::size(id);
    }
}

QMargins Style::margins(int id) const
{
    switch (id) {
    case MG_Button_Push_Contents:
    case MG_MenuItem_Contents:
    case MG_Input_Contents:
        return QMargins(12, 0, 12, 0);
    default:
        return KelStyle::margins(id);
    }
}

QColor Style::color(int id) const
{
    const bool dark = isDarkTheme();
    // Opaque values of the two themes.
    auto themed = [dark](QRgb darkValue, QRgb lightValue) {
        return QColor(dark ? darkValue : lightValue);
    };
    switch (id) {
    case CL_Accent:
        return QColor(0xE0657B);
    case CL_Separator:
        return color(CL_Gray_8);
    case CL_Window_Base:
        return themed(0x2D2D2D, 0xFFFFFF);
    case CL_Window_Border:
        return dark ? white(0.12) : black(0.2);
    case CL_Window_Shadow:
        return black(0.3);
    case CL_Dialog_Base:
        return color(CL_Window_Base);
    case CL_PopupMenu_Base:
        return dark ? color(CL_Gray_8) : color(CL_Window_Base);
    case CL_Text_Dark:
        return Qt::black;
    case CL_Text_Light:
        return Qt::white;
    case CL_Success:
        return themed(0x31AE63, 0x48BD77);
    case CL_Button_Push_Base:
        return color(CL_Gray_1);
    case CL_Accent_Deep:
        return QColor(0xD75A71);
    case CL_Accent_5:
        return colorWithAlphaF(color(CL_Accent), 0.05);
    case CL_Accent_15:
        return colorWithAlphaF(color(CL_Accent), 0.15);
    case CL_Accent_25:
        return colorWithAlphaF(color(CL_Accent), 0.25);
    case CL_Accent_50:
        return colorWithAlphaF(color(CL_Accent), 0.5);
    case CL_Accent_Hover:
        return QColor(0xF27B90);
    case CL_Accent_Pressed:
        return QColor(0xC94F65);
    // The grey ramp, from the strongest foreground to the faintest fill.
    case CL_Gray_1:
        return themed(0xE1E1E1, 0x303030);
    case CL_Gray_2:
        return themed(0xC1C1C1, 0x505050);
    case CL_Gray_3:
        return themed(0xA0A0A0, 0x7B7B7B);
    case CL_Gray_4:
        return themed(0x7D7D7D, 0xA1A1A1);
    case CL_Gray_5:
        return themed(0x626262, 0xBFBFBF);
    case CL_Gray_6:
        return themed(0x4F4F4F, 0xD6D6D6);
    case CL_Gray_7:
        return themed(0x444444, 0xE4E4E4);
    case CL_Gray_8:
        return themed(0x3A3A3A, 0xF2F2F2);
    case CL_Gray_9:
        return themed(0x313131, 0xF6F6F6);
    case CL_List_Base:
        return dark ? QColor(0x202020) : color(CL_Gray_8);
    case CL_Progress:
        return themed(0x3B8558, 0x93D7AE);
    case CL_Text_Error:
        return themed(0xF14B34, 0xE53921);
    default:
        return KelStyle::color(id);
    }
}

KelStateColors Style::stateColors(int id) const
{
    const QColor tr = transparent();
    const QColor inv;
    switch (id) {
    case SC_Item:
        return {tr, color(CL_Gray_7), color(CL_Gray_6), inv, color(CL_Accent_15), tr, tr, inv};
    case SC_Input_Base:
        return KelStateColors(tr);
    case SC_Input_Border:
        return {color(CL_Gray_6),
                color(CL_Gray_4),
                color(CL_Accent),
                inv,
                color(CL_Accent),
                tr,
                tr,
                inv};
    case SC_Accent:
        return {color(CL_Accent), color(CL_Accent_Hover), color(CL_Accent_Pressed), inv,
                color(CL_Accent), color(CL_Accent_Hover), color(CL_Accent_Pressed), inv};
    case SC_Gray_Filled:
        return {color(CL_Gray_8), color(CL_Gray_7), color(CL_Gray_6), inv,
                color(CL_Gray_6), color(CL_Gray_6), color(CL_Gray_6), inv};
    default:
        return KelStyle::stateColors(id);
    }
}

KelArrowParams Style::arrowParams(int id) const
{
    switch (id) {
    case AR_Chevron_Down:
        return {QSize(12, 7), QMargins(0, 0, 1, 0), Qt::DownArrow, 1.5};
    case AR_Chevron_Up:
        return {QSize(12, 7), QMargins(0, 0, 1, 0), Qt::UpArrow, 1.5};
    default:
        return KelStyle::arrowParams(id);
    }
}

QString Style::iconPath(int id) const
{
    switch (id) {
    case IC_TitleBar_Minimize:
        return QStringLiteral(":/svg/titlebar-minimize.svg");
    case IC_TitleBar_Maximize:
        return QStringLiteral(":/svg/titlebar-maximize.svg");
    case IC_TitleBar_Restore:
        return QStringLiteral(":/svg/titlebar-restore.svg");
    case IC_TitleBar_Close:
        return QStringLiteral(":/svg/titlebar-close.svg");
    default:
        return KelStyle::iconPath(id);
    }
}

void Style::applyWindowStyle(KelWindow *window, int id) const
{
    if (!window) {
        KelStyle::applyWindowStyle(window, id);
        return;
    }
    KelTitleBar *bar = window->titleBar();
    KelWindowFrame *frame = window->windowFrame();
    switch (id) {
    case WT_Window:
        KelStyle::applyWindowStyle(window, WT_Window);
        if (bar) {
            setFixedHeight(bar, 40);
            bar->setStyleId(WT_Frame_Caption);
            bar->appIcon()->setIcon(QStringLiteral(":/appicon.svg"));
            bar->appIcon()->setContentsMargins(10, 0, 6, 0);
            bar->titleLabel()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        break;
    case WT_Dialog: {
        KelStyle::applyWindowStyle(window, WT_Dialog);
        if (QWidget *central = window->centralWidget())
            central->setMinimumWidth(480);
        if (bar) {
            dressTitleBar(bar, 72, 1057, Qt::AlignCenter);
            bar->titleLabel()->setContentsMargins(DialogSideMargin, 0, DialogSideMargin, 2);
        }
        QWidget *footer = dialogPart(window, "KelFooter");
        if (auto *layout = footer ? qobject_cast<QBoxLayout *>(footer->layout()) : nullptr) {
            layout->setContentsMargins(32, 24, 32, 24);
            layout->setSpacing(10);
            // The buttons spread from the left instead of gathering at the
            // right.
            if (layout->count() > 0 && layout->itemAt(0)->spacerItem())
                delete layout->takeAt(0);
        }
        break;
    }
    case WT_MessageBox:
        KelStyle::applyWindowStyle(window, WT_MessageBox);
        if (bar)
            bar->titleLabel()->setContentsMargins(DialogSideMargin, 0, DialogSideMargin, 0);
        if (QWidget *content = dialogPart(window, "KelDialogContent")) {
            content->setContentsMargins(DialogSideMargin, 0, DialogSideMargin, 0);
            QLayout *layout = content->layout();
            if (!layout) {
                layout = new QVBoxLayout(content);
                layout->setContentsMargins(0, 0, 0, 0);
            }
            layout->setSpacing(32);
        }
        // Message boxes: the footer buttons keep off the rounded corner, in
        // line with the text above them.
        if (QWidget *footer = dialogPart(window, "KelFooter")) {
            if (QLayout *layout = footer->layout()) {
                layout->setContentsMargins(32, 24, 32, 24);
                layout->setSpacing(10);
            }
        }
        break;
    case WT_PopupMenu:
    case WT_Popup: {
        KelStyle::applyWindowStyle(window, WT_PopupMenu);
        const int m = metric(M_Popup_ShadowMargin);
        window->setContentsMargins(0, m, 0, m);
        break;
    }
    case WT_Window_Compact:
        KelStyle::applyWindowStyle(window, WT_Dialog);
        if (bar) {
            dressTitleBar(bar, 32, 1051, Qt::AlignCenter);
            bar->setContentsMargins(0, 0, 0, 0);
            KelIconWidget *icon = bar->appIcon();
            icon->setIcon(QStringLiteral(":/appicon.svg"));
            icon->setIconSize(QSize(20, 20));
            icon->setContentsMargins(6, 6, 0, 6);
            const QList<QWidget *> children
                    = bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget *child : children)
                setFixedHeight(child, 32);
        }
        frame->setBorderColor(color(CL_Gray_6));
        break;
    case WT_Popup_Presets:
        applyWindowStyle(window, WT_PopupMenu);
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setContentsMargins(0, 0, 0, 0);
        frame->setBackground(color(CL_Window_Base));
        frame->setBorderWidth(1);
        frame->setBorderColor(color(CL_Gray_7));
        frame->setShadowRadius(0);
        break;
    case WT_PopupMenu_List:
        KelStyle::applyWindowStyle(window, WT_PopupMenu);
        window->setContentsMargins(0, 0, 0, 4);
        break;
    default:
        KelStyle::applyWindowStyle(window, id);
        break;
    }
}

void Style::applyFrameStyle(KelFramePainter *painter, int id) const
{
    if (!painter)
        return;
    switch (id) {
    case WT_Frame_Caption:
        painter->setBorderColors(KelStateColors(color(CL_Separator)));
        break;
    case WT_Frame_Panel:
        painter->setBackground(KelStateColors(color(CL_List_Base)));
        painter->setPaddings(uniform(metric(M_Frame_Padding)));
        break;
    case WT_Frame_Outlined:
        painter->setBorderWidths(uniform(1));
        painter->setPaddings(uniform(6));
        painter->setBorderColors(
                fourColorSet(color(CL_Gray_6), transparent(), transparent(), color(CL_Gray_7)));
        break;
    default:
        KelStyle::applyFrameStyle(painter, id);
        break;
    }
}

void Style::applyLabelStyle(QLabel *label, int id) const
{
    LabelRecipe recipe;
    if (!label || !findLabelRecipe(id, &recipe)) {
        KelStyle::applyLabelStyle(label, id);
        return;
    }
    setWidgetFont(label, recipe.pixelSize, recipe.weight);
    switch (recipe.textColor) {
    case LabelRecipe::Default:
        setTextColor(label, defaultTextColor());
        break;
    case LabelRecipe::Second:
        setTextColor(label, defaultSecondTextColor());
        break;
    case LabelRecipe::Strong:
        setTextColor(label, color(CL_Accent_Deep));
        break;
    }
    if (id == WT_Label_Message) {
        label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        label->setWordWrap(true);
    } else if (id == WT_Label_Form) {
        setSizePolicy(label, QSizePolicy::Fixed, QSizePolicy::MinimumExpanding);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setWordWrap(true);
    }
}

void Style::applyButtonStyle(KelButtonPainter *painter, int id, const QString &iconPath) const
{
    if (!painter)
        return;
    painter->setColorizeIcon(true);
    applyButtonRecipe(painter, id, iconPath);
}

void Style::applyButtonRecipe(KelButtonPainter *painter, int id, const QString &iconPath) const
{
    const QColor tr = transparent();
    const QColor inv;
    const bool dark = isDarkTheme();
    QWidget *owner = painter->widget();
    auto *button = dynamic_cast<KelButton *>(painter);
    auto apply = [&](int base) { applyButtonStyle(painter, base, iconPath); };

    switch (id) {
    case WT_Button_Push:
        KelStyle::applyButtonStyle(painter, WT_Button_Push, iconPath);
        setSizePolicy(owner, QSizePolicy::Minimum, QSizePolicy::Fixed);
        painter->setTextColors(KelStateColors(defaultTextColor()));
        break;
    case WT_MenuItem:
    case WT_PopupMenuButton:
        KelStyle::applyButtonStyle(painter, id, iconPath);
        if (owner)
            owner->setMinimumHeight(metric(M_Input_MinHeight));
        break;
    case WT_ComboBox: {
        KelStyle::applyButtonStyle(painter, WT_ComboBox, iconPath);
        KelStateColors border = painter->borderColors();
        border.pressed = color(CL_Gray_5);
        border.checked = color(CL_Gray_4);
        painter->setBorderColors(border);
        painter->setThirdColors(KelStateColors(color(CL_Gray_1)));
        painter->setLayoutParams(arrowParams(AR_Chevron_Down), arrowParams(AR_Chevron_Up));
        break;
    }
    case WT_Button_Dialog:
        apply(WT_Button_Push_Gray_Outline_40);
        break;
    case WT_Button_Dialog_Accent:
        apply(WT_Button_Push_Accent_Filled_40);
        break;
    case WT_TitleBar_Minimize:
    case WT_TitleBar_Maximize:
    case WT_TitleBar_Restore:
    case WT_TitleBar_Close:
        KelStyle::applyButtonStyle(painter, id, iconPath);
        setFixedSize(owner, QSize(40, 40));
        // A lower caption row (window look 1000) keeps its buttons as high
        // as itself, whichever of the two is dressed last.
        if (auto *bar = owner ? qobject_cast<KelTitleBar *>(owner->parentWidget()) : nullptr) {
            const int height = bar->maximumHeight();
            if (height == bar->minimumHeight() && height < 40)
                setFixedHeight(owner, height);
        }
        break;
    case WT_LineEdit_Button:
        painter->setIconColors(fourColorSet(color(CL_Gray_3), color(CL_Accent),
                                            color(CL_Accent).darker(120), inv));
        setHandCursor(owner);
        setFixedSize(owner, QSize(24, 24));
        break;
    case WT_Toggle_Small:
    case WT_Toggle_Large:
        KelStyle::applyButtonStyle(painter, WT_Toggle, QString());
        painter->setIconSize(id == WT_Toggle_Small ? QSize(28, 18) : QSize(40, 24));
        break;
    case WT_Button_Push_Gray_Filled_36:
    case WT_Button_Push_Gray_Filled_40:
    case WT_Button_Push_Gray_Filled_48:
    case WT_Button_Push_Gray_Filled_56: {
        apply(WT_Button_Push);
        painter->setBackground(stateColors(SC_Gray_Filled));
        if (id == WT_Button_Push_Gray_Filled_56)
            painter->setFont(18, QFont::Medium);
        if (id != WT_Button_Push_Gray_Filled_36) {
            const int side = id == WT_Button_Push_Gray_Filled_40 ? 8
                    : id == WT_Button_Push_Gray_Filled_48        ? 12
                                                                 : 16;
            painter->setContentsMargins(QMargins(side, 0, side, 0));
        }
        static const int heights[] = {36, 40, 48, 56};
        setFixedHeight(owner, heights[id - 1005]);
        break;
    }
    case WT_Button_Push_Gray_Outline_28:
    case WT_Button_Push_Gray_Outline_40:
        apply(WT_Button_Push);
        painter->setBackground(
                dark ? KelStateColors(tr, color(CL_Gray_8), tr, inv, tr, color(CL_Gray_8), tr, inv)
                     : KelStateColors(tr, color(CL_Gray_8), color(CL_Gray_7), inv, tr,
                                      color(CL_Gray_8), color(CL_Gray_7), inv));
        painter->setBorderColors(
                fourColorSet(color(CL_Gray_5), color(CL_Gray_4), color(CL_Gray_3), inv));
        painter->setBorderWidths(uniform(1));
        if (id == WT_Button_Push_Gray_Outline_28) {
            painter->setPaddings(uniform(metric(M_Button_Small_Padding)));
            setFixedHeight(owner, 28);
        } else {
            painter->setFont(14, QFont::Medium);
            setFixedHeight(owner, 40);
        }
        break;
    case WT_Button_Push_Accent_Filled_40:
    case WT_Button_Push_Accent_Filled_48:
    case WT_Button_Push_Accent_Filled_56:
        apply(WT_Button_Push);
        painter->setBackground(stateColors(SC_Accent));
        painter->setTextColors(KelStateColors(color(CL_Text_Light)));
        if (id == WT_Button_Push_Accent_Filled_40) {
            painter->setFont(14, QFont::Medium);
            setFixedHeight(owner, 40);
        } else {
            painter->setContentsMargins(QMargins(12, 0, 12, 1));
            painter->setFont(id == WT_Button_Push_Accent_Filled_48 ? 16 : 18, QFont::Medium);
            setFixedHeight(owner, id == WT_Button_Push_Accent_Filled_48 ? 48 : 56);
        }
        break;
    case WT_Button_Push_Accent_Outline_28:
    case WT_Button_Push_Accent_Outline_48: {
        apply(WT_Button_Push);
        const QColor hovered = dark ? color(CL_Accent_15) : color(CL_Accent_5);
        const QColor pressed = dark ? color(CL_Accent_5) : color(CL_Accent_15);
        painter->setBackground(fourColorSet(tr, hovered, pressed, inv));
        painter->setBorderColors(stateColors(SC_Accent));
        painter->setBorderWidths(uniform(1));
        painter->setTextColors(KelStateColors(color(CL_Accent)));
        if (id == WT_Button_Push_Accent_Outline_28) {
            painter->setPaddings(uniform(3));
            setFixedHeight(owner, 28);
        } else {
            painter->setFont(16, QFont::Medium);
            setFixedHeight(owner, 48);
        }
        break;
    }
    case WT_Button_Segment_34:
    case WT_Button_Segment_42: {
        apply(WT_Button_Push);
        const QColor base = dark ? color(CL_Gray_8) : QColor(Qt::white);
        painter->setBackground({tr, colorWithAlphaF(base, 0.75), base, inv, base, base, base, inv});
        painter->setSpacing(6);
        setFixedHeight(owner, id == WT_Button_Segment_34 ? 34 : 42);
        applyToggleShadow(owner, button);
        break;
    }
    case WT_Button_Tool_32:
    case WT_Button_Tool_36:
        painter->setPaddings(uniform(metric(M_Button_Push_CornerRadius)));
        painter->setBackground({tr, color(CL_Gray_8), color(CL_Gray_7), inv, color(CL_Gray_7),
                                color(CL_Gray_6), color(CL_Gray_7), inv});
        painter->setIconColors(KelStateColors(color(CL_Gray_1)));
        setHandCursor(owner);
        setFixedSize(owner, id == WT_Button_Tool_32 ? QSize(32, 32) : QSize(36, 36));
        break;
    case WT_Button_Close_32:
        KelStyle::applyButtonStyle(painter, WT_TitleBar_Close, iconPath);
        setFixedSize(owner, QSize(32, 32));
        painter->setPaddings(uniform(metric(M_Frame_Padding)));
        break;
    case WT_PopupMenuButton_Divided:
        apply(WT_PopupMenuButton);
        painter->setBorderColors(KelStateColors(color(CL_Separator)));
        painter->setBorderWidths(QMargins(0, 1, 0, 0));
        break;
    case WT_ComboBox_TwoLine:
        apply(WT_ComboBox);
        painter->setBorderWidths(QMargins());
        painter->setBackground(stateColors(SC_Gray_Filled));
        painter->setTextColors(KelStateColors(defaultSecondTextColor()));
        painter->setTextSpacing(3);
        painter->setSecondTextColors(KelStateColors(defaultTextColor()));
        painter->setFont(12, QFont::Normal);
        setFixedHeight(owner, 56);
        break;
    case WT_ComboBox_Presets:
        apply(WT_ComboBox_TwoLine);
        painter->setSpacing(12);
        painter->setContentsMargins(QMargins(4, 8, 9, 8));
        painter->setIconColors(KelStateColors(color(CL_Accent)));
        break;
    case WT_ComboBox_Folder:
        apply(WT_ComboBox_TwoLine);
        painter->setContentsMargins(QMargins(12, 8, 9, 8));
        break;
    case WT_ComboBox_PostAction_Idle:
    case WT_ComboBox_PostAction_Active: {
        apply(WT_ComboBox_TwoLine);
        KelStateColors background = painter->background();
        background.normal = tr;
        painter->setBackground(background);
        painter->setSpacing(3);
        painter->setContentsMargins(QMargins(11, 0, 7, 0));
        const KelStateColors marks(id == WT_ComboBox_PostAction_Idle ? color(CL_Gray_1)
                                                                     : color(CL_Accent));
        painter->setIconColors(marks);
        painter->setThirdColors(marks);
        break;
    }
    case WT_Button_Bordered_36:
        apply(WT_Button_Push);
        painter->setBorderColors(fourColorSet(tr, color(CL_Accent_25), color(CL_Accent), inv));
        painter->setBackground(
                fourColorSet(color(CL_Window_Base), color(CL_Accent_15), color(CL_Accent_25), inv));
        painter->setPaddings(uniform(metric(M_Button_Bordered_Padding)));
        painter->setBorderWidths(uniform(2));
        setFixedHeight(owner, 36);
        break;
    case WT_Card: {
        const QColor accent = color(CL_Accent);
        painter->setBackground(KelStateColors(color(CL_Window_Base)));
        painter->setBorderColors(
                {tr, color(CL_Accent_15), color(CL_Accent_25), inv, accent, accent, accent, inv});
        painter->setPaddings(uniform(6));
        painter->setBorderWidths(uniform(2));
        setSizePolicy(owner, QSizePolicy::Minimum, QSizePolicy::Fixed);
        break;
    }
    case WT_Card_Cell:
        painter->setContentLayoutMode(KelButtonPainter::ArrowFollowsText);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setPaddings(uniform(metric(M_Cell_Padding)));
        painter->setBorderWidths(uniform(1));
        painter->setSpacing(4);
        painter->setContentsMargins(QMargins(2, 0, 5, 0));
        painter->setThirdColors(KelStateColors(color(CL_Gray_3)));
        painter->setBorderColors(
                {tr, color(CL_Accent_50), color(CL_Accent), inv, color(CL_Gray_4), tr, tr, inv});
        painter->setBackground({tr, color(CL_Accent_15), color(CL_Accent_25), inv, tr, tr, tr, inv});
        painter->setTextColors(fourColorSet(defaultTextColor(), tr, tr, color(CL_Gray_4)));
        setFixedHeight(owner, 30);
        setSizePolicy(owner, QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        setHandCursor(owner);
        painter->setLayoutParams(arrowParams(AR_Chevron_Down), arrowParams(AR_Chevron_Up));
        break;
    case WT_Card_Thumbnail:
        painter->setBorderWidths(uniform(1));
        painter->setBorderColors(KelStateColors(black(0.1)));
        painter->setPaddings(uniform(4));
        painter->setColorizeIcon(false);
        setFixedSize(owner, size(SZ_Card_Thumbnail));
        setHandCursor(owner);
        break;
    case WT_Card_Prop:
    case WT_Card_Prop_Set:
    case WT_Card_Prop_Extra:
        apply(WT_Button_Push_Gray_Filled_36);
        painter->setTextColors(KelStateColors(color(CL_Gray_1)));
        painter->setContentsMargins(uniform(6));
        if (id == WT_Card_Prop) {
            painter->setPaddings(uniform(4));
            painter->setIconColors(KelStateColors(color(CL_Gray_1)));
            painter->setTextAlignment(Qt::AlignCenter);
        } else if (id == WT_Card_Prop_Set) {
            painter->setPaddings(QMargins(4, 0, 0, 4));
            painter->setIconColors(KelStateColors(color(CL_Accent)));
            painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            painter->setPaddings(QMargins(0, 4, 4, 0));
            painter->setIconColors(KelStateColors(color(CL_Gray_1)));
            setHandCursor(owner);
        }
        break;
    case WT_Card_Message_Success:
    case WT_Card_Message_Warning:
        painter->setIcon(id == WT_Card_Message_Success ? ":/svg/msg-check-small.svg"
                                                       : ":/svg/msg-warning-small.svg");
        painter->setTextColors(KelStateColors(
                id == WT_Card_Message_Success ? color(CL_Success) : color(CL_Text_Error)));
        painter->setFont(14, QFont::Medium);
        setFixedHeight(owner, 36);
        break;
    case WT_Button_Tab:
        painter->setBackground({tr, color(CL_Gray_8), color(CL_Gray_7), inv, tr, tr, tr, inv});
        painter->setTextColors({defaultTextColor(), tr, tr, inv, color(CL_Accent), tr, tr, inv});
        painter->setSpacing(6);
        painter->setMargins(QMargins(0, 1, 0, 1));
        painter->setContentsMargins(QMargins(8, 0, 8, 0));
        setFixedHeight(owner, 56);
        break;
    case WT_PresetRow_Left:
    case WT_PresetRow_Right:
        apply(WT_MenuItem);
        painter->setBorderWidths(QMargins(0, 0, 0, 1));
        painter->setBorderColors(KelStateColors(color(CL_Separator)));
        painter->setTextColors(KelStateColors(defaultTextColor()));
        painter->setIconColors({color(CL_Gray_4), tr, tr, inv, color(CL_Accent), tr, tr, inv});
        setSizePolicy(owner, QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        setFixedHeight(owner, 56);
        if (id == WT_PresetRow_Left) {
            painter->setMargins(QMargins(1, 0, 0, 0));
            painter->setContentsMargins(QMargins(7, 0, 16, 0));
        } else {
            painter->setMargins(QMargins(1, 0, 1, 0));
            painter->setContentsMargins(QMargins(7, 0, 15, 0));
            painter->setSecondTextColors(KelStateColors(defaultTextColor()));
        }
        break;
    case WT_Button_Play:
        painter->setPaddings(uniform(16));
        painter->setBackground(KelStateColors(color(CL_Gray_8), color(CL_Gray_7), color(CL_Gray_6),
                                              color(CL_Gray_8), color(CL_Gray_7), color(CL_Gray_6)));
        painter->setIconColors(KelStateColors(color(CL_Gray_1)));
        if (button)
            button->setCheckable(true);
        setFixedSize(owner, QSize(32, 32));
        break;
    case WT_Button_Alignment: {
        const QColor pressed = blendColors(color(CL_Window_Base), color(CL_Accent_15));
        const QColor accent = color(CL_Accent);
        painter->setBackground(
                {color(CL_Gray_8), color(CL_Gray_7), pressed, inv, pressed, pressed, pressed, inv});
        painter->setPaddings(uniform(4));
        painter->setIconColors(
                {color(CL_Gray_1), color(CL_Gray_1), accent, inv, accent, accent, accent, inv});
        setFixedSize(owner, QSize(40, 40));
        setHandCursor(owner);
        break;
    }
    case WT_Button_ColorSwatch: {
        const QColor accent = color(CL_Accent);
        painter->setBackground(stateColors(SC_Gray_Filled));
        painter->setPaddings(uniform(20));
        painter->setBorderWidths(uniform(2));
        painter->setBorderColors(
                {tr, color(CL_Accent_Hover), accent, inv, accent, accent, accent, inv});
        setFixedSize(owner, QSize(40, 40));
        break;
    }
    case WT_FilePath:
    case WT_FilePath_Thumbnail:
        apply(WT_Button_Push_Gray_Outline_40);
        painter->setFont(14, QFont::Normal);
        painter->setSecondFont(14, QFont::Normal);
        painter->setSecondTextColors(KelStateColors(defaultSecondTextColor()));
        painter->setIconPlacement(Qt::RightEdge);
        painter->setElideMode(Qt::ElideMiddle);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setTextLayoutMode(KelButtonPainter::TextStacked);
        setSizePolicy(owner, QSizePolicy::Ignored, QSizePolicy::Fixed);
        painter->setContentsMargins(id == WT_FilePath ? QMargins(12, 0, 7, 0)
                                                      : QMargins(40, 0, 7, 0));
        break;
    case WT_Badge_Count:
        painter->setBackground(KelStateColors(dark ? white(0.1) : black(0.1)));
        painter->setPaddings(uniform(4));
        painter->setTextColors(KelStateColors(dark ? color(CL_Text_Light) : color(CL_Gray_1)));
        painter->setContentsMargins(QMargins(4, 2, 4, 2));
        painter->setFont(12, QFont::Medium);
        painter->setTextLayoutMode(KelButtonPainter::TextSideBySide);
        painter->setSecondFont(12, QFont::Bold);
        painter->setSecondTextColors(KelStateColors(color(CL_Success)));
        painter->setSpacing(3);
        break;
    case WT_Badge:
    case WT_Badge_Tall:
        painter->setBackground(KelStateColors(black(0.3)));
        painter->setPaddings(uniform(4));
        painter->setTextColors(KelStateColors(color(CL_Text_Light)));
        painter->setContentsMargins(id == WT_Badge ? QMargins(4, 2, 4, 2) : QMargins(4, 2, 4, 3));
        painter->setFont(14, QFont::Medium);
        break;
    default:
        KelStyle::applyButtonStyle(painter, id, iconPath);
        break;
    }
}

void Style::applyLineEditStyle(KelLineEdit *lineEdit, int id) const
{
    if (!lineEdit)
        return;
    switch (id) {
    case WT_LineEdit_Title: {
        applyLineEditStyle(lineEdit, WT_LineEdit);
        setWidgetFont(lineEdit, 16, QFont::Normal);
        lineEdit->setContentsMargins(QMargins(7, 0, 7, 0));
        lineEdit->setTextVerticalShift(-2);
        const QColor tr = transparent();
        const QColor accent = color(CL_Accent);
        lineEdit->setBorderColors({tr, tr, accent, QColor(), accent, tr, tr, QColor()});
        lineEdit->setFocusPolicy(Qt::ClickFocus);
        setSizePolicy(lineEdit, QSizePolicy::Maximum, QSizePolicy::Fixed);
        setFixedHeight(lineEdit, 32);
        QPalette palette = lineEdit->palette();
        palette.setColor(QPalette::Active, QPalette::Text, defaultTextColor());
        palette.setColor(QPalette::Disabled, QPalette::Text, defaultTextColor());
        if (palette != lineEdit->palette())
            lineEdit->setPalette(palette);
        break;
    }
    case WT_LineEdit_Search:
    case WT_LineEdit_Search_Underlined:
        applyLineEditStyle(lineEdit, WT_LineEdit_ClearOnEscape);
        lineEdit->setIcon(QStringLiteral(":/svg/search.svg"));
        lineEdit->setIconColors(KelStateColors(color(CL_Gray_3)));
        lineEdit->setIconMargins(QMargins(6, 0, 0, 0));
        if (id == WT_LineEdit_Search) {
            setFixedHeight(lineEdit, 36);
        } else {
            lineEdit->setPaddings(QMargins());
            lineEdit->setBorderWidths(QMargins(0, 0, 0, 1));
            lineEdit->setBorderColors(KelStateColors(color(CL_Gray_7)));
        }
        break;
    case WT_LineEdit_Code:
        KelStyle::applyLineEditStyle(lineEdit, WT_LineEdit);
        setWidgetFont(lineEdit, 20, QFont::Normal, MonoFontFamily);
        lineEdit->setContentsMargins(QMargins(17, 10, 17, 10));
        lineEdit->setAlignment(Qt::AlignCenter);
        setSizePolicy(lineEdit, QSizePolicy::Fixed, QSizePolicy::Fixed);
        break;
    default:
        KelStyle::applyLineEditStyle(lineEdit, id);
        break;
    }
}

void Style::applySpinBoxStyle(KelSpinBoxPainter *spinBox, int id) const
{
    if (!spinBox || id != WT_SpinBox_Compact) {
        KelStyle::applySpinBoxStyle(spinBox, id);
        return;
    }
    applySpinBoxStyle(spinBox, WT_SpinBox);
    spinBox->setContentsMargins(QMargins(2, 0, 2, 0));
    auto *owner = qobject_cast<QAbstractSpinBox *>(spinBox->widget());
    if (!owner)
        return;
    owner->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFixedSize(owner, QSize(52, 26));
    owner->setButtonSymbols(QAbstractSpinBox::NoButtons);
    setWidgetFont(owner, 14, QFont::Normal);
    setTextColor(owner, defaultTextColor());
}

void Style::applySliderStyle(KelSlider *slider, int id) const
{
    if (!slider)
        return;
    KelButton *handle = slider->positionHandle();
    switch (id) {
    case WT_Slider_Default: {
        const int m = metric(M_Inset);
        slider->setGrooveMargins(6, 3);
        slider->setGrooveColors(color(CL_Gray_7), color(CL_Gray_4));
        slider->setContentsMargins(uniform(m));
        if (slider->orientation() == Qt::Horizontal)
            slider->setMinimumHeight(26);
        else
            slider->setMinimumWidth(26);
        // The knob: a white disc; the ids built on this one may recolour
        // and resize it.
        slider->setHandleColor(QColor());
        slider->setHandleSize(QSize(16, 16), 8);
        handle->setPaddings(uniform(8));
        handle->setBackground(KelStateColors(Qt::white));
        handle->stateAnimator()->setDisabledOpacity(1.0);
        applyKnobShadow(handle, color(CL_PopupMenu_Shadow), 2.0 * m);
        break;
    }
    case WT_Slider_Line:
    case WT_Slider_Line_Accent:
        applySliderStyle(slider, WT_Slider_Default);
        if (id == WT_Slider_Line) {
            slider->setHoverTracking(KelSlider::HoverActiveAtMinimum);
            slider->setHandleColor(color(CL_Gray_7));
        } else {
            slider->setGrooveColors(color(CL_Gray_6), color(CL_Accent));
            slider->setHoverTracking(5);
            slider->setHandleColor(color(CL_Gray_6));
        }
        slider->setHandleSize(QSize(1, 20));
        break;
    case WT_Slider_Position:
    case WT_Slider_Trim:
        slider->setMinimumHeight(16);
        slider->setGrooveMargins(4, 2);
        slider->setGrooveColors(color(CL_Gray_6), color(CL_Accent));
        slider->setGrooveHeight(2);
        slider->setHandleMargin(1);
        slider->setHandleColor(QColor());
        handle->setBackground(
                fourColorSet(color(CL_Window_Base), color(CL_Gray_8), color(CL_Gray_7), QColor()));
        handle->setPaddings(uniform(8));
        handle->setBorderWidths(uniform(2));
        handle->setBorderColors(KelStateColors(color(CL_Accent_Deep)));
        slider->setHandleSize(QSize(16, 16), 8);
        handle->setFocusPolicy(slider->focusPolicy());
        if (id == WT_Slider_Trim) {
            slider->setHoverTracking(KelSlider::NoHoverTracking);
            slider->setHandleSize(QSize(2, 14));
            applyTrimHandleStyle(slider->leftTrimHandle());
            applyTrimHandleStyle(slider->rightTrimHandle());
            slider->setTrimColors(color(CL_Accent), color(CL_Gray_6));
        }
        break;
    default:
        KelStyle::applySliderStyle(slider, id);
        break;
    }
}

void Style::applyTrimHandleStyle(KelButton *handle) const
{
    if (!handle)
        return;
    handle->setContentsMargins(QMargins(6, 2, 6, 8));
    handle->setBackground(stateColors(SC_Accent));
    handle->setTextColors(KelStateColors(color(CL_Text_Light)));
    handle->setFont(12, QFont::Normal);
}

void Style::applyResizerOverlayStyle(ResizerOverlay *overlay, int id) const
{
    if (!overlay || id != WT_ResizerOverlay)
        return;
    ResizerOverlay::Appearance a;
    a.shadeColor = transparent();
    a.hitMargin = 4;
    a.borderWidth = 2;
    a.borderOffset = -2;
    a.borderColor = color(CL_Accent);
    a.borderStyle = Qt::SolidLine;
    a.handleSize = 10;
    a.handleOffset = -5;
    a.handleBorderWidth = 1;
    a.handleRadius = 5;
    a.handleBorderColor = color(CL_Accent);
    a.handleColor = Qt::white;
    overlay->setAppearance(a);
}

void Style::applyScrollAreaStyle(KelScrollArea *area, int id) const
{
    if (!area)
        return;
    switch (id) {
    case WT_ScrollArea:
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        KelAnimatedScrollBar::installOn(WT_ScrollBar, area);
        break;
    case WT_ScrollArea_List:
        applyScrollAreaStyle(area, WT_ScrollArea);
        setBackgroundColor(area, color(CL_List_Base));
        break;
    default:
        KelStyle::applyScrollAreaStyle(area, id);
        break;
    }
}

void Style::applyIconStyle(KelIcon *icon) const
{
    using namespace KelAnimatedIcons;
    KelStyle::applyIconStyle(icon);
    if (!icon)
        return;
    const QColor tr = transparent();
    const QColor inv;
    const QColor hover = hoverOverlayColor(inv);
    const QColor press = pressedOverlayColor(inv);
    const QColor accent = color(CL_Accent);
    const QString name = icon->path();
    if (name == QLatin1String(ToggleIcon::Name)) {
        if (auto *toggle = dynamic_cast<ToggleIcon *>(icon)) {
            const QColor track = color(CL_Gray_6);
            const QColor faded = colorWithAlphaF(track, 0.6);
            toggle->setColors1({track, hover, press, faded, accent, hover, press, faded});
        }
    } else if (name == QLatin1String(RadioIcon::Name)) {
        if (auto *radio = dynamic_cast<RadioIcon *>(icon)) {
            const QColor dot = color(CL_Gray_1);
            radio->setColors1({tr, hover, press, inv, dot, tr, tr, inv});
            radio->setColors2({color(CL_Gray_4), hover, press, inv, dot, dot, dot, inv});
        }
    } else if (name == QLatin1String(CheckBoxIcon::Name)) {
        if (auto *checkBox = dynamic_cast<CheckBoxIcon *>(icon)) {
            checkBox->setIconSize(QSize(20, 20));
            QPainterPath check(QPointF(4.5, 10.0));
            check.lineTo(8.0, 13.5);
            check.lineTo(15.5, 6.5);
            checkBox->setCheckPath(check);
            const QColor hovered = color(CL_Accent_Hover);
            const QColor pressed = color(CL_Accent_Pressed);
            checkBox->setColors1(
                    {tr, color(CL_Gray_7), color(CL_Gray_6), inv, accent, hovered, pressed, inv});
            const QColor border = color(CL_Gray_4);
            checkBox->setColors2({border, border, border, inv, accent, hovered, pressed, inv});
        }
    }
}
