#pragma once

// A home-screen icon in the style of the phone's own: a rounded square in a
// vertical gradient of its colour, a picture on it, and the glossy arc over
// the upper half. Every stroke is drawn here from shapes, never from a font,
// so that every build machine draws the same pixels.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include <functional>

namespace nestora::art {

// Draws the picture into `area` (the square less a margin).
using Picture = std::function<void(QPainter&, QRectF)>;
// A picture that is one shape, filled.
using Shape = std::function<QPainterPath(const QRectF&)>;

// A transparent image of the given size, ready to paint on.
QImage blankImage(int width, int height);

QImage glossyIcon(int side, QColor base, const Picture& drawPicture);

// The shape in white with a soft shadow under it, as the phone's icons show
// their glyphs.
Picture whiteShape(Shape shape);

}  // namespace nestora::art
