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
    case 9:
    case 1053:
    case 1059:
        *recipe = {14, QFont::Normal, LabelRecipe::Default};
        return true;
    case 1051:
        *recipe = {12, QFont::Normal, LabelRecipe::Default};
        return true;
    case 1052:
        *recipe = {12, QFont::Normal, LabelRecipe::Second};
        return true;
    case 1054:
        *recipe = {14, QFont::Medium, LabelRecipe::Default};
        return true;
    case 1055:
        *recipe = {14, QFont::Medium, LabelRecipe::Strong};
        return true;
    case 1056:
        *recipe = {15, QFont::Normal, LabelRecipe::Default};
        return true;
    case 1057:
        *recipe = {16, QFont::Medium, LabelRecipe::Default};
        return true;
    case 1058:
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
    case 0:
        return 0;
    case 1:
        return 48;
    case 2:
        return 8;
    case 6:
        return 2;
    case 18:
        return 8;
    case 19:
        return 4;
    case 23:
        return 4;
    case 25:
        return 40;
    case 1000:
    case 1001:
        return 4;
    case 1002:
        return 6;
    case 1003:
        return 3;
    case 1004:
        return 6;
    case 1005:
        return 2;
    default:
        return KelStyle::metric(id);
    }
}

QSize Style::size(int id) const
{
    switch (id) {
    case 0:
    case 1:
        return QSize(0, 0);
    case 1000:
        return QSize(193, 108);
    default:
        return KelStyle::size(id);
    }
}

QMargins Style::margins(int id) const
{
    switch (id) {
    case 4:
    case 6:
    case 7:
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
    case 1:
        return color(1014);
    case 2:
        return themed(0x2D2D2D, 0xFFFFFF);
    case 3:
        return dark ? white(0.12) : black(0.2);
    case 4:
        return black(0.3);
    case CL_Dialog_Base:
        return color(2);
    case CL_PopupMenu_Base:
        return dark ? color(1014) : color(2);
    case CL_Text_Dark:
        return Qt::black;
    case CL_Text_Light:
        return Qt::white;
    case 20:
        return themed(0x31AE63, 0x48BD77);
    case CL_Button_Push_Base:
        return color(1007);
    case 1000:
        return QColor(0xD75A71);
    case 1001:
        return colorWithAlphaF(color(CL_Accent), 0.05);
    case 1002:
        return colorWithAlphaF(color(CL_Accent), 0.15);
    case 1003:
        return colorWithAlphaF(color(CL_Accent), 0.25);
    case 1004:
        return colorWithAlphaF(color(CL_Accent), 0.5);
    case 1005:
        return QColor(0xF27B90);
    case 1006:
        return QColor(0xC94F65);
    // The grey ramp, from the strongest foreground to the faintest fill.
    case 1007:
        return themed(0xE1E1E1, 0x303030);
    case 1008:
        return themed(0xC1C1C1, 0x505050);
    case 1009:
        return themed(0xA0A0A0, 0x7B7B7B);
    case 1010:
        return themed(0x7D7D7D, 0xA1A1A1);
    case 1011:
        return themed(0x626262, 0xBFBFBF);
    case 1012:
        return themed(0x4F4F4F, 0xD6D6D6);
    case 1013:
        return themed(0x444444, 0xE4E4E4);
    case 1014:
        return themed(0x3A3A3A, 0xF2F2F2);
    case 1015:
        return themed(0x313131, 0xF6F6F6);
    case 1017:
        return dark ? QColor(0x202020) : color(1014);
    case 1018:
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
    case 0:
        return {tr, color(1013), color(1012), inv, color(1002), tr, tr, inv};
    case 4:
        return KelStateColors(tr);
    case 5:
        return {color(1012), color(1010), color(0), inv, color(0), tr, tr, inv};
    case 1000:
        return {color(0), color(1005), color(1006), inv, color(0), color(1005), color(1006), inv};
    case 1001:
        return {color(1014), color(1013), color(1012), inv,
                color(1012), color(1012), color(1012), inv};
    default:
        return KelStyle::stateColors(id);
    }
}

KelArrowParams Style::arrowParams(int id) const
{
    switch (id) {
    case 1000:
        return {QSize(12, 7), QMargins(0, 0, 1, 0), Qt::DownArrow, 1.5};
    case 1001:
        return {QSize(12, 7), QMargins(0, 0, 1, 0), Qt::UpArrow, 1.5};
    default:
        return KelStyle::arrowParams(id);
    }
}

QString Style::iconPath(int id) const
{
    switch (id) {
    case 10:
        return QStringLiteral(":/svg/titlebar-minimize.svg");
    case 11:
        return QStringLiteral(":/svg/titlebar-maximize.svg");
    case 12:
        return QStringLiteral(":/svg/titlebar-restore.svg");
    case 13:
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
    case 0:
        KelStyle::applyWindowStyle(window, 0);
        if (bar) {
            setFixedHeight(bar, 40);
            bar->setStyleId(1048);
            bar->appIcon()->setIcon(QStringLiteral(":/appicon.svg"));
            bar->appIcon()->setContentsMargins(10, 0, 6, 0);
            bar->titleLabel()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        break;
    case 1: {
        KelStyle::applyWindowStyle(window, 1);
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
    case 2:
        KelStyle::applyWindowStyle(window, 2);
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
    case 3:
    case 5: {
        KelStyle::applyWindowStyle(window, 3);
        const int m = metric(1000);
        window->setContentsMargins(0, m, 0, m);
        break;
    }
    case 1000:
        KelStyle::applyWindowStyle(window, 1);
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
        frame->setBorderColor(color(1012));
        break;
    case 1001:
        applyWindowStyle(window, 3);
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setContentsMargins(0, 0, 0, 0);
        frame->setBackground(color(2));
        frame->setBorderWidth(1);
        frame->setBorderColor(color(1013));
        frame->setShadowRadius(0);
        break;
    case 1002:
        KelStyle::applyWindowStyle(window, 3);
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
    case 1048:
        painter->setBorderColors(KelStateColors(color(1)));
        break;
    case 1049:
        painter->setBackground(KelStateColors(color(1017)));
        painter->setPaddings(uniform(metric(1002)));
        break;
    case 1050:
        painter->setBorderWidths(uniform(1));
        painter->setPaddings(uniform(6));
        painter->setBorderColors(
                fourColorSet(color(1012), transparent(), transparent(), color(1013)));
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
        setTextColor(label, color(1000));
        break;
    }
    if (id == 9) {
        label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        label->setWordWrap(true);
    } else if (id == 1059) {
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
    case 11:
        KelStyle::applyButtonStyle(painter, 11, iconPath);
        setSizePolicy(owner, QSizePolicy::Minimum, QSizePolicy::Fixed);
        painter->setTextColors(KelStateColors(defaultTextColor()));
        break;
    case 16:
    case 19:
        KelStyle::applyButtonStyle(painter, id, iconPath);
        if (owner)
            owner->setMinimumHeight(metric(25));
        break;
    case 18: {
        KelStyle::applyButtonStyle(painter, 18, iconPath);
        KelStateColors border = painter->borderColors();
        border.pressed = color(1011);
        border.checked = color(1010);
        painter->setBorderColors(border);
        painter->setThirdColors(KelStateColors(color(1007)));
        painter->setLayoutParams(arrowParams(1000), arrowParams(1001));
        break;
    }
    case 20:
        apply(1010);
        break;
    case 21:
        apply(1011);
        break;
    case 22:
    case 23:
    case 24:
    case 25:
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
    case 26:
        painter->setIconColors(fourColorSet(color(1009), color(0), color(0).darker(120), inv));
        setHandCursor(owner);
        setFixedSize(owner, QSize(24, 24));
        break;
    case 1003:
    case 1004:
        KelStyle::applyButtonStyle(painter, 15, QString());
        painter->setIconSize(id == 1003 ? QSize(28, 18) : QSize(40, 24));
        break;
    case 1005:
    case 1006:
    case 1007:
    case 1008: {
        apply(11);
        painter->setBackground(stateColors(1001));
        if (id == 1008)
            painter->setFont(18, QFont::Medium);
        if (id != 1005) {
            const int side = id == 1006 ? 8 : id == 1007 ? 12 : 16;
            painter->setContentsMargins(QMargins(side, 0, side, 0));
        }
        static const int heights[] = {36, 40, 48, 56};
        setFixedHeight(owner, heights[id - 1005]);
        break;
    }
    case 1009:
    case 1010:
        apply(11);
        painter->setBackground(
                dark ? KelStateColors(tr, color(1014), tr, inv, tr, color(1014), tr, inv)
                     : KelStateColors(tr, color(1014), color(1013), inv, tr, color(1014),
                                      color(1013), inv));
        painter->setBorderColors(fourColorSet(color(1011), color(1010), color(1009), inv));
        painter->setBorderWidths(uniform(1));
        if (id == 1009) {
            painter->setPaddings(uniform(metric(1003)));
            setFixedHeight(owner, 28);
        } else {
            painter->setFont(14, QFont::Medium);
            setFixedHeight(owner, 40);
        }
        break;
    case 1011:
    case 1012:
    case 1013:
        apply(11);
        painter->setBackground(stateColors(1000));
        painter->setTextColors(KelStateColors(color(CL_Text_Light)));
        if (id == 1011) {
            painter->setFont(14, QFont::Medium);
            setFixedHeight(owner, 40);
        } else {
            painter->setContentsMargins(QMargins(12, 0, 12, 1));
            painter->setFont(id == 1012 ? 16 : 18, QFont::Medium);
            setFixedHeight(owner, id == 1012 ? 48 : 56);
        }
        break;
    case 1014:
    case 1015: {
        apply(11);
        const QColor hovered = dark ? color(1002) : color(1001);
        const QColor pressed = dark ? color(1001) : color(1002);
        painter->setBackground(fourColorSet(tr, hovered, pressed, inv));
        painter->setBorderColors(stateColors(1000));
        painter->setBorderWidths(uniform(1));
        painter->setTextColors(KelStateColors(color(CL_Accent)));
        if (id == 1014) {
            painter->setPaddings(uniform(3));
            setFixedHeight(owner, 28);
        } else {
            painter->setFont(16, QFont::Medium);
            setFixedHeight(owner, 48);
        }
        break;
    }
    case 1016:
    case 1017: {
        apply(11);
        const QColor base = dark ? color(1014) : QColor(Qt::white);
        painter->setBackground({tr, colorWithAlphaF(base, 0.75), base, inv, base, base, base, inv});
        painter->setSpacing(6);
        setFixedHeight(owner, id == 1016 ? 34 : 42);
        applyToggleShadow(owner, button);
        break;
    }
    case 1018:
    case 1019:
        painter->setPaddings(uniform(metric(19)));
        painter->setBackground(
                {tr, color(1014), color(1013), inv, color(1013), color(1012), color(1013), inv});
        painter->setIconColors(KelStateColors(color(1007)));
        setHandCursor(owner);
        setFixedSize(owner, id == 1018 ? QSize(32, 32) : QSize(36, 36));
        break;
    case 1020:
        KelStyle::applyButtonStyle(painter, 25, iconPath);
        setFixedSize(owner, QSize(32, 32));
        painter->setPaddings(uniform(metric(1002)));
        break;
    case 1021:
        apply(19);
        painter->setBorderColors(KelStateColors(color(1)));
        painter->setBorderWidths(QMargins(0, 1, 0, 0));
        break;
    case 1022:
        apply(18);
        painter->setBorderWidths(QMargins());
        painter->setBackground(stateColors(1001));
        painter->setTextColors(KelStateColors(defaultSecondTextColor()));
        painter->setTextSpacing(3);
        painter->setSecondTextColors(KelStateColors(defaultTextColor()));
        painter->setFont(12, QFont::Normal);
        setFixedHeight(owner, 56);
        break;
    case 1023:
        apply(1022);
        painter->setSpacing(12);
        painter->setContentsMargins(QMargins(4, 8, 9, 8));
        painter->setIconColors(KelStateColors(color(CL_Accent)));
        break;
    case 1024:
        apply(1022);
        painter->setContentsMargins(QMargins(12, 8, 9, 8));
        break;
    case 1025:
    case 1026: {
        apply(1022);
        KelStateColors background = painter->background();
        background.normal = tr;
        painter->setBackground(background);
        painter->setSpacing(3);
        painter->setContentsMargins(QMargins(11, 0, 7, 0));
        const KelStateColors marks(id == 1025 ? color(1007) : color(CL_Accent));
        painter->setIconColors(marks);
        painter->setThirdColors(marks);
        break;
    }
    case 1027:
        apply(11);
        painter->setBorderColors(fourColorSet(tr, color(1003), color(CL_Accent), inv));
        painter->setBackground(fourColorSet(color(2), color(1002), color(1003), inv));
        painter->setPaddings(uniform(metric(1004)));
        painter->setBorderWidths(uniform(2));
        setFixedHeight(owner, 36);
        break;
    case 1028: {
        const QColor accent = color(CL_Accent);
        painter->setBackground(KelStateColors(color(2)));
        painter->setBorderColors({tr, color(1002), color(1003), inv, accent, accent, accent, inv});
        painter->setPaddings(uniform(6));
        painter->setBorderWidths(uniform(2));
        setSizePolicy(owner, QSizePolicy::Minimum, QSizePolicy::Fixed);
        break;
    }
    case 1029:
        painter->setContentLayoutMode(1);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setPaddings(uniform(metric(1005)));
        painter->setBorderWidths(uniform(1));
        painter->setSpacing(4);
        painter->setContentsMargins(QMargins(2, 0, 5, 0));
        painter->setThirdColors(KelStateColors(color(1009)));
        painter->setBorderColors({tr, color(1004), color(CL_Accent), inv, color(1010), tr, tr, inv});
        painter->setBackground({tr, color(1002), color(1003), inv, tr, tr, tr, inv});
        painter->setTextColors(fourColorSet(defaultTextColor(), tr, tr, color(1010)));
        setFixedHeight(owner, 30);
        setSizePolicy(owner, QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        setHandCursor(owner);
        painter->setLayoutParams(arrowParams(1000), arrowParams(1001));
        break;
    case 1030:
        painter->setBorderWidths(uniform(1));
        painter->setBorderColors(KelStateColors(black(0.1)));
        painter->setPaddings(uniform(4));
        painter->setColorizeIcon(false);
        setFixedSize(owner, size(1000));
        setHandCursor(owner);
        break;
    case 1031:
    case 1032:
    case 1033:
        apply(1005);
        painter->setTextColors(KelStateColors(color(1007)));
        painter->setContentsMargins(uniform(6));
        if (id == 1031) {
            painter->setPaddings(uniform(4));
            painter->setIconColors(KelStateColors(color(1007)));
            painter->setTextAlignment(Qt::AlignCenter);
        } else if (id == 1032) {
            painter->setPaddings(QMargins(4, 0, 0, 4));
            painter->setIconColors(KelStateColors(color(CL_Accent)));
            painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            painter->setPaddings(QMargins(0, 4, 4, 0));
            painter->setIconColors(KelStateColors(color(1007)));
            setHandCursor(owner);
        }
        break;
    case 1034:
    case 1035:
        painter->setIcon(id == 1034 ? ":/svg/msg-check-small.svg" : ":/svg/msg-warning-small.svg");
        painter->setTextColors(KelStateColors(id == 1034 ? color(20) : color(CL_Text_Error)));
        painter->setFont(14, QFont::Medium);
        setFixedHeight(owner, 36);
        break;
    case 1036:
        painter->setBackground({tr, color(1014), color(1013), inv, tr, tr, tr, inv});
        painter->setTextColors({defaultTextColor(), tr, tr, inv, color(CL_Accent), tr, tr, inv});
        painter->setSpacing(6);
        painter->setMargins(QMargins(0, 1, 0, 1));
        painter->setContentsMargins(QMargins(8, 0, 8, 0));
        setFixedHeight(owner, 56);
        break;
    case 1038:
    case 1039:
        apply(16);
        painter->setBorderWidths(QMargins(0, 0, 0, 1));
        painter->setBorderColors(KelStateColors(color(1)));
        painter->setTextColors(KelStateColors(defaultTextColor()));
        painter->setIconColors({color(1010), tr, tr, inv, color(CL_Accent), tr, tr, inv});
        setSizePolicy(owner, QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        setFixedHeight(owner, 56);
        if (id == 1038) {
            painter->setMargins(QMargins(1, 0, 0, 0));
            painter->setContentsMargins(QMargins(7, 0, 16, 0));
        } else {
            painter->setMargins(QMargins(1, 0, 1, 0));
            painter->setContentsMargins(QMargins(7, 0, 15, 0));
            painter->setSecondTextColors(KelStateColors(defaultTextColor()));
        }
        break;
    case 1040:
        painter->setPaddings(uniform(16));
        painter->setBackground(KelStateColors(color(1014), color(1013), color(1012), color(1014),
                                              color(1013), color(1012)));
        painter->setIconColors(KelStateColors(color(1007)));
        if (button)
            button->setCheckable(true);
        setFixedSize(owner, QSize(32, 32));
        break;
    case 1041: {
        const QColor pressed = blendColors(color(2), color(1002));
        const QColor accent = color(CL_Accent);
        painter->setBackground(
                {color(1014), color(1013), pressed, inv, pressed, pressed, pressed, inv});
        painter->setPaddings(uniform(4));
        painter->setIconColors({color(1007), color(1007), accent, inv, accent, accent, accent, inv});
        setFixedSize(owner, QSize(40, 40));
        setHandCursor(owner);
        break;
    }
    case 1042: {
        const QColor accent = color(CL_Accent);
        painter->setBackground(stateColors(1001));
        painter->setPaddings(uniform(20));
        painter->setBorderWidths(uniform(2));
        painter->setBorderColors({tr, color(1005), accent, inv, accent, accent, accent, inv});
        setFixedSize(owner, QSize(40, 40));
        break;
    }
    case 1043:
    case 1044:
        apply(1010);
        painter->setFont(14, QFont::Normal);
        painter->setSecondFont(14, QFont::Normal);
        painter->setSecondTextColors(KelStateColors(defaultSecondTextColor()));
        painter->setIconPlacement(Qt::RightEdge);
        painter->setElideMode(Qt::ElideMiddle);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setTextLayoutMode(2);
        setSizePolicy(owner, QSizePolicy::Ignored, QSizePolicy::Fixed);
        painter->setContentsMargins(id == 1043 ? QMargins(12, 0, 7, 0) : QMargins(40, 0, 7, 0));
        break;
    case 1045:
        painter->setBackground(KelStateColors(dark ? white(0.1) : black(0.1)));
        painter->setPaddings(uniform(4));
        painter->setTextColors(KelStateColors(dark ? color(CL_Text_Light) : color(1007)));
        painter->setContentsMargins(QMargins(4, 2, 4, 2));
        painter->setFont(12, QFont::Medium);
        painter->setTextLayoutMode(1);
        painter->setSecondFont(12, QFont::Bold);
        painter->setSecondTextColors(KelStateColors(color(20)));
        painter->setSpacing(3);
        break;
    case 1046:
    case 1047:
        painter->setBackground(KelStateColors(black(0.3)));
        painter->setPaddings(uniform(4));
        painter->setTextColors(KelStateColors(color(CL_Text_Light)));
        painter->setContentsMargins(id == 1046 ? QMargins(4, 2, 4, 2) : QMargins(4, 2, 4, 3));
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
    case 1060: {
        applyLineEditStyle(lineEdit, 29);
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
    case 1061:
    case 1062:
        applyLineEditStyle(lineEdit, 31);
        lineEdit->setIcon(QStringLiteral(":/svg/search.svg"));
        lineEdit->setIconColors(KelStateColors(color(1009)));
        lineEdit->setIconMargins(QMargins(6, 0, 0, 0));
        if (id == 1061) {
            setFixedHeight(lineEdit, 36);
        } else {
            lineEdit->setPaddings(QMargins());
            lineEdit->setBorderWidths(QMargins(0, 0, 0, 1));
            lineEdit->setBorderColors(KelStateColors(color(1013)));
        }
        break;
    case 1063:
        KelStyle::applyLineEditStyle(lineEdit, 29);
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
    if (!spinBox || id != 1064) {
        KelStyle::applySpinBoxStyle(spinBox, id);
        return;
    }
    applySpinBoxStyle(spinBox, 36);
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
    case 37: {
        const int m = metric(1001);
        slider->setGrooveMargins(6, 3);
        slider->setGrooveColors(color(1013), color(1010));
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
        applyKnobShadow(handle, color(11), 2.0 * m);
        break;
    }
    case 1065:
    case 1066:
        applySliderStyle(slider, 37);
        if (id == 1065) {
            slider->setHoverTracking(1);
            slider->setHandleColor(color(1013));
        } else {
            slider->setGrooveColors(color(1012), color(CL_Accent));
            slider->setHoverTracking(5);
            slider->setHandleColor(color(1012));
        }
        slider->setHandleSize(QSize(1, 20));
        break;
    case 1067:
    case 1068:
        slider->setMinimumHeight(16);
        slider->setGrooveMargins(4, 2);
        slider->setGrooveColors(color(1012), color(CL_Accent));
        slider->setGrooveHeight(2);
        slider->setHandleMargin(1);
        slider->setHandleColor(QColor());
        handle->setBackground(fourColorSet(color(2), color(1014), color(1013), QColor()));
        handle->setPaddings(uniform(8));
        handle->setBorderWidths(uniform(2));
        handle->setBorderColors(KelStateColors(color(1000)));
        slider->setHandleSize(QSize(16, 16), 8);
        handle->setFocusPolicy(slider->focusPolicy());
        if (id == 1068) {
            slider->setHoverTracking(-1);
            slider->setHandleSize(QSize(2, 14));
            applyTrimHandleStyle(slider->leftTrimHandle());
            applyTrimHandleStyle(slider->rightTrimHandle());
            slider->setTrimColors(color(CL_Accent), color(1012));
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
    handle->setBackground(stateColors(1000));
    handle->setTextColors(KelStateColors(color(CL_Text_Light)));
    handle->setFont(12, QFont::Normal);
}

void Style::applyResizerOverlayStyle(ResizerOverlay *overlay, int id) const
{
    if (!overlay || id != 1070)
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
    case 39:
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        KelAnimatedScrollBar::installOn(40, area);
        break;
    case 1069:
        applyScrollAreaStyle(area, 39);
        setBackgroundColor(area, color(1017));
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
            const QColor track = color(1012);
            const QColor faded = colorWithAlphaF(track, 0.6);
            toggle->setColors1({track, hover, press, faded, accent, hover, press, faded});
        }
    } else if (name == QLatin1String(RadioIcon::Name)) {
        if (auto *radio = dynamic_cast<RadioIcon *>(icon)) {
            const QColor dot = color(1007);
            radio->setColors1({tr, hover, press, inv, dot, tr, tr, inv});
            radio->setColors2({color(1010), hover, press, inv, dot, dot, dot, inv});
        }
    } else if (name == QLatin1String(CheckBoxIcon::Name)) {
        if (auto *checkBox = dynamic_cast<CheckBoxIcon *>(icon)) {
            checkBox->setIconSize(QSize(20, 20));
            QPainterPath check(QPointF(4.5, 10.0));
            check.lineTo(8.0, 13.5);
            check.lineTo(15.5, 6.5);
            checkBox->setCheckPath(check);
            const QColor hovered = color(1005);
            const QColor pressed = color(1006);
            checkBox->setColors1({tr, color(1013), color(1012), inv, accent, hovered, pressed, inv});
            const QColor border = color(1010);
            checkBox->setColors2({border, border, border, inv, accent, hovered, pressed, inv});
        }
    }
}
