#include "resources/art/GlossyIcon.h"

#include <QLinearGradient>

namespace nestora::art {

QImage blankImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage glossyIcon(int side, QColor base, const Picture& drawPicture) {
    QImage image = blankImage(side, side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0.5, 0.5, side - 1.0, side - 1.0);
    const qreal radius = side * 0.18;
    QPainterPath square;
    square.addRoundedRect(frame, radius, radius);
    QLinearGradient fill(0, 0, 0, side);
    fill.setColorAt(0, base.lighter(135));
    fill.setColorAt(1, base.darker(135));
    painter.fillPath(square, fill);

    painter.save();
    painter.setClipPath(square);
    drawPicture(painter, frame.adjusted(side * 0.14, side * 0.14, -side * 0.14, -side * 0.14));
    // The gloss: a bright arc over the upper half.
    QPainterPath gloss;
    gloss.addEllipse(QRectF(-side * 0.35, -side * 0.62, side * 1.7, side * 1.1));
    QLinearGradient shine(0, 0, 0, side * 0.48);
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 35));
    painter.fillPath(gloss, shine);
    painter.restore();

    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.drawPath(square);
    return image;
}

Picture whiteShape(Shape shape) {
    return [shape = std::move(shape)](QPainter& painter, QRectF area) {
        const QPainterPath path = shape(area);
        painter.fillPath(path.translated(0, area.height() / 28.0), QColor(0, 0, 0, 90));
        painter.fillPath(path, Qt::white);
    };
}

}  // namespace nestora::art
