#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"

#include "../offscreenleak.h"

#include <QLabel>
#include <QMenu>
#include <QtTest>

Q_DECLARE_METATYPE(KelStateColors)
Q_DECLARE_METATYPE(KelArrowParams)
Q_DECLARE_METATYPE(KelAnimationParams)
Q_DECLARE_METATYPE(QMargins)

// State colours by their 8-bit channels, as they are painted.
static QString describe(const KelStateColors &c)
{
    QStringList names;
    for (const QColor &color : {c.normal, c.hovered, c.pressed, c.disabled, c.checked,
                                c.checkedHovered, c.checkedPressed, c.checkedDisabled})
        names << (color.isValid() ? color.name(QColor::HexArgb) : QStringLiteral("invalid"));
    return names.join(QLatin1Char(' '));
}

namespace {

// A dark theme that overrides a few base ids, so that values derived from
// them must follow.
class DarkStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("DarkStyle"); }
    bool isDarkTheme() const override { return true; }
    int metric(int id) const override
    {
        switch (id) {
        case 0:
            return 2;
        case 25:
            return 30;
        default:
            return KelStyle::metric(id);
        }
    }
    QColor color(int id) const override
    {
        switch (id) {
        case 0:
            return QColor(0xE0657B);
        case 3:
            return QColor(255, 0, 0, 100);
        case 9:
            return QColor(0x3A3A3A);
        default:
            return KelStyle::color(id);
        }
    }
};

KelStyle *styleFor(bool dark)
{
    static KelStyle base;
    static DarkStyle darkStyle;
    return dark ? &darkStyle : static_cast<KelStyle *>(&base);
}

QColor black(int alpha)
{
    return QColor(0, 0, 0, alpha);
}

QColor white(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

const QColor clear = Qt::transparent;
const QColor inv;

} // namespace

class tst_KelStyle : public QObject
{
    Q_OBJECT

private slots:
    void identity();
    void metric_data();
    void metric();
    void opacitySizeMargins();
    void color_data();
    void color();
    void stateColors_data();
    void stateColors();
    void arrowParams();
    void animationParams_data();
    void animationParams();
    void iconPath();
    void overlayAndTextColors_data();
    void overlayAndTextColors();
    void menuStyleSheet();
    void applyMenuStyle();
    void applyLabelStyle_data();
    void applyLabelStyle();
};

void tst_KelStyle::identity()
{
    KelStyle style;
    QCOMPARE(style.styleId(), QStringLiteral("KelStyle"));
    QCOMPARE(style.displayName(), QStringLiteral("KelStyle"));
    QVERIFY(style.styleIcon().isEmpty());
    QVERIFY(!style.isDarkTheme());
}

void tst_KelStyle::metric_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("expected");

    const QList<QPair<int, int>> base = {{0, 1},   {1, 20},  {2, 0},    {3, 1},    {4, 20},
                                         {5, 0},   {9, 0},   {11, 150}, {12, 200}, {13, 1},
                                         {14, 20}, {22, 1},  {24, 1},   {25, 24},  {27, 24},
                                         {29, 12}, {33, 16}, {35, 14},  {36, 0},   {-1, 0}};
    for (const auto &row : base)
        QTest::addRow("base %d", row.first) << false << row.first << row.second;
    // Ids written in terms of 0 and 25 follow the override.
    const QList<QPair<int, int>> dark = {{0, 2}, {3, 2}, {7, 2}, {13, 2}, {4, 20}, {27, 30}};
    for (const auto &row : dark)
        QTest::addRow("dark %d", row.first) << true << row.first << row.second;
}

void tst_KelStyle::metric()
{
    QFETCH(bool, dark);
    QFETCH(int, id);
    QFETCH(int, expected);
    QCOMPARE(styleFor(dark)->metric(id), expected);
}

void tst_KelStyle::opacitySizeMargins()
{
    KelStyle style;
    QCOMPARE(style.opacity(0), 0.6);
    QCOMPARE(style.opacity(1), 0.57);
    QCOMPARE(style.opacity(2), 0.0);
    QCOMPARE(style.size(0), QSize(92, 36));
    QCOMPARE(style.size(1), QSize(0, 0));
    QCOMPARE(style.size(-1), QSize(0, 0));

    const QList<QPair<int, QMargins>> margins = {{0, {16, 16, 16, 16}}, {1, {16, 8, 8, 16}},
                                                 {2, {4, 4, 4, 4}},     {3, {0, 0, 0, 0}},
                                                 {4, {16, 4, 16, 4}},   {5, {0, 0, 0, 0}},
                                                 {6, {12, 4, 12, 4}},   {7, {8, 0, 8, 0}},
                                                 {8, {0, 0, 0, 0}}};
    for (const auto &row : margins)
        QCOMPARE(style.margins(row.first), row.second);
}

void tst_KelStyle::color_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("id");
    QTest::addColumn<QColor>("expected");

    const QColor frame = QColor::fromRgbF(0, 0, 0, 0.22);
    const QList<QPair<int, QColor>> base = {{0, inv},
                                            {1, black(46)},
                                            {2, Qt::white},
                                            {3, frame},
                                            {4, frame},
                                            {5, black(64)},
                                            {6, QColor(0xF4F4F4)},
                                            {7, frame},
                                            {8, frame},
                                            {9, Qt::white},
                                            {10, frame},
                                            {11, frame},
                                            {12, black(46)},
                                            {13, Qt::white},
                                            {14, frame},
                                            {15, frame},
                                            {16, QColor(0x2C2B30)},
                                            {17, QColor(0xF4F4F4)},
                                            {18, QColor(0x458BCF)},
                                            {19, QColor(0xFF373A)},
                                            {20, QColor(0x47AD74)},
                                            {21, QColor(0x656565)},
                                            {22, inv},
                                            {-1, inv}};
    for (const auto &row : base)
        QTest::addRow("base %d", row.first) << false << row.first << row.second;

    // Derived roles follow the dark theme's overrides of 3 and 9 and its
    // darkness.
    const QColor red(255, 0, 0, 100);
    const QList<QPair<int, QColor>> dark = {{1, white(60)}, {4, red},        {5, black(128)},
                                            {7, red},       {8, red},        {10, red},
                                            {11, red},      {12, white(60)}, {13, QColor(0x3A3A3A)},
                                            {14, red},      {15, red}};
    for (const auto &row : dark)
        QTest::addRow("dark %d", row.first) << true << row.first << row.second;
}

void tst_KelStyle::color()
{
    QFETCH(bool, dark);
    QFETCH(int, id);
    QFETCH(QColor, expected);
    QCOMPARE(styleFor(dark)->color(id), expected);
}

void tst_KelStyle::stateColors_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("id");
    QTest::addColumn<KelStateColors>("expected");

    const QColor hover = black(24), press = black(46);
    const KelStateColors zero(clear, hover, press, inv, press, press, press, inv);
    QTest::newRow("base 0") << false << 0 << zero;
    QTest::newRow("base 1") << false << 1 << zero;
    QTest::newRow("base 2") << false << 2 << zero;
    // The base has no accent: the link colour stands in.
    const QColor link(0x458BCF);
    const QColor pressedLink = KelUtils::blendColors(link, press);
    QTest::newRow("base 3") << false << 3
                            << KelStateColors(QColor(0x656565), link, pressedLink, inv, link, hover,
                                              pressedLink, inv);
    const QColor w = Qt::white, d(0xF4F4F4);
    QTest::newRow("base 4") << false << 4 << KelStateColors(w, w, w, d, w, w, w, d);
    const KelStateColors border(QColor(0xE2E2E2), hover, press, QColor(0xF1F1F1), press, press,
                                press, QColor(0xF1F1F1));
    QTest::newRow("base 5") << false << 5 << border;
    QTest::newRow("base 6") << false << 6 << border;
    QTest::newRow("base 7") << false << 7
                            << KelStateColors(clear, hover, press, inv, clear, hover, press, inv);
    QTest::newRow("base 8") << false << 8
                            << KelStateColors(clear, QColor(0xE81123), QColor(0xA92831), inv, clear,
                                              QColor(0xE81123), QColor(0xA92831), inv);
    QTest::newRow("base 9") << false << 9 << KelStateColors(QColor(0x2C2B30));
    QTest::newRow("base 10") << false << 10 << KelStateColors(inv);

    const QColor darkHover = white(30), darkPress = white(60);
    QTest::newRow("dark 0") << true << 0
                            << KelStateColors(clear, darkHover, darkPress, inv, darkPress,
                                              darkPress, darkPress, inv);
    const QColor accent(0xE0657B);
    const QColor darkPressedAccent(0xE7899A);
    QTest::newRow("dark 3") << true << 3
                            << KelStateColors(QColor(0x656565), accent, darkPressedAccent, inv,
                                              accent, darkHover, darkPressedAccent, inv);
    QTest::newRow("dark 9") << true << 9 << KelStateColors(QColor(0xF4F4F4));
}

void tst_KelStyle::stateColors()
{
    QFETCH(bool, dark);
    QFETCH(int, id);
    QFETCH(KelStateColors, expected);
    QCOMPARE(describe(styleFor(dark)->stateColors(id)), describe(expected));
}

void tst_KelStyle::arrowParams()
{
    KelStyle style;
    const QList<QPair<int, KelArrowParams>> rows
            = {{0, {QSize(8, 5), QMargins(0, 1, 0, 0), Qt::DownArrow, 0.0}},
               {1, {QSize(5, 8), QMargins(0, 1, 0, 0), Qt::RightArrow, 0.0}},
               {2, {QSize(8, 5), QMargins(8, 4, 8, 2), Qt::UpArrow, 0.0}},
               {3, {QSize(8, 5), QMargins(8, 2, 8, 4), Qt::DownArrow, 0.0}},
               {4, {QSize(0, 0), QMargins(), Qt::DownArrow, 0.0}}};
    for (const auto &row : rows) {
        const KelArrowParams params = style.arrowParams(row.first);
        QCOMPARE(params.size, row.second.size);
        QCOMPARE(params.margins, row.second.margins);
        QCOMPARE(params.direction, row.second.direction);
        QCOMPARE(params.lineWidth, 0.0);
    }

    // Change tests look at the geometry only.
    KelArrowParams thick = style.arrowParams(0);
    thick.lineWidth = 2.0;
    QVERIFY(thick == style.arrowParams(0));
    thick.direction = Qt::UpArrow;
    QVERIFY(thick != style.arrowParams(0));
}

void tst_KelStyle::animationParams_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<KelAnimationParams>("expected");

    const int in = QEasingCurve::InCubic, out = QEasingCurve::OutCubic;
    QTest::newRow("disabled") << 0 << KelAnimationParams{out, 500, in, 500, 0.0, 1.0};
    QTest::newRow("hovered") << 1 << KelAnimationParams{out, 200, in, 500, 0.0, 1.0};
    QTest::newRow("pressed") << 2 << KelAnimationParams{out, 200, out, 200, 0.0, 1.0};
    QTest::newRow("checked") << 3 << KelAnimationParams{out, 300, in, 500, 0.0, 1.0};
    QTest::newRow("overlay fade") << 4 << KelAnimationParams{out, 150, in, 350, 0.0, 1.0};
    QTest::newRow("unknown") << 5 << KelAnimationParams{0, 0, 0, 0, QVariant(), QVariant()};
}

void tst_KelStyle::animationParams()
{
    QFETCH(int, kind);
    QFETCH(KelAnimationParams, expected);
    const KelAnimationParams params = KelStyle().animationParams(kind);
    QVERIFY(params == expected);
    if (expected.startValue.isValid()) {
        QCOMPARE(params.startValue.userType(), int(QMetaType::Double));
        QCOMPARE(params.endValue.userType(), int(QMetaType::Double));
    } else {
        QVERIFY(!params.startValue.isValid());
        QVERIFY(!params.endValue.isValid());
    }
}

void tst_KelStyle::iconPath()
{
    KelStyle style;
    for (int id : {0, 6, 7, 8, 9}) {
        QVERIFY(!style.iconPath(id).isNull());
        QVERIFY(style.iconPath(id).isEmpty());
    }
    QCOMPARE(style.iconPath(1), QStringLiteral("KelAnimatedCheckBoxIcon"));
    QCOMPARE(style.iconPath(2), QStringLiteral("KelAnimatedRadioIcon"));
    QCOMPARE(style.iconPath(3), QStringLiteral("KelAnimatedToggleIcon"));
    QCOMPARE(style.iconPath(4), QStringLiteral(":/kelui/close-10.svg"));
    QCOMPARE(style.iconPath(5), QStringLiteral(":/kelui/close-10.svg"));
    QCOMPARE(style.iconPath(10), QStringLiteral(":/kelui/titlebar-minimize.svg"));
    QCOMPARE(style.iconPath(11), QStringLiteral(":/kelui/titlebar-maximize.svg"));
    QCOMPARE(style.iconPath(12), QStringLiteral(":/kelui/titlebar-restore.svg"));
    QCOMPARE(style.iconPath(13), QStringLiteral(":/kelui/titlebar-close.svg"));
    QVERIFY(style.iconPath(14).isNull());
    QVERIFY(style.iconPath(-1).isNull());
}

void tst_KelStyle::overlayAndTextColors_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("hover");
    QTest::addColumn<QColor>("press");

    const QColor darkText(0x2C2B30), lightText(0xF4F4F4);
    QTest::newRow("light theme, transparent")
            << false << QColor(Qt::transparent) << darkText << black(24) << black(46);
    QTest::newRow("light theme, invalid")
            << false << QColor() << darkText << black(24) << black(46);
    QTest::newRow("light theme, black")
            << false << QColor(Qt::black) << lightText << white(30) << white(60);
    QTest::newRow("dark theme, transparent white")
            << true << QColor(255, 255, 255, 0) << lightText << white(30) << white(60);
    QTest::newRow("dark theme, white")
            << true << QColor(Qt::white) << darkText << black(24) << black(46);
    QTest::newRow("dark theme, translucent black")
            << true << black(1) << lightText << white(30) << white(60);
}

void tst_KelStyle::overlayAndTextColors()
{
    QFETCH(bool, dark);
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    QFETCH(QColor, hover);
    QFETCH(QColor, press);
    KelStyle *style = styleFor(dark);
    QCOMPARE(style->textColorFor(background), text);
    QCOMPARE(style->hoverOverlayColor(background), hover);
    QCOMPARE(style->pressedOverlayColor(background), press);

    const QColor defaultText = dark ? QColor(0xF4F4F4) : QColor(0x2C2B30);
    QCOMPARE(style->defaultTextColor(), defaultText);
    QCOMPARE(style->defaultSecondTextColor().rgb(), defaultText.rgb());
    QCOMPARE(style->defaultSecondTextColor().alpha(), qRound(0.57 * 255));
}

static QString menuSheet(const QString &border, const QString &background, const QString &text,
                         const QString &disabled, const QString &selected, const QString &separator)
{
    return QStringLiteral("QMenu {    border: 1px solid %1;    background-color: %2;    color: "
                          "%3;    padding: 0px;}QMenu::item {    padding: 3px 35px 3px 20px;    "
                          "background-color: transparent;}QMenu::item:disabled {    color: "
                          "%4;}QMenu::item:selected {    background-color: "
                          "%5;}QMenu::item:disabled:selected {    background-color: "
                          "transparent;}QMenu::separator {    height: 1px;    margin-top: 2px;  "
                          "  margin-bottom: 2px;    background: %6;}")
            .arg(border, background, text, disabled, selected, separator);
}

void tst_KelStyle::menuStyleSheet()
{
    KelStyle style;
    QVERIFY(style.menuStyleSheet(40).isEmpty());
    QVERIFY(style.menuStyleSheet(42).isEmpty());

    // Translucent colours are flattened onto the menu background.
    const QString sheet = style.menuStyleSheet(41);
    QVERIFY(!sheet.contains(QLatin1Char('%')));
    QCOMPARE(sheet, menuSheet("#c7c7c7", "#ffffff", "#2c2b30", "#d1d1d1", "#d1d1d1", "#d1d1d1"));

    // On the dark menu base the overlays are white and the text light.
    const QString dark = styleFor(true)->menuStyleSheet(41);
    QCOMPARE(dark, menuSheet("#872323", "#3a3a3a", "#f4f4f4", "#686868", "#686868", "#686868"));
}

void tst_KelStyle::applyMenuStyle()
{
    KelStyle style;
    QMenu menu;
    style.applyMenuStyle(&menu, 41);
    QCOMPARE(menu.styleSheet(), style.menuStyleSheet(41));

    // An id without a sheet leaves the menu alone.
    style.applyMenuStyle(&menu, 40);
    QCOMPARE(menu.styleSheet(), style.menuStyleSheet(41));
    style.applyMenuStyle(nullptr, 41);
}

void tst_KelStyle::applyLabelStyle_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("id");
    QTest::addColumn<QColor>("textColor");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("wordWrap");
    QTest::addColumn<QMargins>("contentsMargins");

    const QColor untouched(1, 2, 3);
    const int startAlignment = int(Qt::AlignRight | Qt::AlignBottom);
    const QMargins none;
    // The label starts with colour 1,2,3, pixel size 20 and right-bottom
    // alignment; -1 pixel size is the default font.
    QTest::newRow("0 changes nothing") << false << 0 << untouched << 20 << int(QFont::Normal)
                                       << startAlignment << false << none;
    QTest::newRow("7 default font") << false << 7 << QColor(0x2C2B30) << -1 << int(QFont::Normal)
                                    << startAlignment << false << none;
    QTest::newRow("7 dark text") << true << 7 << QColor(0xF4F4F4) << -1 << int(QFont::Normal)
                                 << startAlignment << false << none;
    QTest::newRow("8 error text") << false << 8 << QColor(0xFF373A) << 12 << int(QFont::Normal)
                                  << 0xA4 << false << none;
    QTest::newRow("9 wraps") << false << 9 << QColor(0x2C2B30) << 20 << int(QFont::Normal)
                             << startAlignment << true << none;
    QTest::newRow("27 row label") << false << 27 << QColor(0x2C2B30) << 12 << int(QFont::Bold)
                                  << int(Qt::AlignLeft | Qt::AlignTop) << false
                                  << QMargins(8, 4, 8, 4);
    QTest::newRow("other ids only colour") << false << 1000 << QColor(0x2C2B30) << 20
                                           << int(QFont::Normal) << startAlignment << false << none;
}

void tst_KelStyle::applyLabelStyle()
{
    QFETCH(bool, dark);
    QFETCH(int, id);
    QFETCH(QColor, textColor);
    QFETCH(int, pixelSize);
    QFETCH(int, weight);
    QFETCH(int, alignment);
    QFETCH(bool, wordWrap);
    QFETCH(QMargins, contentsMargins);

    QLabel label;
    QPalette palette = label.palette();
    palette.setColor(label.foregroundRole(), QColor(1, 2, 3));
    label.setPalette(palette);
    QFont font = label.font();
    font.setPixelSize(20);
    label.setFont(font);
    label.setAlignment(Qt::AlignRight | Qt::AlignBottom);

    styleFor(dark)->applyLabelStyle(&label, id);
    QCOMPARE(label.palette().color(QPalette::Active, label.foregroundRole()), textColor);
    QCOMPARE(label.font().pixelSize(), pixelSize);
    QCOMPARE(label.font().weight(), weight);
    QCOMPARE(int(label.alignment()), alignment);
    QCOMPARE(label.wordWrap(), wordWrap);
    QCOMPARE(label.contentsMargins(), contentsMargins);
    if (id > 0)
        QCOMPARE(label.palette().color(QPalette::Disabled, label.foregroundRole()).alphaF(), 0.6);
    if (id == 8 || id == 27)
        QCOMPARE(label.font().family(), QStringLiteral("Segoe UI"));

    styleFor(dark)->applyLabelStyle(nullptr, id);
}

QTEST_MAIN(tst_KelStyle)
#include "tst_kelstyle.moc"
