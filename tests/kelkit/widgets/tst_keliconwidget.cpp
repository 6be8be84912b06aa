#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "widgets/keliconwidget.h"

#include "../offscreenleak.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_KelIconWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sizeHints();
    void paintsAlignedAndFadedWhenDisabled();

private:
    QTemporaryDir m_dir;
    QString m_iconPath;
};

void tst_KelIconWidget::initTestCase()
{
    QVERIFY(kelUi());
    // A solid 10 x 10 square, so every painted pixel is measurable.
    m_iconPath = m_dir.filePath(QStringLiteral("square.svg"));
    QFile file(m_iconPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
               "<rect width=\"10\" height=\"10\" fill=\"#ff0000\"/></svg>");
}

void tst_KelIconWidget::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelIconWidget::sizeHints()
{
    KelIconWidget empty;
    QCOMPARE(empty.sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    QCOMPARE(empty.minimumSizeHint(), QSize(-1, -1));

    KelIconWidget widget(m_iconPath.toUtf8().constData());
    QVERIFY(widget.icon());
    QCOMPARE(widget.sizeHint(), QSize(10, 10));
    widget.setContentsMargins(1, 2, 3, 4);
    QCOMPARE(widget.minimumSizeHint(), QSize(14, 16));
    widget.setIconSize(QSize(20, 30));
    QCOMPARE(widget.sizeHint(), QSize(24, 36));

    // An explicit size holds without an icon too.
    empty.setIconSize(QSize(8, 8));
    QCOMPARE(empty.sizeHint(), QSize(8, 8));

    KelIconWidget byName;
    byName.setIcon(m_iconPath);
    QCOMPARE(byName.icon(), widget.icon());
    QCOMPARE(byName.sizeHint(), QSize(10, 10));
}

void tst_KelIconWidget::paintsAlignedAndFadedWhenDisabled()
{
    KelIconWidget widget;
    widget.setIcon(m_iconPath);
    widget.setAlignment(Qt::AlignRight | Qt::AlignBottom);
    widget.resize(30, 30);

    auto render = [&widget] {
        QImage image(widget.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };

    QImage image = render();
    QCOMPARE(qAlpha(image.pixel(25, 25)), 255);
    QCOMPARE(qRed(image.pixel(25, 25)), 255);
    QCOMPARE(qAlpha(image.pixel(5, 5)), 0);

    widget.setEnabled(false);
    image = render();
    QVERIFY(qAbs(qAlpha(image.pixel(25, 25)) - 178) <= 1);

    // A missing icon paints nothing and warns only once, at look-up.
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("path not found"));
    widget.setIcon(QStringLiteral(":/no/such/icon.svg"));
    widget.setEnabled(true);
    image = render();
    QCOMPARE(qAlpha(image.pixel(25, 25)), 0);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelIconWidget test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keliconwidget.moc"
