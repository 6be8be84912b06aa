#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "painting/kelpixmapcache.h"
#include "painting/kelqicon.h"
#include "painting/kelsvgicon.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace KelPainting;

namespace {

bool sameColor(const QColor &actual, const QColor &expected, int tolerance = 8)
{
    const bool ok = std::abs(actual.red() - expected.red()) <= tolerance
            && std::abs(actual.green() - expected.green()) <= tolerance
            && std::abs(actual.blue() - expected.blue()) <= tolerance
            && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
    if (!ok)
        qWarning() << "colour is" << actual << "expected" << expected;
    return ok;
}

QColor centre(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

void writeSvg(const QString &fileName, const QColor &color, int size = 10)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                              "height=\"%1\"><rect width=\"%1\" height=\"%1\" "
                              "fill=\"%2\"/></svg>")
                       .arg(size)
                       .arg(color.name())
                       .toUtf8());
}

void writePng(const QString &fileName, const QColor &color, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    QVERIFY(image.save(fileName, "PNG"));
}

const QColor Red(255, 0, 0);
const QColor Green(0, 255, 0);
const QColor Blue(0, 0, 255);

} // namespace

class tst_KelIconsProvider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void lookUp();
    void brokenFileIsKeptOnce();
    void registerIcon();
    void svgStateFiles_data();
    void svgStateFiles();
    void rasterStateAndScaleFiles_data();
    void rasterStateAndScaleFiles();
    void pixmapSizes_data();
    void pixmapSizes();
    void invalidSizes();
    void tintAndCacheKeys();
    void paintSnapsToDevicePixels();
    void animatedPixmap_data();
    void animatedPixmap();
    void frameworkResources_data();
    void frameworkResources();

private:
    KelIconsProvider *provider() const { return KelIconsProvider::instance(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void tst_KelIconsProvider::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(provider());
    QCOMPARE(provider(), static_cast<KelApplication *>(qApp)->iconsProvider());
    QCOMPARE(provider()->pixmapCache()->objectName(), QStringLiteral("KelShadowCache"));
    QCOMPARE(provider()->pixmapCache()->cacheLimit(), 50 * 1024);
}

void tst_KelIconsProvider::lookUp()
{
    KelIcon *nullIcon = provider()->icon(QString());
    QVERIFY(nullIcon);
    QVERIFY(!nullIcon->isValid());
    QVERIFY(nullIcon->path().isEmpty());

    const QString missing = file("missing.svg");
    QTest::ignoreMessage(QtCriticalMsg,
                         qPrintable(
                                 QStringLiteral("KelIcons: path not found: \"%1\"").arg(missing)));
    QCOMPARE(provider()->icon(missing), nullIcon);
    QTest::ignoreMessage(QtCriticalMsg,
                         qPrintable(
                                 QStringLiteral("KelIcons: path not found: \"%1\"").arg(missing)));
    QCOMPARE(provider()->icon(missing), nullIcon);

    writeSvg(file("upper.SVG"), Red);
    KelIcon *upper = provider()->icon(file("upper.SVG"));
    QVERIFY(dynamic_cast<KelSvgIcon *>(upper));
    QCOMPARE(upper->path(), file("upper.SVG"));
    QCOMPARE(provider()->icon(file("upper.SVG").toUtf8().constData()), upper);

    writePng(file("plain.png"), Red, 8);
    KelIcon *raster = provider()->icon(file("plain.png"));
    QVERIFY(dynamic_cast<KelQIcon *>(raster));
    QCOMPARE(raster->size1x(), QSize(8, 8));
    QCOMPARE(provider()->icon(file("plain.png")), raster);
}

void tst_KelIconsProvider::brokenFileIsKeptOnce()
{
    QFile broken(file("broken.svg"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not an svg");
    broken.close();

    KelIcon *icon = provider()->icon(file("broken.svg"));
    QVERIFY(!icon->isValid());
    QVERIFY(icon->path().isEmpty());
    // Found again without parsing the file again.
    broken.remove();
    QCOMPARE(provider()->icon(file("broken.svg")), icon);
    // The empty path still answers with the null icon.
    KelIcon *nullIcon = provider()->icon(QString());
    QVERIFY(nullIcon != icon);
    QVERIFY(!nullIcon->isValid());

    QTest::ignoreMessage(QtCriticalMsg, "Pixmap requested for invalid KelSvgIcon: path: \"\"");
    QVERIFY(icon->pixmap(1.0, QSize(10, 10), QColor(), Normal).isNull());

    QFile unreadable(file("broken.png"));
    QVERIFY(unreadable.open(QIODevice::WriteOnly));
    unreadable.write("not a png");
    unreadable.close();
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Can't load icon file: \"%1\" returned size "
                                                   "is null")
                                            .arg(file("broken.png"))));
    KelIcon *raster = provider()->icon(file("broken.png"));
    QVERIFY(!raster->isValid());
    QCOMPARE(provider()->icon(file("broken.png")), raster);
}

void tst_KelIconsProvider::registerIcon()
{
    QTest::ignoreMessage(QtWarningMsg, "Trying to register null icon");
    provider()->registerIcon(nullptr);

    writeSvg(file("first.svg"), Red);
    KelIcon *first = provider()->icon(file("first.svg"));
    // The refused duplicate is the provider's to delete; the sanitizer
    // build reports it if it is not.
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("\"%1\" is already registered in "
                                                   "IconsProvider")
                                            .arg(file("first.svg"))));
    QVERIFY(!provider()->registerIcon(new KelSvgIcon(file("first.svg"))));
    QCOMPARE(provider()->icon(file("first.svg")), first);

    writeSvg(file("made.svg"), Blue);
    auto made = new KelSvgIcon(file("made.svg"));
    QVERIFY(provider()->registerIcon(made));
    QCOMPARE(provider()->icon(file("made.svg")), made);
    // Registering it again keeps it.
    QVERIFY(provider()->registerIcon(made));
    QCOMPARE(provider()->icon(file("made.svg")), made);
}

void tst_KelIconsProvider::svgStateFiles_data()
{
    QTest::addColumn<QStringList>("suffixes");
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("expected");
    // The base file is red, -pressed blue, -checked green.
    const QStringList pressedOnly{"-pressed"};
    QTest::newRow("normal") << pressedOnly << int(Normal) << Red;
    QTest::newRow("hovered falls back to normal") << pressedOnly << int(Hovered) << Red;
    QTest::newRow("disabled falls back to normal") << pressedOnly << int(Disabled) << Red;
    QTest::newRow("pressed") << pressedOnly << int(Pressed) << Blue;
    QTest::newRow("checked takes pressed") << pressedOnly << int(Checked) << Blue;
    QTest::newRow("checked-hovered takes pressed") << pressedOnly << int(CheckedHovered) << Blue;
    QTest::newRow("checked-pressed takes pressed") << pressedOnly << int(CheckedPressed) << Blue;
    QTest::newRow("checked-disabled takes pressed") << pressedOnly << int(CheckedDisabled) << Blue;
    const QStringList both{"-pressed", "-checked"};
    QTest::newRow("own checked") << both << int(Checked) << Green;
    QTest::newRow("checked-hovered takes checked") << both << int(CheckedHovered) << Green;
    QTest::newRow("pressed keeps its own") << both << int(Pressed) << Blue;
    const QStringList hover{"-hover"};
    QTest::newRow("own hover") << hover << int(Hovered) << Blue;
    QTest::newRow("checked without pressed is normal") << hover << int(Checked) << Red;
    QTest::newRow("checked-hovered does not take hover") << hover << int(CheckedHovered) << Red;
}

void tst_KelIconsProvider::svgStateFiles()
{
    QFETCH(QStringList, suffixes);
    QFETCH(int, state);
    QFETCH(QColor, expected);
    QTemporaryDir dir;
    writeSvg(dir.filePath("icon.svg"), Red);
    for (const QString &suffix : suffixes)
        writeSvg(dir.filePath("icon" + suffix + ".svg"), suffix == "-checked" ? Green : Blue);
    KelSvgIcon icon(dir.filePath("icon.svg"));
    QVERIFY(icon.isValid());
    QCOMPARE(icon.size1x(), QSize(10, 10));
    QVERIFY(sameColor(centre(icon.pixmap(1.0, QSize(), QColor(), WidgetState(state))), expected));

    // Through paint() into a painter's device.
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect(), Qt::AlignCenter, QSize(), QColor(), WidgetState(state));
    painter.end();
    QVERIFY(sameColor(image.pixelColor(5, 5), expected));
}

void tst_KelIconsProvider::rasterStateAndScaleFiles_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("expected");
    // Base red, its @2x green, High blue without a High@2x.
    QTest::newRow("normal at 1") << 1.0 << int(Normal) << Red;
    QTest::newRow("normal at 2 takes @2x") << 2.0 << int(Normal) << Green;
    QTest::newRow("hovered at 1") << 1.0 << int(Hovered) << Blue;
    QTest::newRow("hovered at 2 has only High") << 2.0 << int(Hovered) << Blue;
    QTest::newRow("pressed at 2 is the base pair") << 2.0 << int(Pressed) << Green;
    QTest::newRow("checked-hovered is the base pair") << 1.0 << int(CheckedHovered) << Red;
    QTest::newRow("disabled at 2") << 2.0 << int(Disabled) << Green;
}

void tst_KelIconsProvider::rasterStateAndScaleFiles()
{
    QFETCH(double, ratio);
    QFETCH(int, state);
    QFETCH(QColor, expected);
    QTemporaryDir dir;
    writePng(dir.filePath("a.png"), Red, 12);
    writePng(dir.filePath("a@2x.png"), Green, 24);
    writePng(dir.filePath("aHigh.png"), Blue, 12);
    KelQIcon icon(dir.filePath("a.png"));
    QVERIFY(icon.isValid());
    QCOMPARE(icon.size1x(), QSize(12, 12));
    const QPixmap pixmap = icon.pixmap(ratio, QSize(), QColor(), WidgetState(state));
    QCOMPARE(pixmap.size(), QSize(12, 12) * ratio);
    QVERIFY(sameColor(centre(pixmap), expected));
}

void tst_KelIconsProvider::pixmapSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("deviceSize");
    // SVG pixmaps round the device size, raster canvases round it up.
    QTest::newRow("svg 13 at 1.25") << "s.svg" << 1.25 << QSize(13, 13) << QSize(16, 16);
    QTest::newRow("raster 13 at 1.25") << "r.png" << 1.25 << QSize(13, 13) << QSize(17, 17);
    QTest::newRow("svg 13 at 1.5") << "s.svg" << 1.5 << QSize(13, 13) << QSize(20, 20);
    QTest::newRow("raster 13 at 1.5") << "r.png" << 1.5 << QSize(13, 13) << QSize(20, 20);
    QTest::newRow("svg default size at 1.5") << "s.svg" << 1.5 << QSize() << QSize(15, 15);
    QTest::newRow("raster default size at 1.25") << "r.png" << 1.25 << QSize() << QSize(13, 13);
    QTest::newRow("svg 7 x 11 at 1.25") << "s.svg" << 1.25 << QSize(7, 11) << QSize(9, 14);
    QTest::newRow("raster 7 x 11 at 1.25") << "r.png" << 1.25 << QSize(7, 11) << QSize(9, 14);
}

void tst_KelIconsProvider::pixmapSizes()
{
    QFETCH(QString, name);
    QFETCH(double, ratio);
    QFETCH(QSize, size);
    QFETCH(QSize, deviceSize);
    writeSvg(file("s.svg"), Red, 10);
    writePng(file("r.png"), Red, 10);
    KelIcon *icon = provider()->icon(file(name));
    QVERIFY(icon->isValid());
    const QPixmap pixmap = icon->pixmap(ratio, size, QColor(), Normal);
    QCOMPARE(pixmap.size(), deviceSize);
    QCOMPARE(pixmap.devicePixelRatioF(), ratio);
    QVERIFY(sameColor(centre(pixmap), Red));
    // A second request is served from the cache.
    QCOMPARE(icon->pixmap(ratio, size, QColor(), Normal).cacheKey(), pixmap.cacheKey());
}

void tst_KelIconsProvider::invalidSizes()
{
    writeSvg(file("sized.svg"), Red, 10);
    KelIcon *icon = provider()->icon(file("sized.svg"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Invalid size requested for KelSvgIcon:"));
    QVERIFY(icon->pixmap(1.0, QSize(0, 5), QColor(), Normal).isNull());

    KelIcon *nullIcon = provider()->icon(QString());
    QTest::ignoreMessage(QtWarningMsg, "KelIcon: Invalid usage!");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Invalid size requested for icon"));
    QVERIFY(nullIcon->pixmap(1.0, QSize(), QColor(), Normal).isNull());
    QTest::ignoreMessage(QtWarningMsg, "KelIcon: Invalid usage!");
    const QPixmap blank = nullIcon->pixmap(1.5, QSize(4, 4), QColor(), Normal);
    QCOMPARE(blank.size(), QSize(6, 6));
    QCOMPARE(centre(blank).alpha(), 0);
}

void tst_KelIconsProvider::tintAndCacheKeys()
{
    writeSvg(file("tint.svg"), Red, 10);
    writePng(file("tint.png"), Red, 10);
    KelIcon *svg = provider()->icon(file("tint.svg"));
    KelIcon *raster = provider()->icon(file("tint.png"));
    KelPixmapCache *cache = provider()->pixmapCache();

    // SVG: the tint's alpha is the opacity and part of the key.
    const QPixmap half = svg->pixmap(1.5, QSize(10, 10), QColor(0, 0, 255, 128), Hovered);
    QVERIFY(sameColor(centre(half), QColor(0, 0, 255, 128)));
    QVERIFY(cache->find(QStringLiteral("KelIcon-%1-#0000ff-128-1.5-15-15-2)").arg(file("tint.svg")),
                        nullptr));
    const QPixmap full = svg->pixmap(1.5, QSize(10, 10), QColor(0, 0, 255), Hovered);
    QVERIFY(sameColor(centre(full), Blue));
    QVERIFY(full.cacheKey() != half.cacheKey());
    svg->pixmap(1.0, QSize(), QColor(), Normal);
    QVERIFY(cache->find(QStringLiteral("KelIcon-%1-original-original-1-10-10-1)")
                                .arg(file("tint.svg")),
                        nullptr));

    // Raster: the alpha is not part of the key, and the tint keeps the
    // image's own alpha.
    const QPixmap first = raster->pixmap(1.25, QSize(10, 10), QColor(0, 255, 0, 100), Checked);
    QVERIFY(sameColor(centre(first), Green));
    QVERIFY(cache->find(QStringLiteral("KelIcon-%1-#00ff00-1.25-13-13-16)").arg(file("tint.png")),
                        nullptr));
    const QPixmap second = raster->pixmap(1.25, QSize(10, 10), QColor(0, 255, 0, 200), Checked);
    QCOMPARE(second.cacheKey(), first.cacheKey());
}

void tst_KelIconsProvider::paintSnapsToDevicePixels()
{
    writeSvg(file("snap.svg"), Red, 10);
    KelIcon *icon = provider()->icon(file("snap.svg"));
    QImage image(30, 30, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.5);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // At (3, 3) the pixmap would start half-way into device pixel 4; it is
    // moved to device pixel 5 instead of being smeared over two.
    icon->paint(&painter, QRect(3, 3, 10, 10), Qt::AlignCenter, QSize(), QColor(), Normal);
    painter.end();
    QCOMPARE(image.pixelColor(4, 10).alpha(), 0);
    QVERIFY(sameColor(image.pixelColor(5, 10), Red, 2));
    QVERIFY(sameColor(image.pixelColor(19, 10), Red, 2));
    QCOMPARE(image.pixelColor(20, 10).alpha(), 0);
}

void tst_KelIconsProvider::animatedPixmap_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<double>("hovered");
    QTest::addColumn<double>("disabled");
    QTest::addColumn<QColor>("tint");
    QTest::addColumn<QColor>("expected");
    // The base file is red, -hover blue, -pressed green, -checked black.
    const QColor none;
    QTest::newRow("at rest") << false << false << 0.0 << 0.0 << none << Red;
    QTest::newRow("hovered") << false << false << 1.0 << 0.0 << none << Blue;
    QTest::newRow("half hovered") << false << false << 0.5 << 0.0 << none << QColor(128, 0, 127);
    QTest::newRow("pressed wins over hover") << false << true << 1.0 << 0.0 << none << Green;
    QTest::newRow("checked") << true << false << 0.0 << 0.0 << none << QColor(Qt::black);
    QTest::newRow("checked and hovered takes checked")
            << true << false << 1.0 << 0.0 << none << QColor(Qt::black);
    // Factor 0.6: opacity 0.4 when fully disabled, and no hover overlay.
    QTest::newRow("disabled") << false << false << 1.0 << 1.0 << none << QColor(255, 0, 0, 102);
    QTest::newRow("tinted: base state only, opaque")
            << false << true << 1.0 << 1.0 << QColor(255, 255, 0) << QColor(255, 255, 0);
}

void tst_KelIconsProvider::animatedPixmap()
{
    QFETCH(bool, checked);
    QFETCH(bool, pressed);
    QFETCH(double, hovered);
    QFETCH(double, disabled);
    QFETCH(QColor, tint);
    QFETCH(QColor, expected);
    QTemporaryDir dir;
    writeSvg(dir.filePath("icon.svg"), Red);
    writeSvg(dir.filePath("icon-hover.svg"), Blue);
    writeSvg(dir.filePath("icon-pressed.svg"), Green);
    writeSvg(dir.filePath("icon-checked.svg"), Qt::black);
    KelSvgIcon icon(dir.filePath("icon.svg"));

    KelWidgetStateAnimator animator(0);
    animator.setAnimationEnabled(false);
    animator.setDisabledOpacity(0.6);
    animator.setChecked(checked, false);
    animator.setPressed(pressed, false);
    animator.setHoveredProgress(hovered);
    animator.setDisabledProgress(disabled);

    const QPixmap pixmap = icon.animatedPixmap(1.5, QSize(), tint, &animator);
    QCOMPARE(pixmap.size(), QSize(15, 15));
    QVERIFY(sameColor(centre(pixmap), expected));

    // paint() draws the same at the painter's ratio.
    QImage image(15, 15, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.5);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, 10, 10), Qt::AlignCenter, QSize(), tint, &animator);
    painter.end();
    QVERIFY(sameColor(image.pixelColor(7, 7), expected));
}

void tst_KelIconsProvider::frameworkResources_data()
{
    QTest::addColumn<QString>("path");
    for (const char *name : {"close-10", "titlebar-minimize", "titlebar-maximize",
                             "titlebar-restore", "titlebar-close"}) {
        QTest::newRow(name) << QStringLiteral(":/kelui/%1.svg").arg(name);
    }
}

void tst_KelIconsProvider::frameworkResources()
{
    QFETCH(QString, path);
    KelIcon *icon = provider()->icon(path);
    QVERIFY(dynamic_cast<KelSvgIcon *>(icon));
    QCOMPARE(icon->size1x(), QSize(10, 10));
    // Drawn in black to be tinted; something is drawn.
    const QImage image = icon->pixmap(2.0, QSize(), QColor(Qt::white), Normal).toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0) {
                ++ink;
                QVERIFY(sameColor(c, QColor(255, 255, 255, c.alpha())));
            }
        }
    }
    QVERIFY(ink > 10);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelIconsProvider test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keliconsprovider.moc"
