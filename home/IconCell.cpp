#include "home/IconCell.h"

#include <QLabel>
#include <QPainter>

#include "home/IconImages.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace nestora::home {

namespace {

constexpr int kIconTop = 4;
constexpr int kLabelTop = kIconTop + kIconSize + 3;
constexpr int kLabelHeight = 16;

}  // namespace

IconCell::IconCell(HomeIcon icon, std::optional<std::string> themeIconPath, QWidget* parent)
    : QAbstractButton(parent), icon_(std::move(icon)), themeIconPath_(std::move(themeIconPath)) {
    setFixedSize(kWidth, kHeight);
    // Arrow keys page the screen; a cell never takes the focus from it.
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QString::fromStdString(icon_.name));
    label_ = ui::makeChild<QLabel>(this);
    label_->setGeometry(0, kLabelTop, kWidth, kLabelHeight);
    label_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // A button's children would take its text role; the label colour is set
    // as the label's own text colour.
    label_->setForegroundRole(QPalette::WindowText);
    QFont font = ui::systemFont(11);
    font.setBold(true);
    label_->setFont(font);
    label_->setText(label_->fontMetrics().elidedText(QString::fromStdString(icon_.name), Qt::ElideRight, kWidth - 4));
    setLabelColor(Qt::white);
}

void IconCell::setLabelShown(bool shown) { label_->setVisible(shown); }

void IconCell::setLabelColor(const QColor& color) {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, color);
    label_->setPalette(palette);
}

void IconCell::paintEvent(QPaintEvent*) {
    if (!imageLoaded_) {
        image_ = iconImage(icon_, themeIconPath_);
        imageLoaded_ = true;
    }
    QPainter painter(this);
    const QRect frame((kWidth - kIconSize) / 2, kIconTop, kIconSize, kIconSize);
    if (isDown()) painter.setOpacity(0.6);
    painter.drawPixmap(frame, image_);
}

}  // namespace nestora::home
