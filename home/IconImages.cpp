#include "home/IconImages.h"

#include <QPainter>
#include <QPainterPath>

#include "model/IconLookup.h"
#include "ui/BundleImages.h"
#include "ui/SystemFont.h"

namespace nestora::home {

namespace {

QPixmap scaledIcon(const QPixmap& image) {
    return image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QPixmap placeholderIcon(const QString& name) {
    QPixmap tile(kIconSize, kIconSize);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0.5, 0.5, kIconSize - 1, kIconSize - 1), 10, 10);
    QLinearGradient fill(0, 0, 0, kIconSize);
    fill.setColorAt(0, QColor(150, 150, 160));
    fill.setColorAt(1, QColor(90, 90, 100));
    painter.fillPath(shape, fill);
    QFont font = ui::systemFont(30);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, name.left(1).toUpper());
    return tile;
}

QPixmap iconImage(const HomeIcon& icon, const std::optional<std::string>& themeIconPath) {
    if (themeIconPath) {
        if (QPixmap themed = ui::imageAtPath(*themeIconPath); !themed.isNull()) return scaledIcon(themed);
    }
    if (const auto path = model::iconPathForBundlePath(icon.bundlePath)) {
        if (QPixmap own = ui::imageAtPath(*path); !own.isNull()) return scaledIcon(own);
    }
    return placeholderIcon(QString::fromStdString(icon.name));
}

}  // namespace nestora::home
