#include "ui/StretchableImage.h"

#include <QPainter>
#include <QRect>

#include <array>

namespace nestora::ui {

namespace {

// One direction cut into source and target segments: [cap, one stretched
// line, rest]. Without a cap, one segment that is scaled whole.
struct Segments {
    int count = 0;
    std::array<int, 3> sourceStart{};
    std::array<int, 3> sourceLength{};
    std::array<int, 3> targetStart{};
    std::array<int, 3> targetLength{};
};

Segments cut(int cap, int sourceLength, int targetStart, int targetLength) {
    Segments s;
    const int endCap = sourceLength - cap - 1;
    if (cap <= 0 || endCap < 0 || cap + endCap > targetLength) {
        s.count = 1;
        s.sourceLength[0] = sourceLength;
        s.targetStart[0] = targetStart;
        s.targetLength[0] = targetLength;
        return s;
    }
    s.count = 3;
    s.sourceStart = {0, cap, cap + 1};
    s.sourceLength = {cap, 1, endCap};
    s.targetStart = {targetStart, targetStart + cap, targetStart + targetLength - endCap};
    s.targetLength = {cap, targetLength - cap - endCap, endCap};
    return s;
}

}  // namespace

StretchableImage stretchableImage(QPixmap image, int leftCapWidth, int topCapHeight) {
    return StretchableImage{std::move(image), leftCapWidth, topCapHeight};
}

void StretchableImage::draw(QPainter& painter, const QRect& target) const {
    if (image.isNull() || target.isEmpty()) {
        return;
    }
    // Caps count in points; a high-resolution image has more pixels per point.
    const qreal scale = image.devicePixelRatio();
    const int width = static_cast<int>(image.width() / scale);
    const int height = static_cast<int>(image.height() / scale);
    const Segments columns = cut(leftCapWidth, width, target.x(), target.width());
    const Segments rows = cut(topCapHeight, height, target.y(), target.height());
    for (int r = 0; r < rows.count; ++r) {
        for (int c = 0; c < columns.count; ++c) {
            if (columns.targetLength[c] <= 0 || rows.targetLength[r] <= 0) {
                continue;
            }
            const QRectF source(columns.sourceStart[c] * scale, rows.sourceStart[r] * scale,
                                columns.sourceLength[c] * scale, rows.sourceLength[r] * scale);
            const QRectF destination(columns.targetStart[c], rows.targetStart[r], columns.targetLength[c],
                                     rows.targetLength[r]);
            painter.drawPixmap(destination, image, source);
        }
    }
}

}  // namespace nestora::ui
