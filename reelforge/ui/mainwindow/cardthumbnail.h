#pragma once

#include "widgets/kelbutton.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

// The clickable picture on the left of a card: the thumbnail of an image in
// memory or, without one, of a file, cropped to cover the rounded frame on
// a background of style colour CL_Gray_8, with the play icon on top. While the
// mouse hovers, the picture grows by up to 12 pixels around a point 50 %
// across and 20 % down, following the hover animation.
//
//     auto *thumb = new CardThumbnail(card);
//     thumb->setImage(item->thumbnail());
//
// Pictures come from the thumbnail services of Ui. GUI thread only.
class CardThumbnail : public KelButton
{
    Q_OBJECT

public:
    explicit CardThumbnail(QWidget *parent = nullptr);
    ~CardThumbnail() override;

    QString path() const;
    // Shown while no image is set.
    void setPath(const QString &path);
    // The image set, or decoded from the data set.
    QImage image() const;
    void setImage(const QImage &image);
    // An encoded image, decoded when painted through the thumbnail cache:
    // a card that is never painted holds no decoded picture. Replaces the
    // image set, and the reverse.
    void setImageData(const QByteArray &data);

    void applyStyle() override;
    void paint(KelPaintContext &ctx) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
