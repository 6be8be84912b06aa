#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelanimatedicons.h"
#include "painting/kelgraphicsdropshadoweffect.h"
#include "painting/keliconsprovider.h"
#include "styles/kelstylemanager.h"
#include "ui/darkstyle.h"
#include "ui/lightstyle.h"
#include "utils/kelcolorutils.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelscrollbar.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinbox.h"
#include "windows/keldialog.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"

#include "../../kelkit/offscreenleak.h"

#include <QAbstractScrollArea>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(QMargins)

namespace {

const QString Light = QStringLiteral("LightStyle");
const QString Dark = QStringLiteral("DarkStyle");

KelStyleManager *manager()
{
    return KelStyleManager::instance();
}

Style *styleOf(const QString &id)
{
    for (KelStyle *style : manager()->styles()) {
        if (style->styleId() == id)
            return static_cast<Style *>(style);
    }
    return nullptr;
}

QColor withAlpha(const QColor &color, double alpha)
{
    QColor result = color;
    result.setAlphaF(alpha);
    return result;
}

QString describe(const QColor &color)
{
    return color.isValid() ? color.name(QColor::HexArgb) : QStringLiteral("inv");
}

QString describe(const KelStateColors &c)
{
    QStringList names;
    for (const QColor &color : {c.normal, c.hovered, c.pressed, c.disabled, c.checked,
                                c.checkedHovered, c.checkedPressed, c.checkedDisabled})
        names << describe(color);
    return names.join(QLatin1Char(' '));
}

template<typename T>
QString describe(const T &value)
{
    QString text;
    QDebug(&text).nospace() << value;
    return text;
}

QString describeFont(const QFont &font)
{
    return QStringLiteral("%1 %2px %3").arg(font.family()).arg(font.pixelSize()).arg(font.weight());
}

QString describeArrow(const KelArrowParams &arrow)
{
    return describe(arrow.size) + describe(arrow.margins) + QString::number(arrow.direction)
            + QLatin1Char('/') + QString::number(arrow.lineWidth);
}

// Everything a recipe may set on a widget and on its painters, one line per
// property, for a widget and all widgets inside it.
QStringList record(QWidget *root)
{
    QStringList lines;
    QList<QWidget *> widgets{root};
    widgets += root->findChildren<QWidget *>();
    int index = 0;
    for (QWidget *w : widgets) {
        const QString tag = QStringLiteral("%1 %2 %3: ")
                                    .arg(index++)
                                    .arg(QString::fromLatin1(w->metaObject()->className()),
                                         w->objectName());
        auto add = [&](const QString &name, const QString &value) {
            lines << tag + name + QLatin1Char('=') + value;
        };
        add("font", describeFont(w->font()));
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled}) {
            for (QPalette::ColorRole role :
                 {QPalette::Text, QPalette::WindowText, QPalette::Window, QPalette::Base})
                add(QStringLiteral("palette %1/%2").arg(group).arg(role),
                    describe(w->palette().color(group, role)));
        }
        add("autoFill", describe(w->autoFillBackground()));
        add("minimumSize", describe(w->minimumSize()));
        add("maximumSize", describe(w->maximumSize()));
        add("sizePolicy", describe(w->sizePolicy()));
        add("contentsMargins", describe(w->contentsMargins()));
        add("focusPolicy", describe(w->focusPolicy()));
        add("cursor", describe(w->testAttribute(Qt::WA_SetCursor) ? w->cursor().shape() : -1));
        if (QGraphicsEffect *effect = w->graphicsEffect()) {
            add("effect", QString::fromLatin1(effect->metaObject()->className()));
            add("effect enabled", describe(effect->isEnabled()));
            if (auto *shadow = qobject_cast<KelGraphicsDropShadowEffect *>(effect))
                add("shadow",
                    describe(shadow->color()) + describe(shadow->offset())
                            + describe(shadow->blurRadius()));
        }
        if (auto *label = qobject_cast<QLabel *>(w)) {
            add("alignment", describe(label->alignment()));
            add("wordWrap", describe(label->wordWrap()));
        }
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            add("alignment", describe(edit->alignment()));
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
            add("alignment", describe(spin->alignment()));
            add("buttons", describe(spin->buttonSymbols()));
        }
        if (auto *area = qobject_cast<QAbstractScrollArea *>(w))
            add("hbar", describe(area->horizontalScrollBarPolicy()));
        if (auto *frame = dynamic_cast<KelFramePainter *>(w)) {
            add("margins", describe(frame->margins()));
            add("borderWidths", describe(frame->borderWidths()));
            add("borderColors", describe(frame->borderColors()));
            add("radii", describe(frame->cornerRadii()));
            add("background", describe(frame->background()));
            add("frameContents", describe(frame->contentsMargins()));
        }
        if (auto *painter = dynamic_cast<KelButtonPainter *>(w)) {
            add("textColors", describe(painter->textColors()));
            add("secondTextColors", describe(painter->secondTextColors()));
            add("iconColors", describe(painter->iconColors()));
            add("arrowColors", describe(painter->arrowColors()));
            add("painterFont", describeFont(painter->font()));
            add("secondFont", describeFont(painter->secondFont()));
            add("spacing", describe(painter->spacing()));
            add("textSpacing", describe(painter->textSpacing()));
            add("textAlignment", describe(painter->textAlignment()));
            add("layoutModes",
                describe(QPoint(painter->textLayoutMode(), painter->contentLayoutMode())));
            add("elide", describe(painter->elideMode()));
            add("iconPlacement", describe(painter->iconPlacement()));
            add("iconSize", describe(painter->iconSize()));
            add("colorizeIcon", describe(painter->colorizeIcon()));
            add("arrows", describeArrow(painter->arrow()) + describeArrow(painter->checkedArrow()));
            add("icon", painter->icon() ? painter->icon()->path() : QString());
        }
        if (auto *button = qobject_cast<KelButton *>(w))
            add("checkable", describe(button->isCheckable()));
        if (auto *styleable = dynamic_cast<KelStyleable *>(w))
            add("styleId", describe(styleable->styleId()));
        if (auto *window = qobject_cast<KelWindow *>(w)) {
            KelWindowFrame *frame = window->windowFrame();
            add("frame",
                describe(frame->background().color()) + describe(frame->borderColor())
                        + describe(frame->borderWidth()) + describe(frame->cornerRadii())
                        + describe(frame->shadowColor()) + describe(frame->shadowRadius())
                        + describe(frame->shadowOffset()));
            add("translucent", describe(window->testAttribute(Qt::WA_TranslucentBackground)));
        }
        if (QLayout *layout = w->layout()) {
            add("layout",
                describe(layout->contentsMargins()) + describe(layout->spacing())
                        + describe(layout->count()));
        }
        if (auto *icon = qobject_cast<KelIconWidget *>(w))
            add("iconWidget",
                (icon->icon() ? icon->icon()->path() : QString()) + describe(icon->iconSize()));
    }
    return lines;
}

// A button that can tell how often its toggled signal is connected.
class CountingButton : public KelButton
{
public:
    using KelButton::KelButton;
    int toggledReceivers() const { return receivers(SIGNAL(toggled(bool))); }
};

// The main window's style on a bare window; every other style on the
// framework's dialog, with a button in its footer.
std::unique_ptr<KelWindow> makeWindow(int styleId)
{
    if (styleId == 0) {
        auto window = std::make_unique<KelWindow>(0, KelWindow::Movable | KelWindow::WindowButtons,
                                                  nullptr);
        window->setTitle(QStringLiteral("Window 0"));
        return window;
    }
    auto dialog = std::make_unique<KelDialog>(styleId, KelWindow::WindowParams());
    auto *button = new KelButton(20);
    button->setText(QStringLiteral("Cancel"));
    dialog->addButton(0, button);
    dialog->setTitle(QStringLiteral("Window %1").arg(styleId));
    return dialog;
}

QWidget *dialogPart(KelWindow *window, const char *name)
{
    return window->centralWidget()->findChild<QWidget *>(QLatin1String(name));
}

const int WindowIds[] = {0, 1, 2, 3, 5, 1000, 1001, 1002};

const int ButtonIds[] = {11,   16,   18,   19,   20,   21,   22,   23,   24,   25,   26,   1003,
                         1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                         1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027,
                         1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039,
                         1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047};
const int LabelIds[] = {9, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1058, 1059};
const int LineEditIds[] = {1060, 1061, 1062, 1063};
const int SliderIds[] = {37, 1065, 1066, 1067, 1068};
const int FrameIds[] = {1048, 1049, 1050};
const int ScrollAreaIds[] = {39, 1069};

// One widget of every application style id the widget recipes handle.
std::unique_ptr<QWidget> buildPage()
{
    auto page = std::make_unique<QWidget>();
    auto *grid = new QGridLayout(page.get());
    int row = 0;
    auto place = [&](QWidget *widget) {
        grid->addWidget(widget, row / 6, row % 6);
        ++row;
    };
    for (int id : ButtonIds) {
        auto *button = new KelButton(id, page.get());
        button->setText(QStringLiteral("Button %1").arg(id));
        button->setSecondText(QStringLiteral("second"));
        place(button);
    }
    for (int id : LabelIds) {
        auto *label = new KelLabel(id, page.get());
        label->setText(QStringLiteral("Label %1").arg(id));
        place(label);
    }
    for (int id : LineEditIds) {
        auto *edit = new KelLineEdit(id, page.get());
        edit->setText(QStringLiteral("Edit %1").arg(id));
        place(edit);
    }
    auto *spin = new KelSpinBox(1064, page.get());
    spin->setValue(42);
    place(spin);
    for (int id : SliderIds) {
        auto *slider = new KelSlider(id, Qt::Horizontal, page.get());
        slider->setRange(0, 100);
        slider->setValue(30);
        if (id == 1068) {
            slider->setTrimRange(10, 70);
            slider->setTrimVisible(true);
        }
        place(slider);
    }
    for (int id : FrameIds) {
        auto *frame = new KelFrame(id, page.get());
        frame->setMinimumSize(40, 20);
        place(frame);
    }
    for (int id : ScrollAreaIds) {
        auto *area = new KelScrollArea(id, page.get());
        area->setWidget(new QWidget);
        area->widget()->setMinimumSize(200, 300);
        area->resize(80, 60);
        place(area);
    }
    return page;
}

// Shown, so that every deferred resize has reached its widget, and with
// the focus on the page itself, so that no caret blinks.
std::unique_ptr<QWidget> showPage()
{
    std::unique_ptr<QWidget> page = buildPage();
    page->show();
    page->setFocus();
    return page;
}

// The page's widgets as drawn, but the scroll areas, whose framework scroll
// bars fade in on a timer of their own.
QImage renderPage(QWidget *page)
{
    QCoreApplication::processEvents();
    QImage image(page->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (QWidget *child : page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<QAbstractScrollArea *>(child))
            painter.drawPixmap(child->pos(), child->grab());
    }
    return image;
}

} // namespace

class tst_Style : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void identity_data();
    void identity();
    void colorRoles_data();
    void colorRoles();
    void stateColorSets_data();
    void stateColorSets();
    void valueTables_data();
    void valueTables();
    void buttonGeometry_data();
    void buttonGeometry();
    void buttonThemeBranches();
    void buttonRecipesRunThroughTheVirtualOperation();
    void labelRecipes_data();
    void labelRecipes();
    void lineEditRecipes();
    void spinBoxRecipe();
    void sliderRecipes();
    void frameRecipes();
    void scrollAreaRecipes();
    void animatedIcons();
    void mainWindowRecipe();
    void dialogWindowRecipes();
    void compactCaptionWindowRecipe();
    void popupWindowRecipes_data();
    void popupWindowRecipes();
    void themeSwitchRestylesCompletely();
    void themeSwitchRestylesWindows();
    void toggleShadowIsMadeAndTiedOnce();
};

void tst_Style::initTestCase()
{
    QVERIFY(manager());
    KelAnimatedIcons::create();
    Style::registerThemes(kelUi());
}

void tst_Style::init()
{
    QVERIFY(manager()->setCurrentStyle(Light));
}

void tst_Style::identity_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << Light << "Light"
                           << ":/svg/style-light.svg" << false;
    QTest::newRow("dark") << Dark << "Dark"
                          << ":/svg/style-dark.svg" << true;
}

void tst_Style::identity()
{
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(QString, icon);
    QFETCH(bool, dark);

    // Registered light first, then dark, both children of the given parent.
    QStringList ids;
    for (KelStyle *style : manager()->styles())
        ids << style->styleId();
    QCOMPARE(ids, QStringList({Light, Dark}));

    const Style *style = styleOf(id);
    QVERIFY(style);
    QCOMPARE(style->parent(), kelUi());
    QCOMPARE(style->displayName(), name);
    QCOMPARE(style->styleIcon(), icon);
    QCOMPARE(style->isDarkTheme(), dark);
    QVERIFY(QFile::exists(icon));
}

void tst_Style::colorRoles_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("dark");
    QTest::addColumn<QColor>("light");
    const QColor accent(0xE0657B);
    const QColor black = Qt::black;
    const QColor white = Qt::white;
    auto row = [](int role, const QColor &dark, const QColor &light) {
        QTest::addRow("%d", role) << role << dark << light;
    };
    row(0, accent, accent);
    row(1, QColor(0x3A3A3A), QColor(0xF2F2F2));
    row(2, QColor(0x2D2D2D), QColor(0xFFFFFF));
    row(3, withAlpha(white, 0.12), withAlpha(black, 0.2));
    row(4, withAlpha(black, 0.3), withAlpha(black, 0.3));
    row(5, QColor(0, 0, 0, 128), QColor(0, 0, 0, 64));
    row(6, QColor(0x2D2D2D), QColor(0xFFFFFF));
    row(7, withAlpha(white, 0.12), withAlpha(black, 0.2));
    row(8, withAlpha(black, 0.3), withAlpha(black, 0.3));
    row(9, QColor(0x3A3A3A), QColor(0xFFFFFF));
    row(10, withAlpha(white, 0.12), withAlpha(black, 0.2));
    row(11, withAlpha(black, 0.3), withAlpha(black, 0.3));
    row(12, QColor(0x3A3A3A), QColor(0xF2F2F2));
    row(13, QColor(0x3A3A3A), QColor(0xFFFFFF));
    row(14, withAlpha(white, 0.12), withAlpha(black, 0.2));
    row(15, withAlpha(black, 0.3), withAlpha(black, 0.3));
    row(16, black, black);
    row(17, white, white);
    row(18, QColor(0x458BCF), QColor(0x458BCF));
    row(19, QColor(0xFF373A), QColor(0xFF373A));
    row(20, QColor(0x31AE63), QColor(0x48BD77));
    row(21, QColor(0xE1E1E1), QColor(0x303030));
    row(1000, QColor(0xD75A71), QColor(0xD75A71));
    row(1001, withAlpha(accent, 0.05), withAlpha(accent, 0.05));
    row(1002, withAlpha(accent, 0.15), withAlpha(accent, 0.15));
    row(1003, withAlpha(accent, 0.25), withAlpha(accent, 0.25));
    row(1004, withAlpha(accent, 0.5), withAlpha(accent, 0.5));
    row(1005, QColor(0xF27B90), QColor(0xF27B90));
    row(1006, QColor(0xC94F65), QColor(0xC94F65));
    const QRgb ramp[][2] = {{0xE1E1E1, 0x303030}, {0xC1C1C1, 0x505050}, {0xA0A0A0, 0x7B7B7B},
                            {0x7D7D7D, 0xA1A1A1}, {0x626262, 0xBFBFBF}, {0x4F4F4F, 0xD6D6D6},
                            {0x444444, 0xE4E4E4}, {0x3A3A3A, 0xF2F2F2}, {0x313131, 0xF6F6F6}};
    for (int i = 0; i < 9; ++i)
        row(1007 + i, QColor(ramp[i][0]), QColor(ramp[i][1]));
    row(1016, QColor(), QColor());
    row(1017, QColor(0x202020), QColor(0xF2F2F2));
    row(1018, QColor(0x3B8558), QColor(0x93D7AE));
    row(1019, QColor(0xF14B34), QColor(0xE53921));
    row(1020, QColor(), QColor());
}

void tst_Style::colorRoles()
{
    QFETCH(int, role);
    QFETCH(QColor, dark);
    QFETCH(QColor, light);
    const QColor darkColor = styleOf(Dark)->color(role);
    const QColor lightColor = styleOf(Light)->color(role);
    QCOMPARE(darkColor.isValid(), dark.isValid());
    QCOMPARE(lightColor.isValid(), light.isValid());
    QCOMPARE(darkColor.rgba(), dark.rgba());
    QCOMPARE(lightColor.rgba(), light.rgba());
}

void tst_Style::stateColorSets_data()
{
    QTest::addColumn<QString>("theme");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    const QString tr = QStringLiteral("#00000000");
    const QString accent = QStringLiteral("#ffe0657b");
    const QString accent15 = describe(withAlpha(QColor(0xE0657B), 0.15));
    auto row = [](const QString &theme, int id, const QStringList &colors) {
        QTest::addRow("%s %d", qPrintable(theme), id) << theme << id << colors.join(' ');
    };
    row(Light, 0, {tr, "#ffe4e4e4", "#ffd6d6d6", "inv", accent15, tr, tr, "inv"});
    row(Dark, 0, {tr, "#ff444444", "#ff4f4f4f", "inv", accent15, tr, tr, "inv"});
    row(Light, 4, {tr, tr, tr, "inv", tr, tr, tr, "inv"});
    row(Light, 5, {"#ffd6d6d6", "#ffa1a1a1", accent, "inv", accent, tr, tr, "inv"});
    // Disabled accent buttons keep their colour and fade by the animator.
    row(Light, 1000,
        {accent, "#fff27b90", "#ffc94f65", "inv", accent, "#fff27b90", "#ffc94f65", "inv"});
    row(Dark, 1000,
        {accent, "#fff27b90", "#ffc94f65", "inv", accent, "#fff27b90", "#ffc94f65", "inv"});
    row(Dark, 1001,
        {"#ff3a3a3a", "#ff444444", "#ff4f4f4f", "inv", "#ff4f4f4f", "#ff4f4f4f", "#ff4f4f4f",
         "inv"});
}

void tst_Style::stateColorSets()
{
    QFETCH(QString, theme);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(describe(styleOf(theme)->stateColors(id)), expected);
}

void tst_Style::valueTables_data()
{
    QTest::addColumn<QVariant>("actual");
    QTest::addColumn<QVariant>("expected");
    const Style *style = styleOf(Light);
    const KelStyle base;
    auto row = [](const char *name, const QVariant &actual, const QVariant &expected) {
        QTest::newRow(name) << actual << expected;
    };
    const int metrics[][2] = {{0, 0},    {1, 48},   {2, 8},    {6, 2},    {18, 8},
                              {19, 4},   {23, 4},   {25, 40},  {1000, 4}, {1001, 4},
                              {1002, 6}, {1003, 3}, {1004, 6}, {1005, 2}};
    for (const auto &m : metrics)
        QTest::addRow("metric %d", m[0]) << QVariant(style->metric(m[0])) << QVariant(m[1]);
    row("metric 11 falls to the base", style->metric(11), base.metric(11));
    row("metric 1006 falls to the base", style->metric(1006), 0);
    row("size 0", style->size(0), QSize(0, 0));
    row("size 1", style->size(1), QSize(0, 0));
    row("size 1000", style->size(1000), QSize(193, 108));
    for (int id : {4, 6, 7})
        QTest::addRow("margins %d", id) << QVariant::fromValue(style->margins(id))
                                        << QVariant::fromValue(QMargins(12, 0, 12, 0));
    row("margins 0 falls to the base", QVariant::fromValue(style->margins(0)),
        QVariant::fromValue(base.margins(0)));
    for (int id : {1000, 1001}) {
        const KelArrowParams arrow = style->arrowParams(id);
        QTest::addRow("arrow %d", id)
                << QVariant(QStringLiteral("%1 %2 %3 %4")
                                    .arg(describe(arrow.size), describe(arrow.margins))
                                    .arg(arrow.direction)
                                    .arg(arrow.lineWidth))
                << QVariant(QStringLiteral("QSize(12, 7) QMargins(0, 0, 1, 0) %1 1.5")
                                    .arg(id == 1000 ? 2 : 1));
    }
    row("arrow 0 falls to the base", describeArrow(style->arrowParams(0)),
        describeArrow(base.arrowParams(0)));
    const char *const icons[] = {"minimize", "maximize", "restore", "close"};
    for (int id = 10; id <= 13; ++id) {
        const QString path = QStringLiteral(":/svg/titlebar-%1.svg").arg(icons[id - 10]);
        QTest::addRow("icon %d", id) << QVariant(style->iconPath(id)) << QVariant(path);
        QTest::addRow("icon %d exists", id) << QVariant(QFile::exists(path)) << QVariant(true);
    }
    row("icon 4 falls to the base", style->iconPath(4), base.iconPath(4));
    for (const char *path : {":/appicon.svg", ":/svg/search.svg", ":/svg/msg-check-small.svg",
                             ":/svg/msg-warning-small.svg", ":/svg/close.svg"})
        row(path, QFile::exists(QString::fromLatin1(path)), true);
}

void tst_Style::valueTables()
{
    QFETCH(QVariant, actual);
    QFETCH(QVariant, expected);
    QCOMPARE(actual, expected);
}

void tst_Style::buttonGeometry_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    QTest::addColumn<QMargins>("contents");
    QTest::addColumn<bool>("checkable");
    const int any = QWIDGETSIZE_MAX;
    QTest::newRow("1005") << 1005 << QSize(0, 36) << QSize(any, 36) << QMargins(12, 0, 12, 0)
                          << false;
    QTest::newRow("1006") << 1006 << QSize(0, 40) << QSize(any, 40) << QMargins(8, 0, 8, 0)
                          << false;
    QTest::newRow("1007") << 1007 << QSize(0, 48) << QSize(any, 48) << QMargins(12, 0, 12, 0)
                          << false;
    QTest::newRow("1008") << 1008 << QSize(0, 56) << QSize(any, 56) << QMargins(16, 0, 16, 0)
                          << false;
    QTest::newRow("1040") << 1040 << QSize(32, 32) << QSize(32, 32) << QMargins() << true;
    QTest::newRow("1043") << 1043 << QSize(0, 40) << QSize(any, 40) << QMargins(12, 0, 7, 0)
                          << false;
    QTest::newRow("1044") << 1044 << QSize(0, 40) << QSize(any, 40) << QMargins(40, 0, 7, 0)
                          << false;
    QTest::newRow("1030 thumbnail")
            << 1030 << QSize(193, 108) << QSize(193, 108) << QMargins() << false;
    QTest::newRow("22 title bar") << 22 << QSize(40, 40) << QSize(40, 40) << QMargins() << false;
}

void tst_Style::buttonGeometry()
{
    QFETCH(int, id);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(QMargins, contents);
    QFETCH(bool, checkable);
    KelButton button(id);
    QCOMPARE(button.minimumSize(), minimum);
    QCOMPARE(button.maximumSize(), maximum);
    QCOMPARE(button.contentsMargins(), contents);
    QCOMPARE(button.isCheckable(), checkable);
    // Every application recipe turns icon tinting on, except the thumbnail.
    QCOMPARE(button.colorizeIcon(), id != 1030);
}

// The recipes that differ by more than the colour values of the roles.
void tst_Style::buttonThemeBranches()
{
    struct Probe
    {
        int id;
        std::function<QColor(const KelButton &)> read;
        QColor dark;
        QColor light;
    };
    const QColor accent(0xE0657B);
    const QList<Probe> probes = {
            {1009, [](const KelButton &b) { return b.background().pressed; }, Qt::transparent,
             QColor(0xE4E4E4)},
            {1014, [](const KelButton &b) { return b.background().hovered; },
             withAlpha(accent, 0.15), withAlpha(accent, 0.05)},
            {1014, [](const KelButton &b) { return b.background().pressed; },
             withAlpha(accent, 0.05), withAlpha(accent, 0.15)},
            {1016, [](const KelButton &b) { return b.background().pressed; }, QColor(0x3A3A3A),
             QColor(Qt::white)},
            {1016, [](const KelButton &b) { return b.background().hovered; },
             withAlpha(QColor(0x3A3A3A), 0.75), withAlpha(Qt::white, 0.75)},
            {1045, [](const KelButton &b) { return b.background().normal; },
             withAlpha(Qt::white, 0.1), withAlpha(Qt::black, 0.1)},
            {1045, [](const KelButton &b) { return b.textColors().normal; }, QColor(Qt::white),
             QColor(0x303030)},
    };
    for (const QString &theme : {Dark, Light}) {
        QVERIFY(manager()->setCurrentStyle(theme));
        for (const Probe &probe : probes) {
            KelButton button(probe.id);
            const QColor expected = theme == Dark ? probe.dark : probe.light;
            QVERIFY2(probe.read(button).rgba() == expected.rgba(),
                     qPrintable(QStringLiteral("%1 %2: %3 instead of %4")
                                        .arg(theme)
                                        .arg(probe.id)
                                        .arg(describe(probe.read(button)), describe(expected))));
        }
    }
}

void tst_Style::buttonRecipesRunThroughTheVirtualOperation()
{
    // The footer buttons are the application's outline and accent buttons.
    KelButton footer(20);
    KelButton outline(1010);
    KelButton footerAccent(21);
    KelButton accent(1011);
    footer.setObjectName(QStringLiteral("same"));
    outline.setObjectName(QStringLiteral("same"));
    footerAccent.setObjectName(QStringLiteral("same"));
    accent.setObjectName(QStringLiteral("same"));
    auto look = [](QWidget *widget) {
        return record(widget).filter(QRegularExpression("^(?!.*styleId=)"));
    };
    QCOMPARE(look(&footer), look(&outline));
    QCOMPARE(look(&footerAccent), look(&accent));

    // 1022 builds on this class's 18, which builds on the framework's 18.
    const Style *style = styleOf(Light);
    KelButton item(1022);
    QCOMPARE(item.borderColors().pressed, style->color(1011));
    QCOMPARE(item.borderColors().checked, style->color(1010));
    QCOMPARE(item.arrow(), style->arrowParams(1000));
    QCOMPARE(item.borderWidths(), QMargins());
    QCOMPARE(item.minimumHeight(), 56);

    // Unknown ids get the framework's recipe.
    KelButton small(28);
    QCOMPARE(small.cornerRadii(), QMargins(6, 6, 6, 6));
}

void tst_Style::labelRecipes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("role");
    // Role -1 is the default text colour, -2 the secondary one.
    QTest::newRow("9") << 9 << 14 << 50 << -1;
    QTest::newRow("1051") << 1051 << 12 << 50 << -1;
    QTest::newRow("1052") << 1052 << 12 << 50 << -2;
    QTest::newRow("1053") << 1053 << 14 << 50 << -1;
    QTest::newRow("1054") << 1054 << 14 << 57 << -1;
    QTest::newRow("1055") << 1055 << 14 << 57 << 1000;
    QTest::newRow("1056") << 1056 << 15 << 50 << -1;
    QTest::newRow("1057") << 1057 << 16 << 57 << -1;
    QTest::newRow("1058") << 1058 << 24 << 75 << -1;
    QTest::newRow("1059") << 1059 << 14 << 50 << -1;
}

void tst_Style::labelRecipes()
{
    QFETCH(int, id);
    QFETCH(int, pixelSize);
    QFETCH(int, weight);
    QFETCH(int, role);
    for (const QString &theme : {Light, Dark}) {
        QVERIFY(manager()->setCurrentStyle(theme));
        const Style *style = styleOf(theme);
        KelLabel label(id);
        QCOMPARE(label.font().family(), QStringLiteral("Segoe UI"));
        QCOMPARE(label.font().pixelSize(), pixelSize);
        QCOMPARE(label.font().weight(), weight);
        const QColor text = role == -1 ? style->defaultTextColor()
                : role == -2           ? style->defaultSecondTextColor()
                                       : style->color(role);
        QCOMPARE(label.palette().color(QPalette::WindowText), text);
        if (id == 9) {
            QCOMPARE(label.alignment(), Qt::AlignTop | Qt::AlignHCenter);
            QVERIFY(label.wordWrap());
        } else if (id == 1059) {
            QCOMPARE(label.alignment(), Qt::AlignLeft | Qt::AlignVCenter);
            QVERIFY(label.wordWrap());
            QCOMPARE(label.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
            QCOMPARE(label.sizePolicy().verticalPolicy(), QSizePolicy::MinimumExpanding);
        }
    }
}

void tst_Style::lineEditRecipes()
{
    const Style *style = styleOf(Light);

    KelLineEdit code(1063);
    QCOMPARE(code.font().family(), QStringLiteral("Segoe UI Mono"));
    QCOMPARE(code.font().pixelSize(), 20);
    QCOMPARE(code.contentsMargins(), QMargins(17, 10, 17, 10));
    QCOMPARE(code.alignment(), Qt::AlignCenter);
    QCOMPARE(code.sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    // Both names are mapped onto installed families of their kind.
    QCOMPARE(QFont::substitute(QStringLiteral("Segoe UI Mono")).toLower(),
             QStringLiteral("dejavu sans mono"));
    QCOMPARE(QFont::substitute(QStringLiteral("Segoe UI")).toLower(), QStringLiteral("dejavu sans"));

    KelLineEdit name(1060);
    QCOMPARE(name.font().pixelSize(), 16);
    QCOMPARE(name.height(), 32);
    QCOMPARE(name.maximumHeight(), 32);
    QCOMPARE(name.focusPolicy(), Qt::ClickFocus);
    QCOMPARE(name.contentsMargins(), QMargins(7, 0, 7, 0));
    QCOMPARE(name.borderColors().pressed, style->color(0));
    QCOMPARE(name.palette().color(QPalette::Active, QPalette::Text), style->defaultTextColor());
    QCOMPARE(name.palette().color(QPalette::Disabled, QPalette::Text), style->defaultTextColor());

    KelLineEdit search(1061);
    QCOMPARE(search.maximumHeight(), 36);
    QCOMPARE(search.minimumHeight(), 36);

    KelLineEdit underlined(1062);
    QCOMPARE(underlined.maximumHeight(), QWIDGETSIZE_MAX);
    QCOMPARE(underlined.cornerRadii(), QMargins());
    QCOMPARE(underlined.borderWidths(), QMargins(0, 0, 0, 1));
    QCOMPARE(underlined.borderColors(), KelStateColors(style->color(1013)));
}

void tst_Style::spinBoxRecipe()
{
    KelSpinBox spin(1064);
    QCOMPARE(spin.minimumSize(), QSize(52, 26));
    QCOMPARE(spin.maximumSize(), QSize(52, 26));
    QCOMPARE(spin.buttonSymbols(), QAbstractSpinBox::NoButtons);
    QCOMPARE(spin.alignment(), Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(spin.contentsMargins(), QMargins(2, 0, 2, 0));
    QCOMPARE(spin.font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(spin.font().pixelSize(), 14);
    QCOMPARE(spin.palette().color(QPalette::Text), styleOf(Light)->defaultTextColor());
}

void tst_Style::sliderRecipes()
{
    const Style *style = styleOf(Light);

    KelSlider plain(37, Qt::Horizontal);
    KelButton *knob = plain.positionHandle();
    QCOMPARE(knob->size(), QSize(16, 16));
    QCOMPARE(knob->background(), KelStateColors(Qt::white));
    QCOMPARE(plain.minimumHeight(), 26);
    QCOMPARE(plain.contentsMargins(), QMargins(4, 4, 4, 4));
    auto *shadow = qobject_cast<KelGraphicsDropShadowEffect *>(knob->graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->color(), style->color(11));
    QCOMPARE(shadow->blurRadius(), 8.0);

    KelSlider vertical(37, Qt::Vertical);
    QCOMPARE(vertical.minimumWidth(), 26);

    KelSlider trim(1068, Qt::Horizontal);
    QCOMPARE(trim.minimumHeight(), 16);
    for (KelButton *handle : {trim.leftTrimHandle(), trim.rightTrimHandle()}) {
        QCOMPARE(handle->contentsMargins(), QMargins(6, 2, 6, 8));
        QCOMPARE(handle->background(), style->stateColors(1000));
        QCOMPARE(handle->textColors(), KelStateColors(Qt::white));
        QCOMPARE(handle->font().family(), QStringLiteral("Segoe UI"));
        QCOMPARE(handle->font().pixelSize(), 12);
    }
    QCOMPARE(trim.positionHandle()->borderColors(), KelStateColors(style->color(1000)));
    QCOMPARE(trim.positionHandle()->focusPolicy(), trim.focusPolicy());
}

void tst_Style::frameRecipes()
{
    const Style *style = styleOf(Light);
    KelFrame preview(1049);
    QCOMPARE(preview.background(), KelStateColors(style->color(1017)));
    QCOMPARE(preview.cornerRadii(), QMargins(6, 6, 6, 6));
    KelFrame caption(1048);
    QCOMPARE(caption.borderColors(), KelStateColors(style->color(1)));
    KelFrame box(1050);
    QCOMPARE(box.borderWidths(), QMargins(1, 1, 1, 1));
    QCOMPARE(box.borderColors().disabled, style->color(1013));

    // Other ids leave a painter exactly as it was.
    for (int id : {1037, 2000, 0}) {
        KelFrame frame(-1);
        frame.setBackground(KelStateColors(Qt::red));
        frame.setBorderColors(KelStateColors(Qt::blue));
        frame.setBorderWidths(QMargins(1, 2, 3, 4));
        frame.setCornerRadii(QMargins(5, 6, 7, 8));
        frame.setMargins(QMargins(9, 9, 9, 9));
        static_cast<KelFramePainter &>(frame).setContentsMargins(QMargins(2, 2, 2, 2));
        const QStringList before = record(&frame);
        style->applyFrameStyle(&frame, id);
        QCOMPARE(record(&frame), before);
    }
}

void tst_Style::scrollAreaRecipes()
{
    const Style *style = styleOf(Light);
    KelScrollArea area(1069);
    QCOMPARE(area.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!area.findChildren<KelScrollBar *>().isEmpty());
    QCOMPARE(area.palette().color(area.backgroundRole()), style->color(1017));

    // The framework's own area ids get nothing from the application.
    KelScrollArea other(38);
    QCOMPARE(other.horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

void tst_Style::animatedIcons()
{
    using namespace KelAnimatedIcons;
    KelIconsProvider *provider = KelIconsProvider::instance();
    KelIcon *check = provider->icon(CheckBoxIcon::Name);
    KelIcon *toggle = provider->icon(ToggleIcon::Name);
    KelIcon *radio = provider->icon(RadioIcon::Name);
    KelWidgetStateAnimator checked(0);
    checked.setCheckedProgress(1.0);
    KelWidgetStateAnimator unchecked(0);
    auto pixel = [](KelIcon *icon, KelWidgetStateAnimator *state, const QPoint &at) {
        return icon->animatedPixmap(1.0, icon->size1x(), QColor(), state).toImage().pixelColor(at);
    };
    for (const QString &theme : {Light, Dark}) {
        QVERIFY(manager()->setCurrentStyle(theme));
        const Style *style = styleOf(theme);
        QCOMPARE(check->size1x(), QSize(20, 20));
        // A checked box is filled with the accent, away from the check mark.
        QCOMPARE(pixel(check, &checked, QPoint(4, 15)).rgb(), style->color(0).rgb());
        // The unchecked toggle's track has the role 1012 grey, the checked one
        // the accent.
        const QPoint track(2, toggle->size1x().height() / 2);
        QCOMPARE(pixel(toggle, &unchecked, track).rgb(), style->color(1012).rgb());
        QCOMPARE(pixel(toggle, &checked, track).rgb(), style->color(0).rgb());
        // A checked radio is filled with the strongest grey of the theme
        // around its dot.
        const QPoint ring(3, radio->size1x().height() / 2);
        QCOMPARE(pixel(radio, &checked, ring).rgb(), style->color(1007).rgb());
    }
}

void tst_Style::mainWindowRecipe()
{
    std::unique_ptr<KelWindow> window = makeWindow(0);
    KelTitleBar *bar = window->titleBar();
    QCOMPARE(bar->minimumHeight(), 40);
    QCOMPARE(bar->maximumHeight(), 40);
    QCOMPARE(bar->styleId(), 1048);
    QCOMPARE(bar->borderColors(), KelStateColors(styleOf(Light)->color(1)));
    QCOMPARE(bar->appIcon()->icon()->path(), QStringLiteral(":/appicon.svg"));
    QCOMPARE(bar->appIcon()->contentsMargins(), QMargins(10, 0, 6, 0));
    QCOMPARE(bar->titleLabel()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

void tst_Style::dialogWindowRecipes()
{
    std::unique_ptr<KelWindow> dialog = makeWindow(1);
    KelTitleBar *bar = dialog->titleBar();
    QCOMPARE(bar->minimumHeight(), 72);
    QCOMPARE(bar->maximumHeight(), 72);
    QCOMPARE(bar->titleLabel()->styleId(), 1057);
    QCOMPARE(bar->titleLabel()->font().pixelSize(), 16);
    QCOMPARE(bar->titleLabel()->alignment(), Qt::AlignCenter);
    // The sides keep a centred title off the window buttons.
    QCOMPARE(bar->titleLabel()->contentsMargins(), QMargins(32, 0, 32, 2));
    QCOMPARE(dialog->centralWidget()->minimumWidth(), 480);
    QLayout *footer = dialogPart(dialog.get(), "KelFooter")->layout();
    QCOMPARE(footer->contentsMargins(), QMargins(32, 24, 32, 24));
    QCOMPARE(footer->spacing(), 10);
    // The leading stretch is gone, and only it: a re-apply keeps the button.
    QCOMPARE(footer->count(), 1);
    QVERIFY(qobject_cast<KelButton *>(footer->itemAt(0)->widget()));
    dialog->applyStyle();
    QCOMPARE(footer->count(), 1);

    std::unique_ptr<KelWindow> form = makeWindow(2);
    QWidget *content = dialogPart(form.get(), "KelDialogContent");
    QCOMPARE(content->contentsMargins(), QMargins(32, 0, 32, 0));
    auto *column = qobject_cast<QVBoxLayout *>(content->layout());
    QVERIFY(column);
    QCOMPARE(column->spacing(), 32);
    QCOMPARE(column->contentsMargins(), QMargins());
    // The message box's buttons stay right-aligned, off the window's edge.
    QLayout *formFooter = dialogPart(form.get(), "KelFooter")->layout();
    QCOMPARE(formFooter->contentsMargins(), QMargins(32, 24, 32, 24));
    QCOMPARE(formFooter->spacing(), 10);
    QVERIFY(formFooter->itemAt(0)->spacerItem());
}

void tst_Style::compactCaptionWindowRecipe()
{
    std::unique_ptr<KelWindow> window = makeWindow(1000);
    KelTitleBar *bar = window->titleBar();
    auto checkCaption = [&] {
        QCOMPARE(bar->maximumHeight(), 32);
        QCOMPARE(bar->contentsMargins(), QMargins());
        const QList<QWidget *> children = bar->findChildren<QWidget *>(QString(),
                                                                       Qt::FindDirectChildrenOnly);
        QVERIFY(children.size() >= 8);
        for (QWidget *child : children) {
            QVERIFY2(child->minimumHeight() == 32 && child->maximumHeight() == 32,
                     qPrintable(child->objectName()));
        }
    };
    checkCaption();
    QCOMPARE(bar->titleLabel()->styleId(), 1051);
    QCOMPARE(bar->titleLabel()->alignment(), Qt::AlignCenter);
    QCOMPARE(bar->appIcon()->icon()->path(), QStringLiteral(":/appicon.svg"));
    QCOMPARE(bar->appIcon()->iconSize(), QSize(20, 20));
    QCOMPARE(bar->appIcon()->contentsMargins(), QMargins(6, 6, 0, 6));
    QCOMPARE(window->windowFrame()->borderColor(), styleOf(Light)->color(1012));

    // The caption buttons are dressed after the window on a switch, and
    // still stay as high as the bar.
    QVERIFY(manager()->setCurrentStyle(Dark));
    checkCaption();
    QCOMPARE(window->windowFrame()->borderColor(), styleOf(Dark)->color(1012));
}

void tst_Style::popupWindowRecipes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QMargins>("margins");
    QTest::newRow("3") << 3 << QMargins(0, 4, 0, 4);
    QTest::newRow("5") << 5 << QMargins(0, 4, 0, 4);
    QTest::newRow("1001") << 1001 << QMargins();
    QTest::newRow("1002") << 1002 << QMargins(0, 0, 0, 4);
}

void tst_Style::popupWindowRecipes()
{
    QFETCH(int, id);
    QFETCH(QMargins, margins);
    KelWindow window(id, KelWindow::PopupWindow);
    QCOMPARE(window.contentsMargins(), margins);
    if (id != 1001)
        return;
    const Style *style = styleOf(Light);
    KelWindowFrame *frame = window.windowFrame();
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(frame->background().color(), style->color(2));
    QCOMPARE(frame->borderWidth(), 1);
    QCOMPARE(frame->borderColor(), style->color(1013));
    QCOMPARE(frame->shadowRadius(), 0);
}

void tst_Style::themeSwitchRestylesCompletely()
{
    std::unique_ptr<QWidget> switched = showPage();
    std::unique_ptr<QWidget> fresh = showPage();
    const QImage freshLightImage = renderPage(fresh.get());
    const QStringList freshLight = record(fresh.get());

    QVERIFY(manager()->setCurrentStyle(Dark));
    fresh = showPage();
    const QImage freshDarkImage = renderPage(fresh.get());
    const QStringList freshDark = record(fresh.get());
    fresh.reset();
    QVERIFY(freshDark != freshLight);
    QCOMPARE(renderPage(switched.get()), freshDarkImage);
    QCOMPARE(record(switched.get()), freshDark);

    QVERIFY(manager()->setCurrentStyle(Light));
    QCOMPARE(renderPage(switched.get()), freshLightImage);
    QCOMPARE(record(switched.get()), freshLight);
}

void tst_Style::themeSwitchRestylesWindows()
{
    auto buildAll = [] {
        std::vector<std::unique_ptr<KelWindow>> windows;
        for (int id : WindowIds)
            windows.push_back(makeWindow(id));
        return windows;
    };
    auto recordAll = [](const std::vector<std::unique_ptr<KelWindow>> &windows) {
        QStringList lines;
        for (const auto &window : windows)
            lines += record(window.get());
        return lines;
    };
    const auto switched = buildAll();
    const QStringList freshLight = recordAll(buildAll());
    QVERIFY(manager()->setCurrentStyle(Dark));
    const QStringList freshDark = recordAll(buildAll());
    QVERIFY(freshDark != freshLight);
    QCOMPARE(recordAll(switched), freshDark);
    QVERIFY(manager()->setCurrentStyle(Light));
    QCOMPARE(recordAll(switched), freshLight);
}

void tst_Style::toggleShadowIsMadeAndTiedOnce()
{
    CountingButton button(1016);
    auto *effect = qobject_cast<KelGraphicsDropShadowEffect *>(button.graphicsEffect());
    QVERIFY(effect);
    QVERIFY(!effect->isEnabled());
    for (const QString &theme : {Dark, Light, Dark})
        QVERIFY(manager()->setCurrentStyle(theme));
    QCOMPARE(button.graphicsEffect(), effect);
    QCOMPARE(button.findChildren<QGraphicsEffect *>().size(), 1);
    QCOMPARE(button.toggledReceivers(), 1);
    QCOMPARE(effect->color().rgba(), withAlpha(Qt::black, 0.08).rgba());
    QCOMPARE(effect->offset(), QPointF(0, 2));
    QCOMPARE(effect->blurRadius(), 8.0);

    button.setCheckable(true);
    QSignalSpy enabled(effect, &QGraphicsEffect::enabledChanged);
    QSignalSpy toggled(&button, &KelButton::toggled);
    button.setChecked(true);
    QVERIFY(toggled.wait(WaitBound::ms()));
    QCOMPARE(enabled.size(), 1);
    QVERIFY(effect->isEnabled());
    button.setChecked(false);
    QVERIFY(toggled.wait(WaitBound::ms()));
    QCOMPARE(enabled.size(), 2);
    QVERIFY(!effect->isEnabled());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_Style test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_style.moc"
