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
    case 0:
        return 1;
    case 1:
        return 20;
    case 2:
        return 0;
    case 3:
        return metric(0);
    case 4:
        return metric(1);
    case 5:
        return metric(2);
    case 6:
        return 1;
    case 7:
        return metric(0);
    case 8:
        return metric(1);
    case 9:
        return metric(2);
    case 10:
        return 3;
    case 11:
        return 150;
    case 12:
        return 200;
    case 13:
        return metric(7);
    case 14:
        return metric(8);
    case 15:
        return metric(9);
    case 16:
    case 17:
        return 150;
    case 18:
        return 8;
    case 19:
        return 0;
    case 20:
    case 21:
        return 8;
    case 22:
        return 1;
    case 23:
        return 0;
    case 24:
        return 1;
    case 25:
    case 26:
        return 24;
    case 27:
        return metric(25);
    case 28:
        return 0;
    case 29:
        return 12;
    case 30:
        return 1;
    case 31:
        return 8;
    case 32:
        return 1;
    case 33:
        return 16;
    case 34:
    case 35:
        return 14;
    default:
        return 0;
    }
}

double KelStyle::opacity(int id) const
{
    switch (id) {
    case 0:
        return 0.6;
    case 1:
        return 0.57;
    default:
        return 0.0;
    }
}

QSize KelStyle::size(int id) const
{
    return id == 0 ? QSize(92, 36) : QSize(0, 0);
}

QMargins KelStyle::margins(int id) const
{
    switch (id) {
    case 0:
        return QMargins(16, 16, 16, 16);
    case 1:
        return QMargins(16, 8, 8, 16);
    case 2:
        return QMargins(4, 4, 4, 4);
    case 4:
        return QMargins(16, 4, 16, 4);
    case 6:
        return QMargins(12, 4, 12, 4);
    case 7:
        return QMargins(8, 0, 8, 0);
    default:
        return QMargins();
    }
}

QColor KelStyle::color(int id) const
{
    switch (id) {
    case 1:
        return pressedOverlayColor(QColor());
    case 2:
        return rgb(0xFFFFFF);
    case 3:
        return colorWithAlphaF(Qt::black, 0.22);
    case 4:
        return color(3);
    case 5:
        return black(isDarkTheme() ? 128 : 64);
    case 6:
        return rgb(0xF4F4F4);
    case 7:
        return color(3);
    case 8:
        return color(4);
    case 9:
        return rgb(0xFFFFFF);
    case 10:
        return color(3);
    case 11:
        return color(4);
    case 12:
        return color(1);
    case 13:
        return color(9);
    case 14:
        return color(10);
    case 15:
        return color(11);
    case 16:
        return rgb(0x2C2B30);
    case 17:
        return rgb(0xF4F4F4);
    case 18:
        return rgb(0x458BCF);
    case 19:
        return rgb(0xFF373A);
    case 20:
        return rgb(0x47AD74);
    case 21:
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
    case 0:
        return {transparent, hover, press, invalid, press, press, press, invalid};
    case 1:
    case 2:
        return stateColors(0);
    case 3: {
        const QColor accent = accentColor();
        const QColor pressedAccent = blendColors(accent, press);
        return {color(21), accent, pressedAccent, invalid, accent, hover, pressedAccent, invalid};
    }
    case 4:
        return {rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xF4F4F4),
                rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0xF4F4F4)};
    case 5:
        return {rgb(0xE2E2E2), hover, press, rgb(0xF1F1F1), press, press, press, rgb(0xF1F1F1)};
    case 6:
        return stateColors(5);
    case 7:
        return {transparent, hover, press, invalid, transparent, hover, press, invalid};
    case 8:
        return {transparent, rgb(0xE81123), rgb(0xA92831), invalid,
                transparent, rgb(0xE81123), rgb(0xA92831), invalid};
    case 9:
        return KelStateColors(isDarkTheme() ? color(17) : color(16));
    default:
        return KelStateColors(invalid);
    }
}

KelArrowParams KelStyle::arrowParams(int id) const
{
    switch (id) {
    case 0:
        return arrow(QSize(8, 5), QMargins(0, 1, 0, 0), Qt::DownArrow);
    case 1:
        return arrow(QSize(5, 8), QMargins(0, 1, 0, 0), Qt::RightArrow);
    case 2:
        return arrow(QSize(8, 5), QMargins(8, 4, 8, 2), Qt::UpArrow);
    case 3:
        return arrow(QSize(8, 5), QMargins(8, 2, 8, 4), Qt::DownArrow);
    default:
        return arrow(QSize(0, 0), QMargins(), Qt::DownArrow);
    }
}

KelAnimationParams KelStyle::animationParams(int kind) const
{
    switch (kind) {
    case 0: // disabled progress
        return animation(QEasingCurve::OutCubic, 500, QEasingCurve::InCubic, 500);
    case 1: // hovered progress
        return animation(QEasingCurve::OutCubic, 200, QEasingCurve::InCubic, 500);
    case 2: // pressed progress
        return animation(QEasingCurve::OutCubic, 200, QEasingCurve::OutCubic, 200);
    case 3: // checked progress
        return animation(QEasingCurve::OutCubic, 300, QEasingCurve::InCubic, 500);
    case 4: // blocked-window overlay fade
        return animation(QEasingCurve::OutCubic, 150, QEasingCurve::InCubic, 350);
    default:
        return KelAnimationParams();
    }
}

QString KelStyle::iconPath(int id) const
{
    switch (id) {
    case 0:
    case 6:
    case 7:
    case 8:
    case 9:
        return QStringLiteral("");
    case 1:
        return QStringLiteral("KelAnimatedCheckBoxIcon");
    case 2:
        return QStringLiteral("KelAnimatedRadioIcon");
    case 3:
        return QStringLiteral("KelAnimatedToggleIcon");
    case 4:
    case 5:
        return QStringLiteral(":/kelui/close-10.svg");
    case 10:
        return QStringLiteral(":/kelui/titlebar-minimize.svg");
    case 11:
        return QStringLiteral(":/kelui/titlebar-maximize.svg");
    case 12:
        return QStringLiteral(":/kelui/titlebar-restore.svg");
    case 13:
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
    case 0:
    case 6:
        row = {2, 3, 4, 0, 1, 2};
        break;
    case 1:
    case 2:
        row = {6, 7, 8, 3, 4, 5};
        break;
    case 3:
    case 4:
        row = {9, 10, 11, 7, 8, 9};
        break;
    case 5:
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
    if (id == 3 || id == 4) {
        if (auto *menu = dynamic_cast<KelPopupMenu *>(window))
            menu->setTimerInterval(metric(11));
    }
    if (id == 4) {
        QWidget *central = window->centralWidget();
        if (central && central->minimumWidth() != metric(12))
            central->setMinimumWidth(metric(12));
    } else if (id == 6) {
        frame->setBorderWidth(metric(30));
    }
}

void KelStyle::applyLabelStyle(QLabel *label, int id) const
{
    if (!label)
        return;
    if (id > 0)
        setTextColor(label, id == 8 ? color(19) : defaultTextColor());
    switch (id) {
    case 7:
        if (label->font() != QFont())
            label->setFont(QFont());
        break;
    case 8:
        setWidgetFont(label, metric(29), QFont::Normal);
        setAlignmentIfChanged(label, Qt::Alignment(0xA4));
        if (auto *kelLabel = qobject_cast<KelLabel *>(label))
            kelLabel->setElideMode(Qt::ElideRight);
        break;
    case 9:
        if (!label->wordWrap())
            label->setWordWrap(true);
        break;
    case 27:
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
    if (id == 35)
        edit->setAutoHeight(true);
}

void KelStyle::applyProgressBarStyle(KelProgressBar *, int) const { }

void KelStyle::applyScrollAreaStyle(KelScrollArea *, int) const { }

void KelStyle::applyScrollBarStyle(QScrollBar *scrollBar, int id) const
{
    if (!scrollBar || id != 40)
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
    case 11:
        painter->setBackground({color(21), hover, press, invalid});
        painter->setCornerRadii(uniform(metric(19)));
        painter->setBorderWidths(margins(3));
        painter->setTextColors(KelStateColors(isDarkTheme() ? color(16) : color(17)));
        painter->setContentsMargins(margins(4));
        setMinimumSizeIfChanged(owner, size(0));
        break;
    case 12:
        painter->setContentsMargins(margins(5));
        painter->setTextColors(stateColors(3));
        painter->setColorizeIcon(true);
        break;
    case 13:
        applyCheckButton(this, painter, metric(20), 1, iconPath,
                         {QEasingCurve::Linear, 150, QEasingCurve::InCubic, 150, QVariant(0.0),
                          QVariant(1.0)});
        break;
    case 14:
        applyCheckButton(this, painter, metric(21), 2, iconPath,
                         {QEasingCurve::InCubic, 150, QEasingCurve::InCubic, 150, QVariant(0.0),
                          QVariant(1.0)});
        if (button)
            button->setAutoExclusive(true);
        break;
    case 15:
        applyCheckButton(this, painter, metric(20), 3, iconPath,
                         {QEasingCurve::Linear, 150, QEasingCurve::Linear, 150, QVariant(0.0),
                          QVariant(1.0)});
        break;
    case 16:
    case 17: {
        const QColor text = textColorFor(color(9));
        painter->setBackground(stateColors(0));
        painter->setTextColors(KelStateColors(text));
        painter->setContentsMargins(margins(6));
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(1))));
        painter->setTextLayoutMode(1);
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (button) {
            button->setAutoExclusive(true);
            setSizePolicyIfChanged(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
        }
        if (id == 17) {
            painter->setArrow(arrowParams(1), noArrow());
            painter->setArrowColors(painter->textColors());
        }
        break;
    }
    case 18: {
        const KelStateColors background = stateColors(4);
        const QColor text = textColorFor(background.normal);
        painter->setBackground(background);
        painter->setArrow(arrowParams(0), noArrow());
        painter->setArrowColors(stateColors(6));
        painter->setBorderColors(stateColors(5));
        painter->setBorderWidths(uniform(metric(22)));
        painter->setCornerRadii(uniform(metric(23)));
        painter->setTextColors(KelStateColors(text));
        painter->setContentsMargins(margins(7));
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(1))));
        setMinimumHeightIfChanged(owner, metric(25));
        break;
    }
    case 19: {
        const KelStateColors background = stateColors(1);
        const QColor text = textColorFor(background.normal);
        painter->setBackground(background);
        painter->setArrow(arrowParams(0), noArrow());
        painter->setArrowColors(KelStateColors(Qt::transparent));
        painter->setBorderColors(KelStateColors(Qt::transparent));
        painter->setTextColors(KelStateColors(text));
        painter->setSecondTextColors(KelStateColors(colorWithAlphaF(text, opacity(1))));
        painter->setTextLayoutMode(1);
        painter->setContentsMargins(margins(7) + uniform(metric(22)));
        painter->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (button) {
            button->setAutoExclusive(true);
            button->setClickableWhenChecked(true);
            button->setCheckable(true);
            setSizePolicyIfChanged(button, QSizePolicy::Minimum, QSizePolicy::Fixed);
        }
        break;
    }
    case 20:
    case 21:
        applyButtonStyle(painter, 11, iconPath);
        break;
    case 22:
    case 23:
    case 24:
    case 25:
        painter->setTextColors(stateColors(9));
        painter->setColorizeIcon(true);
        painter->setBackground(stateColors(id == 25 ? 8 : 7));
        setFixedSizeIfChanged(owner, QSize(48, 32));
        break;
    case 26:
        applyButtonStyle(painter, 12, iconPath);
        if (owner) {
            if (owner->cursor().shape() != Qt::ArrowCursor)
                owner->setCursor(Qt::ArrowCursor);
            setFixedWidthIfChanged(owner, metric(27));
        }
        break;
    case 28: {
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
    painter->setBackground(stateColors(4));
    painter->setBorderColors(stateColors(5));
    painter->setBorderWidths(uniform(metric(22)));
    painter->setCornerRadii(uniform(metric(23)));
    painter->setContentsMargins(margins(7));
    QWidget *owner = painter->widget();
    if (!owner)
        return;
    setPaletteColor(owner, QPalette::Text, defaultTextColor());
    if (!qobject_cast<QAbstractScrollArea *>(owner))
        setMinimumHeightIfChanged(owner, metric(25));
}

void KelStyle::applyLineEditStyle(KelLineEdit *lineEdit, int id) const
{
    if (!lineEdit)
        return;
    applyInputFrameStyle(lineEdit, id);
    lineEdit->setButtonsSpacing(metric(24));
    switch (id) {
    case 30:
        lineEdit->addClearButton(false);
        break;
    case 31:
        lineEdit->addClearButton(true);
        break;
    case 32:
        if (lineEdit->echoMode() != QLineEdit::Password)
            lineEdit->setEchoMode(QLineEdit::Password);
        break;
    case 33:
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
    if (id != 36)
        return;
    QMargins contents = spinBox->contentsMargins();
    contents.setRight(0);
    spinBox->setContentsMargins(contents);
    const KelStateColors arrowColors = stateColors(6);
    spinBox->upArrowPainter()->setArrow(arrowParams(2), noArrow());
    spinBox->upArrowPainter()->setArrowColors(arrowColors);
    spinBox->downArrowPainter()->setArrow(arrowParams(3), noArrow());
    spinBox->downArrowPainter()->setArrowColors(arrowColors);
}

void KelStyle::applySliderStyle(KelSlider *slider, int id) const
{
    if (!slider || id != 37)
        return;
    const QSize handleSize(8, 24);
    const int radius = qMin(handleSize.width(), handleSize.height()) / 2;
    slider->setHandleSize(handleSize, radius);
    slider->setGrooveGeometry(2, 0);
    slider->setGrooveColors(color(1), color(1));
    slider->setClickMode(0);
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
    if (id != 41)
        return QString();
    const QColor background = color(9);
    const QString separator = opaqueName(color(12), background);
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
            .arg(opaqueName(color(10), background), background.name(),
                 opaqueName(textColorFor(background), background), separator,
                 opaqueName(stateColors(0).checked, background), separator);
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
    const KelStateColors sc5 = stateColors(5);
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
    if (!shadow || id != 42)
        return;
    shadow->setShadowSize(metric(1));
    shadow->setColor(color(4));
}

QColor KelStyle::accentColor() const
{
    const QColor accent = color(CL_Accent);
    return accent.isValid() ? accent : color(CL_Text_Link);
}

QColor KelStyle::defaultTextColor() const
{
    return isDarkTheme() ? color(17) : color(16);
}

QColor KelStyle::defaultSecondTextColor() const
{
    return colorWithAlphaF(defaultTextColor(), opacity(1));
}

QColor KelStyle::textColorFor(const QColor &background) const
{
    return isDarkBackground(background) ? color(17) : color(16);
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
