#pragma once

#include "painting/kelpainting.h"

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVector>

class KelPixmapCache;
class KelWidgetStateAnimator;
class QPainter;

// An icon of the framework: a default logical size and pixmaps made for a
// device pixel ratio, a size (invalid: the default one), a tint colour
// (invalid: none) and a widget state. Icons come from the icons provider,
// which owns them. GUI thread only.
class KelIcon
{
public:
    KelIcon();
    virtual ~KelIcon();

    virtual bool isValid() const = 0;
    // The base logs a misuse and returns a transparent pixmap.
    virtual QPixmap pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                           KelPainting::WidgetState state) const;
    // The pixmap of the moment for a widget's state animator: the normal or
    // checked picture, faded while disabled and, without a tint, blended
    // with the pressed or hovered picture by their progress.
    virtual QPixmap animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                                   KelWidgetStateAnimator *animator) const;

    // A transparent pixmap of size (invalid: the default size) at the ratio.
    QPixmap createPixmap(double pixelRatio, const QSize &size) const;
    // Draws the state's pixmap aligned in rect, on the device pixel grid.
    void paint(QPainter *painter, const QRect &rect, Qt::Alignment alignment, const QSize &size,
               const QColor &tint, KelPainting::WidgetState state) const;
    // As above with the animated pixmap; the corner is not snapped.
    void paint(QPainter *painter, const QRect &rect, Qt::Alignment alignment, const QSize &size,
               const QColor &tint, KelWidgetStateAnimator *animator) const;

    // The path (or registration name) the icon was made from; empty for an
    // icon that failed to load and for the null icon.
    QString path() const;
    QSize size1x() const;

protected:
    // A state's file: the suffixes inserted before the extension and the
    // state whose file serves when that file is missing.
    struct StateFile
    {
        KelPainting::WidgetState state;
        const char *svgSuffix;
        const char *rasterSuffix;
        KelPainting::WidgetState fallback;
    };
    // Every state but Normal, in the order that resolves the fall-backs.
    static const QVector<StateFile> &stateFiles();
    static QString stateFileName(const QString &path, const QString &suffix);
    // The provider's cache of rendered pixmaps; null without a provider.
    static KelPixmapCache *iconCache();

    QSize m_size1x;
    QString m_path;

private:
    Q_DISABLE_COPY(KelIcon)
};
