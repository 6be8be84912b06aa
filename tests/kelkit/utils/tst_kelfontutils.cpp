#include "utils/kelfontutils.h"

#include "../offscreenleak.h"

#include <QWidget>
#include <QtTest>

class FontChangeCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange)
            ++count;
        return false;
    }
};

class tst_KelFontUtils : public QObject
{
    Q_OBJECT

private slots:
    void makeFont();
    void setWidgetFontChangesOnlyWhatDiffers();
};

void tst_KelFontUtils::makeFont()
{
    const QFont font = KelUtils::makeFont(13, QFont::Bold, QStringLiteral("Some Family"));
    QCOMPARE(font.family(), QStringLiteral("Some Family"));
    QCOMPARE(font.pixelSize(), 13);
    QCOMPARE(font.weight(), int(QFont::Bold));
    QCOMPARE(KelUtils::makeFont(14).family(), QStringLiteral("Segoe UI"));
    QCOMPARE(KelUtils::makeFont(14).weight(), int(QFont::Normal));
}

void tst_KelFontUtils::setWidgetFontChangesOnlyWhatDiffers()
{
    QWidget widget;
    FontChangeCounter counter;
    widget.installEventFilter(&counter);

    KelUtils::setWidgetFont(&widget, 17, QFont::DemiBold, QStringLiteral("Segoe UI"));
    QCOMPARE(counter.count, 1);
    QCOMPARE(widget.font().pixelSize(), 17);
    QCOMPARE(widget.font().weight(), int(QFont::DemiBold));
    QCOMPARE(widget.font().family(), QStringLiteral("Segoe UI"));

    KelUtils::setWidgetFont(&widget, 17, QFont::DemiBold, QStringLiteral("Segoe UI"));
    QCOMPARE(counter.count, 1);

    KelUtils::setWidgetFont(&widget, 17, QFont::Normal, QStringLiteral("Segoe UI"));
    QCOMPARE(counter.count, 2);
    QCOMPARE(widget.font().pixelSize(), 17);

    KelUtils::setWidgetFont(nullptr, 17);
}

QTEST_MAIN(tst_KelFontUtils)
#include "tst_kelfontutils.moc"
