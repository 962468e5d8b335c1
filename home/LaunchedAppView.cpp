#include "home/LaunchedAppView.h"

#include <QLabel>

#include "home/IconImages.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace nestora::home {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 460;
constexpr int kBigIcon = 2 * kIconSize;

QLabel* makeText(QWidget* parent, const QString& text, int pixelSize, const QColor& color, const QRect& frame) {
    auto* label = ui::makeChild<QLabel>(parent, text);
    QFont font = ui::systemFont(pixelSize);
    font.setBold(pixelSize > 14);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setGeometry(frame);
    return label;
}

}  // namespace

LaunchedAppView::LaunchedAppView(HomeIcon app, QWidget* parent) : QWidget(parent), app_(std::move(app)) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(24, 24, 28));
    setPalette(dark);
    iconLabel_ = ui::makeChild<QLabel>(this);
    iconLabel_->setGeometry((kWidth - kBigIcon) / 2, 120, kBigIcon, kBigIcon);
    iconLabel_->setPixmap(iconImage(app_).scaled(kBigIcon, kBigIcon, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    nameLabel_ = makeText(this, QString::fromStdString(app_.name), 24, Qt::white, QRect(10, 250, kWidth - 20, 60));
    makeText(this, tr("Home or Escape returns"), 12, QColor(150, 150, 160), QRect(10, kHeight - 40, kWidth - 20, 20));
}

}  // namespace nestora::home
