#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "waitbound.h"
#include "widgets/kelframe.h"
#include "widgets/keliconlabel.h"

#include <QtTest>

namespace {

const QColor green(0, 160, 0);

// Dresses frame 1048 and label 10, as an application's theme does.
class AppStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("AppStyle"); }
    void applyFrameStyle(KelFramePainter *painter, int id) const override
    {
        ++frameApplications;
        if (id == 1048)
            painter->setBackground(KelStateColors(Qt::red));
    }
    void applyButtonStyle(KelButtonPainter *painter, int id, const QString &path) const override
    {
        KelStyle::applyButtonStyle(painter, id, path);
        if (id == 10) {
            painter->setTextColors(KelStateColors(green));
            painter->setSpacing(3);
        }
    }
    mutable int frameApplications = 0;
};

QColor centre(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.pixelColor(widget->width() / 2, widget->height() / 2);
}

} // namespace

class tst_KelFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void frameTakesItsLookFromTheStyle();
    void frameFadesOut();
    void iconLabelStyleAndDefaults();
    void iconLabelSizeHintFollowsChanges();
    void iconLabelFollowsHover();

private:
    AppStyle *m_style = nullptr;
};

void tst_KelFrame::initTestCase()
{
    m_style = new AppStyle;
    m_style->setParent(this);
    KelStyleManager::instance()->addStyle(m_style);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("AppStyle")));
}

void tst_KelFrame::frameTakesItsLookFromTheStyle()
{
    m_style->frameApplications = 0;
    KelFrame frame(1048);
    frame.resize(20, 10);
    QCOMPARE(centre(&frame), QColor(Qt::red));

    KelFrame plain(1048, nullptr, true);
    plain.resize(20, 10);
    QCOMPARE(centre(&plain).alpha(), 0);
    plain.applyStyle();
    QCOMPARE(centre(&plain), QColor(Qt::red));

    KelFrame noId;
    QCOMPARE(m_style->frameApplications, 2);
    QCOMPARE(noId.styleId(), -1);
    noId.applyStyle();
    QCOMPARE(m_style->frameApplications, 2);
}

void tst_KelFrame::frameFadesOut()
{
    QWidget window;
    auto *frame = new KelFrame(&window);
    window.show();
    QVERIFY(frame->isVisible());
    frame->hideAnimated();
    QVERIFY(frame->isVisible());
    QTRY_VERIFY(!frame->isVisible());
}

void tst_KelFrame::iconLabelStyleAndDefaults()
{
    KelIconLabel unstyled(10, nullptr, true);
    QCOMPARE(unstyled.textColors(), KelStateColors(kelStyle()->color(KelStyle::CL_Text_Dark)));
    QCOMPARE(unstyled.spacing(), kelStyle()->metric(KelStyle::M_Button_Spacing));
    QCOMPARE(unstyled.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    unstyled.applyStyle();
    QCOMPARE(unstyled.textColors(), KelStateColors(green));
    QCOMPARE(unstyled.spacing(), 3);

    KelIconLabel label;
    QCOMPARE(label.styleId(), KelStyle::WT_IconLabel);
    QCOMPARE(label.textColors(), KelStateColors(green));
}

void tst_KelFrame::iconLabelSizeHintFollowsChanges()
{
    KelIconLabel label(-1, nullptr);
    label.setText(QStringLiteral("One"));
    const QSize one = label.sizeHint();
    label.setText(QStringLiteral("One and two"));
    const QSize two = label.sizeHint();
    QVERIFY(two.width() > one.width());
    QCOMPARE(two.width(),
             QFontMetrics(label.font()).size(Qt::TextSingleLine, "One and two").width());

    QFont bigger = label.font();
    bigger.setPixelSize(40);
    label.setFont(bigger);
    QVERIFY(label.sizeHint().height() >= 40);
}

void tst_KelFrame::iconLabelFollowsHover()
{
    QWidget window;
    window.resize(200, 100);
    auto *label = new KelIconLabel(-1, &window);
    label->setText(QStringLiteral("Label"));
    label->setGeometry(10, 10, 80, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QTest::mouseMove(label);
    QTRY_COMPARE(label->stateAnimator()->hoveredProgress(), 1.0);
    QTest::mouseMove(&window, QPoint(150, 80));
    QTRY_COMPARE(label->stateAnimator()->hoveredProgress(), 0.0);

    label->setEnabled(false);
    QTRY_COMPARE(label->stateAnimator()->disabledProgress(), 1.0);
    QTest::mouseMove(label);
    QCOMPARE(label->stateAnimator()->hoveredProgress(), 0.0);
    QVERIFY(!label->stateAnimator()->isChecked());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelframe.moc"
