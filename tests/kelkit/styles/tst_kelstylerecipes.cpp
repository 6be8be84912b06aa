#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "painting/kelicon.h"
#include "styles/kelqproxystyle.h"
#include "styles/kelstyle.h"
#include "utils/kelfontutils.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kelspinbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

namespace {

// A plain widget carrying a frame painter, as the input widgets do.
class FramedWidget : public QWidget, public KelFramePainter
{
public:
    FramedWidget() : KelFramePainter(this) { }
};

class FramedScrollArea : public QScrollArea, public KelFramePainter
{
public:
    FramedScrollArea() : KelFramePainter(this) { }
};

bool drawsSomething(const QStyle &style, QStyle::PrimitiveElement element, QWidget *widget)
{
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QStyleOptionFrame frameOption;
    frameOption.lineWidth = 1;
    QStyleOptionFocusRect focusOption;
    QStyleOption &option = element == QStyle::PE_FrameFocusRect
            ? static_cast<QStyleOption &>(focusOption)
            : static_cast<QStyleOption &>(frameOption);
    option.rect = image.rect();
    option.state = QStyle::State_Enabled | QStyle::State_HasFocus
            | QStyle::State_KeyboardFocusChange;
    {
        QPainter painter(&image);
        style.drawPrimitive(element, &option, &painter, widget);
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() > 0)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_KelStyleRecipes : public QObject
{
    Q_OBJECT

private slots:
    void pushButtonAndItsAliases();
    void checkBoxTakesAnimatedIcon();
    void menuItemWithArrow();
    void titleBarButtons();
    void lineEditInnerButton();
    void popupMenuButton();
    void inputFrame();
    void proxyStyleLeavesFramePaintersAlone();
    void setFontSizeOfButton();
};

void tst_KelStyleRecipes::pushButtonAndItsAliases()
{
    const KelStyle *style = kelStyle();
    KelButton push(11);
    KelButton footer(20);
    QCOMPARE(push.background().normal, style->color(21));
    QCOMPARE(push.textColors(), KelStateColors(style->color(17)));
    QCOMPARE(push.contentsMargins(), QMargins(16, 4, 16, 4));
    QCOMPARE(push.minimumSize(), QSize(92, 36));

    QCOMPARE(footer.background(), push.background());
    QCOMPARE(footer.cornerRadii(), push.cornerRadii());
    QCOMPARE(footer.borderWidths(), push.borderWidths());
    QCOMPARE(footer.textColors(), push.textColors());
    QCOMPARE(footer.contentsMargins(), push.contentsMargins());
    QCOMPARE(footer.minimumSize(), push.minimumSize());
}

void tst_KelStyleRecipes::checkBoxTakesAnimatedIcon()
{
    const KelStyle *style = kelStyle();
    KelButton box(13, QStringLiteral(":/kelui/close-10.svg"), nullptr, true);
    style->applyButtonStyle(&box, 13, QString());
    QCOMPARE(box.icon()->path(), QStringLiteral("KelAnimatedCheckBoxIcon"));
    QVERIFY(box.isCheckable());
    QVERIFY(!box.isAutoExclusive());
    QVERIFY(!box.colorizeIcon());
    QCOMPARE(box.textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(box.sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);

    // A given path keeps its icon.
    KelButton radio(14, QStringLiteral(":/kelui/close-10.svg"));
    QCOMPARE(radio.icon()->path(), QStringLiteral(":/kelui/close-10.svg"));
    QVERIFY(radio.isAutoExclusive());
    QCOMPARE(radio.spacing(), style->metric(21));

    // The icon follows the button's check through its state animator.
    box.setText(QStringLiteral("Check"));
    box.resize(box.sizeHint());
    const QImage unchecked = box.grab().toImage();
    box.setChecked(true);
    QTRY_COMPARE(box.stateAnimator()->checkedProgress(), 1.0);
    QVERIFY(box.grab().toImage() != unchecked);
}

void tst_KelStyleRecipes::menuItemWithArrow()
{
    const KelStyle *style = kelStyle();
    KelButton item(17);
    const QColor text = style->textColorFor(style->color(9));
    QCOMPARE(item.textColors(), KelStateColors(text));
    QVERIFY(qAbs(item.secondTextColors().normal.alphaF() - style->opacity(1)) < 0.01);
    QCOMPARE(item.arrow(), style->arrowParams(1));
    QCOMPARE(item.checkedArrow().size, QSize(0, 0));
    QCOMPARE(item.arrowColors(), item.textColors());
    QCOMPARE(item.textLayoutMode(), 1);
    QVERIFY(item.isAutoExclusive());
    QCOMPARE(item.sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
}

void tst_KelStyleRecipes::titleBarButtons()
{
    const KelStyle *style = kelStyle();
    KelButton minimize(22, style->iconPath(10));
    KelButton close(25, style->iconPath(13));
    QCOMPARE(minimize.icon()->path(), style->iconPath(10));
    QCOMPARE(minimize.background(), style->stateColors(7));
    QCOMPARE(close.background(), style->stateColors(8));
    QVERIFY(close.colorizeIcon());
    QCOMPARE(close.minimumSize(), QSize(48, 32));
    QCOMPARE(close.maximumSize(), QSize(48, 32));
}

void tst_KelStyleRecipes::lineEditInnerButton()
{
    const KelStyle *style = kelStyle();
    KelButton inner(26, style->iconPath(4));
    QCOMPARE(inner.textColors(), style->stateColors(3));
    QVERIFY(inner.colorizeIcon());
    QCOMPARE(inner.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(inner.minimumWidth(), style->metric(27));
    QCOMPARE(inner.maximumWidth(), style->metric(27));
}

void tst_KelStyleRecipes::popupMenuButton()
{
    const KelStyle *style = kelStyle();
    KelButton button(19);
    QVERIFY(button.isCheckable());
    QVERIFY(button.isAutoExclusive());
    QVERIFY(button.isClickableWhenChecked());
    QCOMPARE(button.contentsMargins(), QMargins(9, 1, 9, 1));
    QCOMPARE(button.borderColors(), KelStateColors(Qt::transparent));
    QCOMPARE(button.arrow(), style->arrowParams(0));
}

void tst_KelStyleRecipes::inputFrame()
{
    const KelStyle *style = kelStyle();
    FramedWidget widget;
    style->applyInputFrameStyle(&widget, 29);
    QCOMPARE(widget.background(), style->stateColors(4));
    QCOMPARE(widget.borderColors(), style->stateColors(5));
    QCOMPARE(widget.borderWidths(), QMargins(1, 1, 1, 1));
    QCOMPARE(widget.KelFramePainter::contentsMargins(), QMargins(8, 0, 8, 0));
    QCOMPARE(widget.minimumHeight(), 24);
    QCOMPARE(widget.palette().color(QPalette::Active, QPalette::Text), style->defaultTextColor());
    QCOMPARE(widget.palette().color(QPalette::Disabled, QPalette::Text).alphaF(), 0.6);

    FramedScrollArea area;
    style->applyInputFrameStyle(&area, 0);
    QCOMPARE(area.minimumHeight(), 0);
    QCOMPARE(area.borderWidths(), QMargins(1, 1, 1, 1));
}

void tst_KelStyleRecipes::proxyStyleLeavesFramePaintersAlone()
{
    const KelQProxyStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget plain;
    KelFrame frame;
    QLineEdit inner(&frame);
    QVERIFY(drawsSomething(style, QStyle::PE_FrameFocusRect, &plain));
    QVERIFY(!drawsSomething(style, QStyle::PE_FrameFocusRect, &frame));
    QVERIFY(drawsSomething(style, QStyle::PE_PanelLineEdit, &plain));
    QVERIFY(!drawsSomething(style, QStyle::PE_PanelLineEdit, &frame));
    QVERIFY(!drawsSomething(style, QStyle::PE_PanelLineEdit, &inner));
    KelSpinBox spin;
    QVERIFY(drawsSomething(style, QStyle::PE_PanelButtonBevel, &plain));
    QVERIFY(!drawsSomething(style, QStyle::PE_PanelButtonBevel, &spin));
}

void tst_KelStyleRecipes::setFontSizeOfButton()
{
    KelButton button(-1, nullptr, true);
    button.setText(QStringLiteral("Text"));
    const QSize before = button.sizeHint();
    KelUtils::setFontSize(&button, 30, QFont::Bold);
    QCOMPARE(button.font().pixelSize(), 30);
    QCOMPARE(button.font().weight(), int(QFont::Bold));
    QCOMPARE(button.font().family(), KelUtils::defaultFontFamily());
    QVERIFY(button.sizeHint().height() > before.height());
    KelUtils::setFontSize(nullptr, 30);

    // Any other widget takes it as its own font.
    QLabel label;
    KelUtils::setFontSize(&label, 17, QFont::DemiBold);
    QCOMPARE(label.font().pixelSize(), 17);
    QCOMPARE(label.font().weight(), int(QFont::DemiBold));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelStyleRecipes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelstylerecipes.moc"
