#include "screens/editing/CategoryIcon.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/BundleImages.h"

namespace nestora::screens {

CategoryIcon::CategoryIcon(const QRect& frame, std::string pngFileAtPath, QWidget* parent)
    : QAbstractButton(parent), iconPath_(std::move(pngFileAtPath)), image_(ui::imageAtPath(iconPath_)) {
    setGeometry(frame);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &CategoryIcon::iconPressed);
}

void CategoryIcon::iconPressed() {
    selected_ = true;
    update();
}

void CategoryIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image_.isNull()) {
        painter.drawPixmap(rect(), image_);
    }
    if (selected_ || isDown()) {
        QPainterPath frame;
        frame.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
        painter.fillPath(frame, QColor(0, 0, 0, 90));
        painter.setPen(QPen(QColor(0x1d, 0x5d, 0xd4), 3));
        painter.drawPath(frame);
    }
}

}  // namespace nestora::screens
