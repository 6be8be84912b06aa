#pragma once

#include "painting/kelicon.h"

#include <map>
#include <memory>

class QSvgRenderer;

// An icon drawn from an SVG file, with optional state files beside it
// ("-hover", "-pressed", ...); a missing state file takes the picture of
// its fall-back state. Every file is parsed once, at construction.
class KelSvgIcon : public KelIcon
{
public:
    explicit KelSvgIcon(const QString &path);
    ~KelSvgIcon() override;

    bool isValid() const override;
    QPixmap pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                   KelPainting::WidgetState state) const override;

private:
    using Renderer = std::shared_ptr<QSvgRenderer>;
    static Renderer makeRenderer(const QString &path, const QString &suffix);

    std::map<int, Renderer> m_renderers;
};
