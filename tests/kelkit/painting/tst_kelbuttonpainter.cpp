#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "painting/kelbuttonpainter.h"
#include "painting/kelicon.h"
#include "painting/kelpaintcontext.h"
#include "widgets/kelbutton.h"

#include <QTextOption>
#include <QtTest>

namespace {

const QString IconPath = QStringLiteral(":/kelui/close-10.svg");
const QSize IconSize(10, 10);
const int Spacing = 5;
const QMargins Padding(3, 2, 3, 2);
const KelArrowParams Arrow{QSize(8, 5), QMargins(1, 1, 1, 1), Qt::DownArrow, 0.0};
const QSize ArrowBox(10, 7);

QSize lineSize(const QString &text)
{
    return text.isEmpty() ? QSize(0, 0) : QFontMetrics(QFont()).size(Qt::TextSingleLine, text);
}

bool hasInk(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y).alpha() > 0)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_KelButtonPainter : public QObject
{
    Q_OBJECT

private slots:
    void sizeHint_data();
    void sizeHint();
    void minimumSizeHintShrinksToDots();
    void setTextSplitsAtSeparator();
    void emptyPainterPaintsNothing();
    void invalidColoursPaintNothing();
    void longTextIsElided();
    void centredTextKeepsIconAndArrowBeside();
    void heightForWidthWraps();
};

void tst_KelButtonPainter::sizeHint_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("layoutMode");
    QTest::addColumn<bool>("withIcon");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("withArrow");
    QTest::addColumn<QSize>("content");

    const QString t = QStringLiteral("Convert");
    const QString s = QStringLiteral("12 MB");
    const QSize T = lineSize(t);
    const QSize S = lineSize(s);
    const QSize I = IconSize;
    const QSize A = ArrowBox;
    const int sp = Spacing;

    QTest::newRow("nothing") << 2 << 2 << false << QString() << QString() << false << QSize(0, 0);
    QTest::newRow("icon alone") << 2 << 2 << true << QString() << QString() << false << I;
    QTest::newRow("left, one text")
            << 2 << 2 << true << t << QString() << false
            << QSize(I.width() + sp + T.width(), qMax(I.height(), T.height()));
    QTest::newRow("left, stacked, arrow")
            << 2 << 2 << true << t << s << true
            << QSize(I.width() + qMax(T.width(), S.width()) + 2 * sp + A.width(),
                     qMax(qMax(I.height(), T.height() + S.height()), A.height()));
    QTest::newRow("right, side by side") << 4 << 1 << true << t << s << false
                                         << QSize(I.width() + T.width() + S.width() + 2 * sp,
                                                  qMax(I.height(), qMax(T.height(), S.height())));
    QTest::newRow("side by side, arrow, no icon")
            << 2 << 1 << false << t << s << true
            << QSize(T.width() + S.width() + 2 * sp + A.width(),
                     qMax(qMax(T.height(), S.height()), A.height()));
    QTest::newRow("top, stacked") << 1 << 2 << true << t << s << false
                                  << QSize(qMax(I.width(), qMax(T.width(), S.width())),
                                           I.height() + T.height() + S.height() + 2 * sp);
    QTest::newRow("bottom, one text, arrow")
            << 8 << 2 << true << t << QString() << true
            << QSize(qMax(I.width(), T.width()) + sp + A.width(),
                     qMax(I.height() + T.height() + sp, A.height()));
    QTest::newRow("top, side by side") << 1 << 1 << true << t << s << false
                                       << QSize(qMax(I.width(), T.width() + sp + S.width()),
                                                I.height() + sp + qMax(T.height(), S.height()));
}

void tst_KelButtonPainter::sizeHint()
{
    QFETCH(int, placement);
    QFETCH(int, layoutMode);
    QFETCH(bool, withIcon);
    QFETCH(QString, text);
    QFETCH(QString, second);
    QFETCH(bool, withArrow);
    QFETCH(QSize, content);

    KelButtonPainter painter(nullptr);
    painter.setContentsMargins(Padding);
    painter.setSpacing(Spacing);
    painter.setIconPlacement(placement);
    painter.setTextLayoutMode(layoutMode);
    if (withIcon)
        painter.setIcon(IconPath);
    painter.setText(text);
    painter.setSecondText(second);
    if (withArrow)
        painter.setArrow(Arrow, KelArrowParams());
    const QSize frame(Padding.left() + Padding.right(), Padding.top() + Padding.bottom());
    QCOMPARE(painter.sizeHint(), content + frame);
}

void tst_KelButtonPainter::minimumSizeHintShrinksToDots()
{
    KelButton button(-1, nullptr, true);
    button.setText(QStringLiteral("A rather long label"));
    const QFontMetrics metrics(button.font());
    QCOMPARE(button.minimumSizeHint().width(),
             metrics.horizontalAdvance(QStringLiteral("A rather long label")));

    button.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    button.resetTextMetrics();
    QCOMPARE(button.minimumSizeHint().width(),
             metrics.size(Qt::TextSingleLine, QStringLiteral("...")).width());
    QCOMPARE(button.sizeHint().width(),
             metrics.horizontalAdvance(QStringLiteral("A rather long label")));
}

void tst_KelButtonPainter::setTextSplitsAtSeparator()
{
    KelButtonPainter painter(nullptr);
    painter.setSecondText(QStringLiteral("kept"));
    painter.setText(QStringLiteral("a|b"));
    QCOMPARE(painter.text(), QStringLiteral("a|b"));
    QCOMPARE(painter.secondText(), QStringLiteral("kept"));

    painter.setTextSeparator(QLatin1Char('|'));
    painter.setText(QStringLiteral("a|b|c"));
    QCOMPARE(painter.text(), QStringLiteral("a"));
    QCOMPARE(painter.secondText(), QStringLiteral("b|c"));
    painter.setText(QStringLiteral("abc"));
    QCOMPARE(painter.secondText(), QString());

    // The same main text without a second part still clears the second text.
    painter.setText(QStringLiteral("a|b"));
    const QSize withSecond = painter.sizeHint();
    painter.setText(QStringLiteral("a"));
    QCOMPARE(painter.text(), QStringLiteral("a"));
    QCOMPARE(painter.secondText(), QString());
    QVERIFY(painter.sizeHint().height() < withSecond.height());
}

void tst_KelButtonPainter::emptyPainterPaintsNothing()
{
    KelButtonPainter painter(nullptr);
    painter.setContentsMargins(Padding);
    painter.setTextColors(KelStateColors(Qt::red));
    painter.setFrameRect(QRect(0, 0, 40, 20));
    QCOMPARE(painter.sizeHint(), QSize(6, 4));
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        KelPaintContext ctx(&image);
        painter.paintFrame(ctx, nullptr);
        painter.paintContent(ctx, nullptr);
    }
    QVERIFY(!hasInk(image, image.rect()));
}

void tst_KelButtonPainter::invalidColoursPaintNothing()
{
    // A text and an arrow whose colours resolve invalid: nothing, not black.
    KelButton button(-1, nullptr, true);
    button.setText(QStringLiteral("Text"));
    button.setTextColors(KelStateColors(QColor()));
    button.setArrow(Arrow, Arrow);
    button.setArrowColors(KelStateColors(QColor()));
    button.resize(button.sizeHint() + QSize(10, 10));
    QImage image(button.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(button.textRect().isValid());
    QVERIFY(button.arrowRect().isValid());
    QVERIFY(!hasInk(image, image.rect()));
}

void tst_KelButtonPainter::longTextIsElided()
{
    KelButton button(-1, nullptr, true);
    button.setTextColors(KelStateColors(Qt::red));
    button.setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    button.setContentsMargins(QMargins(0, 0, 20, 0));
    button.setText(QStringLiteral("Fits"));
    button.resize(button.sizeHint().width() + 40, 30);
    QImage image(button.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(!button.isTextElided());

    button.setText(QStringLiteral("This text is much too long for the button"));
    image.fill(Qt::transparent);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(button.isTextElided());
    const QRect text = button.textRect();
    QCOMPARE(text.width(), button.width() - 20);
    QVERIFY(hasInk(image, text));
    // The elided text stays inside its rect.
    QVERIFY(!hasInk(image, QRect(text.right() + 2, 0, 18, button.height())));
}

void tst_KelButtonPainter::centredTextKeepsIconAndArrowBeside()
{
    KelButtonPainter painter(nullptr);
    painter.setSpacing(Spacing);
    painter.setIcon(IconPath);
    painter.setText(QStringLiteral("Go"));
    painter.setArrow(Arrow, KelArrowParams());
    painter.setFrameRect(QRect(0, 0, 200, 30));

    const QRect text = painter.textRect();
    QCOMPARE(painter.iconRect().right(), text.left() - Spacing - 1);
    QCOMPARE(painter.arrowRect().right(), 199);
    QCOMPARE(painter.arrowRect().size(), ArrowBox);

    painter.setContentLayoutMode(KelButtonPainter::ArrowFollowsText);
    QCOMPARE(painter.arrowRect().left(), painter.textRect().right() + 1 + Spacing + 1);

    // Left-aligned text leaves the icon at the edge.
    painter.setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(painter.iconRect().left(), 0);
    QCOMPARE(painter.textRect().left(), IconSize.width() + Spacing);
}

void tst_KelButtonPainter::heightForWidthWraps()
{
    KelButtonPainter painter(nullptr);
    painter.setContentsMargins(Padding);
    const QString text = QStringLiteral("one two three four five six seven eight nine ten");
    painter.setText(text);
    QVERIFY(!painter.hasHeightForWidth());
    painter.setWrapMode(QTextOption::WordWrap);
    QVERIFY(painter.hasHeightForWidth());

    const int line = QFontMetrics(QFont()).lineSpacing();
    const int wide = painter.heightForWidth(2000);
    const int narrow = painter.heightForWidth(80);
    QCOMPARE(wide, line + 4);
    QVERIFY(narrow >= 3 * line + 4);

    // An icon at the left takes width; one at the top adds its height.
    painter.setIcon(IconPath);
    QVERIFY(painter.heightForWidth(80) > narrow);
    painter.setIconPlacement(Qt::TopEdge);
    painter.setSpacing(Spacing);
    QCOMPARE(painter.heightForWidth(2000), line + 4 + IconSize.height() + Spacing);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelButtonPainter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelbuttonpainter.moc"
