#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"

#include "../../../kelkit/offscreenleak.h"

#include <QImage>
#include <QtTest>

namespace {

const QString Light = QStringLiteral("LightStyle");
const QString Dark = QStringLiteral("DarkStyle");

QImage paintedImage(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The bounding box of the pixels in which two same-sized images differ.
QRect differingArea(const QImage &a, const QImage &b)
{
    QRect area;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

class tst_BadgedButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void rightMarginReservesTheBadge();
    void badgeFollowsTheTheme();
    void badgePaintsOnlyWithText();
};

void tst_BadgedButton::initTestCase()
{
    QVERIFY(KelStyleManager::instance());
    Style::registerThemes(kelUi());
}

void tst_BadgedButton::init()
{
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(Light));
}

void tst_BadgedButton::rightMarginReservesTheBadge()
{
    BadgedButton button(1013);
    const QMargins styled = button.contentsMargins();
    QVERIFY(!button.badge());

    button.setBadgeStyle(Style::WT_Badge);
    BadgedButton::Badge *badge = button.badge();
    QVERIFY(badge);
    QCOMPARE(badge->button(), &button);
    QCOMPARE(badge->size(), badge->sizeHint());
    QCOMPARE(badge->frameRect().size(), badge->size());
    QCOMPARE(button.contentsMargins(), styled + QMargins(0, 0, badge->size().width(), 0));

    // A longer text widens the badge and the reserved strip with it.
    badge->setText(QStringLiteral("7"));
    const int narrow = badge->size().width();
    badge->setText(QStringLiteral("1234"));
    QVERIFY(badge->size().width() > narrow);
    QCOMPARE(badge->frameRect().size(), badge->size());
    QCOMPARE(button.contentsMargins().right(), styled.right() + badge->size().width());

    // The caller's own margins keep the badge on top.
    button.setContentsMargins(QMargins(5, 6, 7, 8));
    QCOMPARE(button.contentsMargins(), QMargins(5, 6, 7 + badge->size().width(), 8));
    badge->setText(QStringLiteral("1"));
    QCOMPARE(button.contentsMargins(), QMargins(5, 6, 7 + badge->size().width(), 8));

    // A second call restyles the one badge.
    button.setBadgeStyle(Style::WT_Badge_Count);
    QCOMPARE(button.badge(), badge);
    QCOMPARE(badge->styleId(), Style::WT_Badge_Count);
}

void tst_BadgedButton::badgeFollowsTheTheme()
{
    BadgedButton button(1017);
    button.setBadgeStyle(Style::WT_Badge_Count);
    button.badge()->setText(QStringLiteral("3"));
    const KelStateColors light = button.badge()->textColors();
    const QMargins margins = button.contentsMargins();

    QVERIFY(KelStyleManager::instance()->setCurrentStyle(Dark));
    QVERIFY(button.badge()->textColors() != light);
    QCOMPARE(button.badge()->textColors(),
             KelStateColors(
                     KelStyleManager::instance()->currentStyle()->color(KelStyle::CL_Text_Light)));
    // The button's own restyle keeps the badge's strip.
    QCOMPARE(button.contentsMargins(), margins);
}

void tst_BadgedButton::badgePaintsOnlyWithText()
{
    // No text or icon of its own, so only the badge can paint over the frame.
    BadgedButton plain(1013);
    plain.resize(200, 48);
    BadgedButton badged(1013);
    badged.resize(200, 48);
    badged.setBadgeStyle(Style::WT_Badge);

    const QImage empty = paintedImage(&badged);
    QCOMPARE(empty, paintedImage(&plain));

    badged.badge()->setText(QStringLiteral("12"));
    const QImage withText = paintedImage(&badged);
    const QRect painted = differingArea(empty, withText);
    QVERIFY(!painted.isEmpty());

    badged.ensureGeometryIsValid();
    const QSize size = badged.badge()->size();
    const QRect expected(badged.KelFramePainter::contentsRect().right() + 1 + badged.spacing(),
                         (badged.height() - size.height()) / 2, size.width(), size.height());
    QVERIFY2(expected.contains(painted),
             qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                                .arg(painted.x())
                                .arg(painted.y())
                                .arg(painted.width())
                                .arg(painted.height())));
    // Vertically centred: the badge's background fills its rows.
    QCOMPARE(painted.top(), expected.top());
    QCOMPARE(painted.left(), expected.left());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_BadgedButton test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badgedbutton.moc"
