#include "screens/editing/CategoryIcon.h"

#include <QFileInfo>

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include "ui/BundleImages.h"
#include "ui/Accessibility.h"

namespace nestora::screens {

CategoryIcon::CategoryIcon(const QRect& frame, std::string pngFileAtPath, QWidget* parent)
    : QAbstractButton(parent), iconPath_(std::move(pngFileAtPath)) {
    setGeometry(frame);
    // Named by its file, without the extension ("Games").
    ui::makeKeyboardButton(this, QFileInfo(QString::fromStdString(iconPath_)).completeBaseName());
    // The size is part of the key: the same file shown in another size is
    // another picture.
    cacheKey_ = QStringLiteral("nestora-icon:%1x%2:").arg(frame.width()).arg(frame.height()) +
                QString::fromStdString(iconPath_);
    connect(this, &QAbstractButton::clicked, this, &CategoryIcon::iconPressed);
}

QPixmap CategoryIcon::image() const {
    QPixmap image;
    if (noImage_ || QPixmapCache::find(cacheKey_, &image)) {
        return image;
    }
    loaded_ = true;
    image = ui::imageAtPath(iconPath_, size());
    if (image.isNull()) {
        noImage_ = true;  // not read again on every paint
    } else {
        QPixmapCache::insert(cacheKey_, image);
    }
    return image;
}

void CategoryIcon::iconPressed() {
    selected_ = true;
    update();
}

void CategoryIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The picture keeps its own size, centred, as a button shows its image.
    const QPixmap picture = image();
    if (!picture.isNull()) {
        painter.drawPixmap((width() - picture.width()) / 2, (height() - picture.height()) / 2, picture);
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
