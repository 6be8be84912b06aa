#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QVector>
#include <QtTest>

#include <algorithm>

// The painters are built into the worker too, which has no QApplication:
// run their tests in a plain QGuiApplication. Qt 5.15's offscreen platform
// never frees its screen; the sanitizer build is told so (the rest of that
// screen's memory is reachable from these two blocks).
#define PIP_TEST_MAIN(TestObject) \
    extern "C" const char *__lsan_default_suppressions() \
    { \
        return "leak:libqoffscreen.so\n"; \
    } \
    int main(int argc, char *argv[]) \
    { \
        QGuiApplication app(argc, argv); \
        TestObject tc; \
        return QTest::qExec(&tc, argc, argv); \
    }

namespace PipTest {

// Bounding rectangle of the pixels whose alpha is at least minAlpha.
inline QRect drawnBounds(const QImage &image, int minAlpha = 1)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(line[x]) >= minAlpha) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Bounding rectangles of the 4-connected regions of pixels with alpha at
// least minAlpha, sorted by top, then left.
inline QVector<QRect> drawnRegions(const QImage &image, int minAlpha = 128)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = img.width(), h = img.height();
    QVector<char> seen(w * h, 0);
    auto solid = [&](int x, int y) {
        return qAlpha(reinterpret_cast<const QRgb *>(img.constScanLine(y))[x]) >= minAlpha;
    };
    QVector<QRect> regions;
    QVector<QPoint> stack;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (seen[y * w + x] || !solid(x, y))
                continue;
            QRect bounds(x, y, 1, 1);
            stack = {QPoint(x, y)};
            seen[y * w + x] = 1;
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                bounds |= QRect(p, QSize(1, 1));
                const QPoint next[] = {{p.x() + 1, p.y()},
                                       {p.x() - 1, p.y()},
                                       {p.x(), p.y() + 1},
                                       {p.x(), p.y() - 1}};
                for (const QPoint &n : next) {
                    if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= h)
                        continue;
                    if (seen[n.y() * w + n.x()] || !solid(n.x(), n.y()))
                        continue;
                    seen[n.y() * w + n.x()] = 1;
                    stack.append(n);
                }
            }
            regions.append(bounds);
        }
    }
    std::sort(regions.begin(), regions.end(), [](const QRect &a, const QRect &b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    return regions;
}

// Writes an opaque image of one colour and returns its path.
inline QString writeImage(const QString &dir, const QString &name, const QSize &size,
                          const QColor &color = Qt::red)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = QDir(dir).filePath(name);
    if (!image.save(path))
        return QString();
    return path;
}

} // namespace PipTest
