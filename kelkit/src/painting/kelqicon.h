#pragma once

#include "painting/kelicon.h"

#include <QIcon>

#include <map>

// An icon drawn from a raster file, with optional state files ("High",
// "Press", ...) and scale files ("@125" to "@200", "@2x") beside it; each
// state's images are held in a QIcon, which picks the best scale.
class KelQIcon : public KelIcon
{
public:
    explicit KelQIcon(const QString &path);
    ~KelQIcon() override;

    bool isValid() const override;
    QPixmap pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                   KelPainting::WidgetState state) const override;

private:
    static QIcon loadScaledIcon(const QString &path);

    std::map<int, QIcon> m_icons;
};
