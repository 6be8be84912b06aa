#include "datamodel/pip/pipframe.h"
#include "datamodel/pip/subtitlespainter.h"

#include "piptesthelpers.h"

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>

using namespace PipTest;

namespace {

const QSize FrameSize(1920, 1080);
constexpr qint64 Second = 10000000;
// On 1920 x 1080 (m = 1080): margin 54, box inset 11, text area (54, 54) to (1865, 1025).
constexpr int Margin = 54;
constexpr int Inset = 11;

} // namespace

class tst_SubtitlesPainter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cueLookup_data();
    void cueLookup();
    void fontHeightRule_data();
    void fontHeightRule();
    void alignmentAndMargins_data();
    void alignmentAndMargins();
    void boxesOfAdjacentLinesBlend();
    void noBoxes_data();
    void noBoxes();
    void tallBlockStartsAtAreaTop();
    void sameCueIsNotDrawnAgain();
    void filePathChangeReadsCuesAgain();

private:
    PipObjectPtr subtitles(const QString &file, double size = 0.2,
                           Qt::Alignment alignment = Qt::AlignBottom,
                           const QBrush &box = QBrush(Qt::black)) const;
    QString writeSrt(const QString &name, const QByteArray &content) const;

    QTemporaryDir m_dir;
    QString m_srt;
};

void tst_SubtitlesPainter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_srt = writeSrt(QStringLiteral("cues.srt"),
                     "1\n00:00:01,000 --> 00:00:02,000\nHHHH\n\n"
                     "2\n00:00:03,000 --> 00:00:05,000\nFirst line\nSecond line\n\n"
                     "3\n00:00:04,000 --> 00:00:06,000\nOverlap\n");
}

QString tst_SubtitlesPainter::writeSrt(const QString &name, const QByteArray &content) const
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    return path;
}

PipObjectPtr tst_SubtitlesPainter::subtitles(const QString &file, double size,
                                             Qt::Alignment alignment, const QBrush &box) const
{
    auto pip = PipObjectPtr::create();
    pip->setType(PipObject::Subtitles);
    pip->setFilePath(file);
    pip->setFontFamily(QStringLiteral("Arial"));
    pip->setSize(size);
    pip->setOpacity(1.0);
    pip->setForegroundBrush(QBrush(Qt::white));
    pip->setBackgroundBrush(box);
    pip->setLocation(PipObject::Aligned);
    pip->setAlignment(alignment);
    return pip;
}

void tst_SubtitlesPainter::cueLookup_data()
{
    QTest::addColumn<qint64>("time");
    QTest::addColumn<QString>("lines");

    QTest::newRow("before the first") << qint64(0) << QString();
    QTest::newRow("just before a start") << Second - 1 << QString();
    QTest::newRow("at a start") << Second << QStringLiteral("HHHH");
    QTest::newRow("at an end") << 2 * Second << QString();
    QTest::newRow("between cues") << 5 * Second / 2 << QString();
    QTest::newRow("overlap, earlier wins")
            << 9 * Second / 2 << QStringLiteral("First line|Second line");
    QTest::newRow("after the earlier ends") << 11 * Second / 2 << QStringLiteral("Overlap");
    QTest::newRow("after the last") << 100 * Second << QString();
}

void tst_SubtitlesPainter::cueLookup()
{
    QFETCH(qint64, time);
    QFETCH(QString, lines);

    SubtitlesPainter painter(subtitles(m_srt), FrameSize);
    QCOMPARE(painter.cueAt(time).lines.join('|'), lines);
    const QImage layer = painter.paint(time);
    QCOMPARE(layer.isNull(), lines.isEmpty());
    if (!layer.isNull())
        QCOMPARE(layer.size(), FrameSize);
}

// Size 0 gives 22-pixel text (2 % of 1080, rounded), Size 1 gives 162 (15 %).
void tst_SubtitlesPainter::fontHeightRule_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("smallest") << 0.0 << 22;
    QTest::newRow("largest") << 1.0 << 162;
}

void tst_SubtitlesPainter::fontHeightRule()
{
    QFETCH(double, size);
    QFETCH(int, pixelSize);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    const int lineHeight = QFontMetrics(font)
                                   .boundingRect(QRect(Margin, Margin, 1812, 972),
                                                 Qt::AlignHCenter | Qt::TextWordWrap,
                                                 QStringLiteral("HHHH"))
                                   .height();

    // The box is the line's rectangle grown by the inset at top and bottom.
    SubtitlesPainter boxed(subtitles(m_srt, size), FrameSize);
    QCOMPARE(drawnBounds(boxed.paint(Second)).height(), lineHeight + 2 * Inset);

    // Capital letters take most of the pixel size, whatever the font.
    SubtitlesPainter bare(subtitles(m_srt, size, Qt::AlignBottom, QBrush()), FrameSize);
    const int capHeight = drawnBounds(bare.paint(Second), 128).height();
    QVERIFY2(capHeight > pixelSize * 0.55 && capHeight < pixelSize * 0.85,
             qPrintable(QString::number(capHeight)));
}

void tst_SubtitlesPainter::alignmentAndMargins_data()
{
    QTest::addColumn<int>("alignment");
    // Expected edges of the box; -1 where the test checks the centre instead.
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("bottom");

    const int areaRight = 1920 - Margin - 1;
    const int areaBottom = 1080 - Margin - 1;
    QTest::newRow("bottom, centred")
            << int(Qt::AlignBottom) << -1 << -1 << -1 << areaBottom + Inset;
    QTest::newRow("no flags: top, centred") << 0 << -1 << Margin - Inset << -1 << -1;
    QTest::newRow("top left") << int(Qt::AlignTop | Qt::AlignLeft) << Margin - 2 * Inset
                              << Margin - Inset << -1 << -1;
    QTest::newRow("middle right") << int(Qt::AlignVCenter | Qt::AlignRight) << -1 << -1
                                  << areaRight + 2 * Inset << -1;
}

void tst_SubtitlesPainter::alignmentAndMargins()
{
    QFETCH(int, alignment);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, right);
    QFETCH(int, bottom);

    SubtitlesPainter painter(subtitles(m_srt, 0.2, Qt::Alignment(alignment)), FrameSize);
    const QRect box = drawnBounds(painter.paint(Second));
    QVERIFY(!box.isEmpty());
    const qreal centreX = (box.left() + box.right()) / 2.0;
    const qreal centreY = (box.top() + box.bottom()) / 2.0;

    if (left >= 0)
        QVERIFY2(qAbs(box.left() - left) <= 1, qPrintable(QString::number(box.left())));
    if (right >= 0)
        QVERIFY2(qAbs(box.right() - right) <= 1, qPrintable(QString::number(box.right())));
    if (left < 0 && right < 0)
        QVERIFY2(qAbs(centreX - 959.5) <= 1, qPrintable(QString::number(centreX)));
    if (top >= 0)
        QVERIFY2(qAbs(box.top() - top) <= 1, qPrintable(QString::number(box.top())));
    if (bottom >= 0)
        QVERIFY2(qAbs(box.bottom() - bottom) <= 1, qPrintable(QString::number(box.bottom())));
    if (alignment & Qt::AlignVCenter)
        QVERIFY2(qAbs(centreY - 539.5) <= 1, qPrintable(QString::number(centreY)));
}

// Where the boxes of two lines overlap, the box must not get darker.
void tst_SubtitlesPainter::boxesOfAdjacentLinesBlend()
{
    const QString srt = writeSrt(QStringLiteral("twins.srt"),
                                 "1\n00:00:00,000 --> 00:00:01,000\nSame line\nSame line\n");
    SubtitlesPainter painter(subtitles(srt, 0.2, Qt::AlignBottom, QBrush(QColor(0, 0, 0, 128))),
                             FrameSize);
    const QImage layer = painter.paint(0);
    const QRect box = drawnBounds(layer);

    // Left of the text, inside the boxes' side extension: box pixels only.
    const int x = box.left() + Inset / 2;
    const int alpha = qAlpha(layer.pixel(x, box.top()));
    QVERIFY(qAbs(alpha - 128) <= 1);
    for (int y = box.top(); y <= box.bottom(); ++y)
        QCOMPARE(qAlpha(layer.pixel(x, y)), alpha);
}

void tst_SubtitlesPainter::noBoxes_data()
{
    QTest::addColumn<QBrush>("brush");
    QTest::newRow("transparent") << QBrush(QColor(0, 0, 0, 0));
    QTest::newRow("pattern") << QBrush(Qt::black, Qt::Dense4Pattern);
    QTest::newRow("none") << QBrush();
}

void tst_SubtitlesPainter::noBoxes()
{
    QFETCH(QBrush, brush);

    SubtitlesPainter boxed(subtitles(m_srt), FrameSize);
    const QRect box = drawnBounds(boxed.paint(Second));
    SubtitlesPainter bare(subtitles(m_srt, 0.2, Qt::AlignBottom, brush), FrameSize);
    const QRect text = drawnBounds(bare.paint(Second));
    QVERIFY(!text.isEmpty());
    QVERIFY(box.contains(text));
    QVERIFY(text.left() >= box.left() + 2 * Inset - 1);
    QVERIFY(text.right() <= box.right() - 2 * Inset + 1);
    QVERIFY(text.bottom() <= box.bottom() - Inset + 1);
}

void tst_SubtitlesPainter::tallBlockStartsAtAreaTop()
{
    QByteArray srt("1\n00:00:00,000 --> 00:00:01,000\n");
    for (int i = 0; i < 12; ++i)
        srt += "Line " + QByteArray::number(i) + "\n";
    SubtitlesPainter painter(subtitles(writeSrt(QStringLiteral("tall.srt"), srt), 1.0), FrameSize);
    const QRect box = drawnBounds(painter.paint(0));
    QCOMPARE(box.top(), Margin - Inset);
    QCOMPARE(box.bottom(), FrameSize.height() - 1); // runs on below the area to the layer's edge
}

void tst_SubtitlesPainter::sameCueIsNotDrawnAgain()
{
    auto pip = subtitles(m_srt);
    PipFrame frame(pip);
    frame.setFrameSize(FrameSize);

    const QImage first = frame.paintOnto(3 * Second);
    QCOMPARE(frame.paintOnto(4 * Second).cacheKey(), first.cacheKey());

    // Another cue is drawn; the copy handed out before keeps its pixels.
    const QImage other = frame.paintOnto(Second);
    QVERIFY(other.cacheKey() != first.cacheKey());
    QVERIFY(drawnBounds(other).height() < drawnBounds(first).height());
    QVERIFY(frame.paintOnto(2 * Second).isNull());

    // Opacity changes redraw the same cue.
    const QImage opaque = frame.paintOnto(Second);
    const QRect bounds = drawnBounds(opaque);
    pip->setOpacity(0.5);
    const QImage faded = frame.paintOnto(Second);
    QVERIFY(faded.cacheKey() != opaque.cacheKey());
    QCOMPARE(qAlpha(opaque.pixel(bounds.topLeft())), 255);
    QVERIFY(qAbs(qAlpha(faded.pixel(bounds.topLeft())) - 128) <= 1);

    // A new frame size redraws at the new size.
    frame.setFrameSize(QSize(960, 540));
    QCOMPARE(frame.paintOnto(Second).size(), QSize(960, 540));
}

void tst_SubtitlesPainter::filePathChangeReadsCuesAgain()
{
    auto pip = subtitles(m_srt);
    PipFrame frame(pip);
    frame.setFrameSize(FrameSize);
    QVERIFY(frame.paintOnto(Second / 2).isNull());
    QVERIFY(!frame.paintOnto(Second).isNull());

    pip->setFilePath(writeSrt(QStringLiteral("early.srt"), "1\n00:00:00,000 --> 00:00:01,000\nA\n"));
    QVERIFY(!frame.paintOnto(Second / 2).isNull());
    QVERIFY(frame.paintOnto(Second).isNull());

    pip->setFilePath(m_dir.filePath(QStringLiteral("missing.srt")));
    QVERIFY(frame.paintOnto(Second / 2).isNull());
}

PIP_TEST_MAIN(tst_SubtitlesPainter)
#include "tst_subtitlespainter.moc"
