#include "animators/kelwidgetstateanimator.h"
#include "application.h"
#include "datamodel/videoitem.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/cardthumbnail.h"
#include "ui/mainwindow/thumbicon.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "waitbound.h"

#include "appservicesfixture.h"
#include "manualanimationdriver.h"
#include "paintprobe.h"
#include "windowinput.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Four colours split at 50 % across and 20 % down, the point the hover zoom
// keeps still, with a second split at 25 % across and 60 % down.
QImage quarteredImage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    painter.fillRect(0, h / 5, w, h, Qt::green);
    painter.fillRect(w / 2, h / 5, w - w / 2, h, Qt::yellow);
    painter.fillRect(0, h / 5, w / 4, h, Qt::cyan);
    painter.fillRect(0, h * 3 / 5, w / 2, h, Qt::magenta);
    return image;
}

QImage shot(QWidget *widget)
{
    return widget->grab().toImage();
}

} // namespace

class tst_CardThumbnail : public QObject
{
    Q_OBJECT

private slots:
    void thumbIconFollowsItsSource_data();
    void thumbIconFollowsItsSource();
    void emptyThumbnailShowsBackgroundAndPlayIcon();
    void unreadableFileShowsBackgroundOnly();
    void hoverGrowsThePictureAroundItsAnchor();
    void encodedThumbnailPaintsAsTheDecodedOne();

private:
    QTemporaryDir m_dir;
};

void tst_CardThumbnail::thumbIconFollowsItsSource_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QSize>("pixmapSize");

    QTest::newRow("no source") << QString() << QSize(24, 24) << false << QSize(0, 0);
    QTest::newRow("default size") << "logo.png" << QSize(-1, -1) << true << QSize(24, 24);
    QTest::newRow("requested size") << "logo.png" << QSize(40, 30) << true << QSize(40, 30);
    QTest::newRow("unreadable file") << "broken.png" << QSize(-1, -1) << true << QSize(0, 0);
}

void tst_CardThumbnail::thumbIconFollowsItsSource()
{
    QFETCH(QString, fileName);
    QFETCH(QSize, requested);
    QFETCH(bool, valid);
    QFETCH(QSize, pixmapSize);

    QVERIFY(quarteredImage(QSize(64, 48)).save(m_dir.filePath(QStringLiteral("logo.png"))));
    QFile broken(m_dir.filePath(QStringLiteral("broken.png")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    ThumbIcon icon(QSize(24, 24));
    QCOMPARE(icon.path(), QStringLiteral("ThumbIcon"));
    icon.setSource(fileName.isEmpty() ? QString() : m_dir.filePath(fileName));
    QCOMPARE(icon.isValid(), valid);
    const QPixmap pixmap = icon.pixmap(1.0, requested, Qt::black, KelPainting::Normal);
    QCOMPARE(pixmap.size(), pixmapSize);
}

void tst_CardThumbnail::emptyThumbnailShowsBackgroundAndPlayIcon()
{
    CardThumbnail thumb;
    QCOMPARE(thumb.size(), kelStyle()->size(Style::SZ_Card_Thumbnail));
    const QImage image = shot(&thumb);
    const QColor background = kelStyle()->color(Style::CL_Gray_8);
    // Inside the rounded frame, away from the centred play icon.
    QVERIFY(PaintProbe::pixelIs(image, 20, 20, background));
    QVERIFY(PaintProbe::pixelIs(image, 170, 90, background));
    // The play triangle is white.
    QVERIFY(PaintProbe::pixelIs(image, thumb.width() / 2, thumb.height() / 2, Qt::white, 24));
}

void tst_CardThumbnail::unreadableFileShowsBackgroundOnly()
{
    QFile broken(m_dir.filePath(QStringLiteral("broken.jpg")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    CardThumbnail thumb;
    thumb.setPath(broken.fileName());
    const QImage image = shot(&thumb);
    QVERIFY(PaintProbe::pixelIs(image, 20, 20, kelStyle()->color(Style::CL_Gray_8)));
    QVERIFY(PaintProbe::pixelIs(image, 170, 90, kelStyle()->color(Style::CL_Gray_8)));

    // A readable file at that path is picked up by the next paint.
    thumb.setPath(QString());
    QVERIFY(quarteredImage(QSize(193, 108)).save(m_dir.filePath(QStringLiteral("fine.png"))));
    thumb.setPath(m_dir.filePath(QStringLiteral("fine.png")));
    QVERIFY(PaintProbe::pixelIs(shot(&thumb), 20, 10, Qt::red));
}

void tst_CardThumbnail::hoverGrowsThePictureAroundItsAnchor()
{
    ManualAnimationDriver driver;
    driver.install();
    QWidget window;
    window.resize(300, 200);
    auto *thumb = new CardThumbnail(&window);
    thumb->move(50, 40);
    thumb->setImage(quarteredImage(thumb->size()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    const int w = thumb->width();
    const int h = thumb->height();
    struct Probe
    {
        QPoint at;
        QColor resting;
        QColor hovered;
    };
    // The 50 % and 20 % splits stay put; the 25 % split moves left and the
    // 60 % split moves down, each by about a tenth of its distance to the
    // anchor.
    const QVector<Probe> probes = {
            {{w / 2 - 2, h / 5 - 2}, Qt::red, Qt::red},
            {{w / 2 + 2, h / 5 - 2}, Qt::blue, Qt::blue},
            {{w / 2 - 2, h / 5 + 2}, Qt::green, Qt::green},
            {{w / 2 + 2, h / 5 + 2}, Qt::yellow, Qt::yellow},
            {{w / 4 - 2, h / 2}, Qt::cyan, Qt::green},
            {{w / 4 - 8, h / 2}, Qt::cyan, Qt::cyan},
            {{w / 2 - 20, h * 3 / 5 + 2}, Qt::magenta, Qt::green},
            {{w / 2 - 20, h * 3 / 5 + 8}, Qt::magenta, Qt::magenta},
    };
    const QImage resting = shot(thumb);
    for (const Probe &probe : probes)
        QVERIFY(PaintProbe::pixelIs(resting, probe.at.x(), probe.at.y(), probe.resting, 24));

    const QPoint centre = thumb->mapToGlobal(thumb->rect().center());
    WindowInput::enter(window.windowHandle(), centre);
    WindowInput::move(&window, centre);
    QVERIFY(thumb->isHovered());
    driver.advance(2000);
    QCOMPARE(thumb->stateAnimator()->hoveredProgress(), 1.0);

    const QImage hovered = shot(thumb);
    for (const Probe &probe : probes)
        QVERIFY(PaintProbe::pixelIs(hovered, probe.at.x(), probe.at.y(), probe.hovered, 24));
    driver.uninstall();
}

void tst_CardThumbnail::encodedThumbnailPaintsAsTheDecodedOne()
{
    // A frame with smooth gradients and hard edges, so that any loss or a
    // different scaling shows.
    QImage frame = quarteredImage(QSize(320, 180));
    {
        QPainter painter(&frame);
        QLinearGradient gradient(0, 0, 320, 180);
        gradient.setColorAt(0, QColor(10, 200, 30, 160));
        gradient.setColorAt(1, QColor(250, 20, 120, 160));
        painter.fillRect(frame.rect().adjusted(40, 30, -40, -30), gradient);
    }
    VideoItem item(QFileInfo(QStringLiteral("/nowhere/clip.mp4")));
    item.setThumbnail(frame);
    // The picture itself until its encoding arrives.
    QCOMPARE(item.thumbnail(), frame);
    QTRY_VERIFY(!item.thumbnailData().isEmpty());
    QCOMPARE(item.thumbnail().convertToFormat(QImage::Format_RGB32), frame);

    CardThumbnail decoded;
    decoded.setImage(frame);
    CardThumbnail encoded;
    encoded.setImageData(item.thumbnailData());
    QCOMPARE(encoded.image().convertToFormat(QImage::Format_RGB32), frame);
    const QImage expected = shot(&decoded);
    QCOMPARE(shot(&encoded), expected);
    // Again, from the thumbnail cache.
    QCOMPARE(shot(&encoded), expected);

    // Other data under the same card is not taken for the cached picture.
    item.setThumbnail(quarteredImage(QSize(193, 108)).mirrored(true, false));
    QTRY_VERIFY(!item.thumbnailData().isEmpty());
    encoded.setImageData(item.thumbnailData());
    decoded.setImage(item.thumbnail());
    QCOMPARE(shot(&encoded), shot(&decoded));
    QVERIFY(shot(&encoded) != expected);

    encoded.setImageData(QByteArray());
    QVERIFY(encoded.image().isNull());
    QVERIFY(PaintProbe::pixelIs(shot(&encoded), 20, 20, kelStyle()->color(Style::CL_Gray_8)));
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    // Creates the Ui with its themes.
    kelUi();
    tst_CardThumbnail test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cardthumbnail.moc"
