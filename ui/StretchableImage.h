#pragma once

// An image that stretches the way the phone's UI kit stretches one
// (stretchableImageWithLeftCapWidth:topCapHeight:): the left cap keeps its
// width, the one column after it is stretched to fill, and the rest (the
// right cap) keeps its width; likewise from the top for the rows. A cap of 0
// means that direction has no caps: the whole image is scaled along it.

#include <QPixmap>

class QPainter;
class QRect;

namespace nestora::ui {

struct StretchableImage {
    QPixmap image;
    int leftCapWidth = 0;
    int topCapHeight = 0;

    bool isNull() const { return image.isNull(); }
    // Draws the image over the target rectangle. A target smaller than the
    // caps gets the whole image scaled instead.
    void draw(QPainter& painter, const QRect& target) const;
};

// stretchableImageWithLeftCapWidth:topCapHeight:
StretchableImage stretchableImage(QPixmap image, int leftCapWidth, int topCapHeight);

}  // namespace nestora::ui
