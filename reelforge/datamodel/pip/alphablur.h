#pragma once

#include <QtGlobal>

class QImage;
class QPainter;

// The alpha-only blur of Qt Widgets' drop shadows (qt_blurImage with quality
// off), pixel for pixel, so that the worker, which paints text shadows too,
// needs no Qt Widgets: an exponential running average along every row and
// then every column, forward and back, on an image first halved when the
// radius is 4 or more.
//
// Blurs the alpha of image, converted to premultiplied ARGB32 when it is in
// another format than that or RGB32, and replaces image by the halved one
// when it was halved. With a painter, draws the result scaled back to the
// image's logical size.
void blurAlpha(QPainter *painter, QImage &image, qreal radius);
