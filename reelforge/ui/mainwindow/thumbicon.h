#pragma once

#include "painting/kelicon.h"

#include <QObject>
#include <QString>

// An icon whose picture is the cached thumbnail of a file, so that any
// icon-carrying widget can show a preview of an image:
//
//     auto *icon = new ThumbIcon(QSize(24, 24), row);
//     icon->setSource(watermark->filePath());
//     button->setIcon(icon);
//
// Not made by the icons provider: its parent owns it. Tint and widget state
// are ignored. GUI thread only.
class ThumbIcon : public QObject, public KelIcon
{
    Q_OBJECT

public:
    ThumbIcon(const QSize &defaultSize, QObject *parent = nullptr);
    ~ThumbIcon() override;

    QString source() const;
    void setSource(const QString &source);

    // True when a source is set.
    bool isValid() const override;
    // Empty when invalid or when the file cannot be read.
    QPixmap pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                   KelPainting::WidgetState state) const override;

private:
    QString m_source;
};
