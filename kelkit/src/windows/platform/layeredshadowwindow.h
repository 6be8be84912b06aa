#pragma once

#include <QImage>
#include <QRasterWindow>

namespace KelPlatform {

// The window that shows a frameless window's shadow: frameless,
// translucent, click-through and never activated, a tool window transient
// for its owner. It shows one premultiplied image, stretched over its
// geometry, at a constant alpha. It needs a compositing manager to blend
// with what lies below. GUI thread only.
class LayeredShadowWindow : public QRasterWindow
{
    Q_OBJECT

public:
    explicit LayeredShadowWindow(QWindow *owner);
    ~LayeredShadowWindow() override;

    QImage image() const;
    // An image in physical pixels, as large as the native geometry.
    void setImage(const QImage &image);

    // The geometry in physical screen pixels, on the owner's screen.
    QRect nativeGeometry() const;
    void setNativeGeometry(const QRect &rect);

    // 0 to 1.
    double alpha() const;
    void setAlpha(double alpha);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QRect m_nativeGeometry;
    double m_alpha = 0.0;
};

} // namespace KelPlatform
