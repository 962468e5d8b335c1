#include "ui/TableViewCell.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace nestora::ui {

namespace {

constexpr int kEditInset = 32;        // room for the delete control
constexpr int kAccessoryWidth = 40;
constexpr int kReorderWidth = 38;
constexpr int kDeleteButtonWidth = 64;
constexpr int kImageSide = 57;        // a home-screen icon

}  // namespace

TableViewCell::TableViewCell(QString reuseIdentifier) : reuseIdentifier_(std::move(reuseIdentifier)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    contentView_ = makeChild<QWidget>(this);
    imageView_ = makeChild<QLabel>(contentView_);
    imageView_->setScaledContents(true);
    textLabel_ = makeChild<TruncatingLabel>(contentView_);
    // Names come from other people's files: never read as markup (an image
    // tag would make the label load whatever file it names).
    textLabel_->setTextFormat(Qt::PlainText);
    textLabel_->setStyleSheet(QStringLiteral("color: black; ") + systemFontStyle(18, true));
}

TableViewCell::~TableViewCell() = default;

void TableViewCell::setText(const QString& text) {
    textLabel_->setText(text);
}

void TableViewCell::setImage(const QPixmap& image) {
    imageView_->setPixmap(image);
    imageView_->setVisible(!image.isNull());
    layoutSubviews();
}

void TableViewCell::setAccessoryType(AccessoryType type) {
    accessory_ = type;
    layoutSubviews();
    update();
}

void TableViewCell::setShowsAccessoryWhenEditing(bool shows) {
    showsAccessoryWhenEditing_ = shows;
    layoutSubviews();
}

void TableViewCell::setEditingState(bool editing, bool deletable, bool movable) {
    editing_ = editing;
    deletable_ = editing && deletable;
    movable_ = editing && movable;
    if (!editing) {
        confirmingDelete_ = false;
    }
    layoutSubviews();
    update();
}

void TableViewCell::setEditControlsAmount(qreal amount) {
    amount = std::clamp<qreal>(amount, 0.0, 1.0);
    if (amount != editAmount_) {
        editAmount_ = amount;
        layoutSubviews();
        update();
    }
}

void TableViewCell::setKeyboardFocused(bool focused) {
    if (keyboardFocused_ != focused) {
        keyboardFocused_ = focused;
        update();
    }
}

void TableViewCell::setShowingDeleteConfirmation(bool showing) {
    confirmingDelete_ = showing && deletable_;
    layoutSubviews();
    update();
}

void TableViewCell::setSelected(bool selected) {
    selected_ = selected;
    const QString color = isHighlighted() ? QStringLiteral("white") : QStringLiteral("black");
    textLabel_->setStyleSheet(QStringLiteral("color: %1; ").arg(color) + systemFontStyle(18, true));
    highlightChanged(isHighlighted());
    update();
}

void TableViewCell::setSelectionStyle(SelectionStyle style) {
    selectionStyle_ = style;
    setSelected(selected_);
}

void TableViewCell::setSeparatorStyle(SeparatorStyle style) {
    if (separator_ != style) {
        separator_ = style;
        update();
    }
}

QRect TableViewCell::accessoryRect() const {
    const bool shown = accessory_ != AccessoryType::None && (!editing_ || showsAccessoryWhenEditing_) &&
                       !confirmingDelete_;
    if (!shown) {
        return {};
    }
    const int right = width() - (movable_ ? qRound(kReorderWidth * editAmount_) : 0);
    return QRect(right - kAccessoryWidth, 0, kAccessoryWidth, height());
}

QRect TableViewCell::deleteControlRect() const {
    // Slides in from the left edge while edit mode comes.
    return deletable_ ? QRect(qRound(kEditInset * (editAmount_ - 1.0)), 0, kEditInset, height()) : QRect();
}

QRect TableViewCell::deleteButtonRect() const {
    return confirmingDelete_ ? QRect(width() - kDeleteButtonWidth - 8, (height() - 30) / 2, kDeleteButtonWidth, 30)
                             : QRect();
}

QRect TableViewCell::reorderRect() const {
    return movable_ && !confirmingDelete_
               ? QRect(width() - qRound(kReorderWidth * editAmount_), 0, kReorderWidth, height())
               : QRect();
}

TableViewCell::Part TableViewCell::partAt(const QPoint& point) const {
    if (deleteButtonRect().contains(point)) {
        return Part::DeleteButton;
    }
    if (deleteControlRect().contains(point)) {
        return Part::DeleteControl;
    }
    if (reorderRect().contains(point)) {
        return Part::ReorderControl;
    }
    if (accessory_ == AccessoryType::DetailDisclosureButton && accessoryRect().contains(point)) {
        return Part::Accessory;
    }
    return Part::Body;
}

void TableViewCell::layoutSubviews() {
    const int left = editing_ && deletable_ ? qRound(kEditInset * editAmount_) : 0;
    int right = width();
    if (QRect accessory = accessoryRect(); !accessory.isNull()) {
        right = accessory.left();
    } else if (confirmingDelete_) {
        right = deleteButtonRect().left() - 4;
    } else if (movable_) {
        right = width() - qRound(kReorderWidth * editAmount_);
    }
    contentView_->setGeometry(left, 0, std::max(0, right - left), height());
    int textX = 10;
    if (!imageView_->isHidden()) {
        imageView_->setGeometry(10, (height() - kImageSide) / 2, kImageSide, kImageSide);
        textX = 10 + kImageSide + 10;
    }
    textLabel_->setGeometry(textX, 0, std::max(0, contentView_->width() - textX - 4), height());
}

void TableViewCell::resizeEvent(QResizeEvent*) {
    layoutSubviews();
}

void TableViewCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isHighlighted()) {
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(0x05, 0x8c, 0xf5));
        gradient.setColorAt(1, QColor(0x01, 0x5e, 0xe6));
        painter.fillRect(rect(), gradient);
    } else {
        painter.fillRect(rect(), Qt::white);
    }
    if (separator_ != SeparatorStyle::None) {
        painter.setPen(QColor(0xe0, 0xe0, 0xe0));
        const int y = separator_ == SeparatorStyle::SingleLineEtched ? height() - 2 : height() - 1;
        painter.drawLine(0, y, width(), y);
        if (separator_ == SeparatorStyle::SingleLineEtched) {
            painter.setPen(Qt::white);  // the etched line's light lower edge
            painter.drawLine(0, height() - 1, width(), height() - 1);
        }
    }
    if (QRect r = deleteControlRect(); !r.isNull()) {
        const QPointF centre(r.center().x() + 2, r.center().y());
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(QColor(0xd9, 0x1e, 0x18));
        painter.drawEllipse(centre, 10, 10);
        painter.setPen(QPen(Qt::white, 3));
        if (confirmingDelete_) {
            painter.drawLine(centre + QPointF(0, -5), centre + QPointF(0, 5));  // turned a quarter
        } else {
            painter.drawLine(centre + QPointF(-5, 0), centre + QPointF(5, 0));
        }
    }
    if (QRect r = deleteButtonRect(); !r.isNull()) {
        QPainterPath button;
        button.addRoundedRect(QRectF(r), 6, 6);
        QLinearGradient gradient(r.topLeft(), r.bottomLeft());
        gradient.setColorAt(0, QColor(0xe8, 0x5a, 0x55));
        gradient.setColorAt(1, QColor(0xb8, 0x10, 0x0c));
        painter.fillPath(button, gradient);
        painter.setPen(Qt::white);
        painter.setFont(systemFont(16, true));
        painter.drawText(r, Qt::AlignCenter, tr("Delete"));
    }
    if (QRect r = accessoryRect(); !r.isNull()) {
        const QPointF c = r.center();
        if (accessory_ == AccessoryType::DisclosureIndicator) {
            painter.setPen(QPen(isHighlighted() ? Qt::white : QColor(0x80, 0x80, 0x80), 3, Qt::SolidLine, Qt::SquareCap,
                                Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(QPolygonF({c + QPointF(-3, -6), c + QPointF(3, 0), c + QPointF(-3, 6)}));
        } else {
            QLinearGradient gradient(c + QPointF(0, -11), c + QPointF(0, 11));
            gradient.setColorAt(0, QColor(0x5e, 0xa0, 0xf0));
            gradient.setColorAt(1, QColor(0x1d, 0x5d, 0xd4));
            painter.setPen(QPen(Qt::white, 2));
            painter.setBrush(gradient);
            painter.drawEllipse(c, 11, 11);
            painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(QPolygonF({c + QPointF(-2, -5), c + QPointF(3, 0), c + QPointF(-2, 5)}));
        }
    }
    if (QRect r = reorderRect(); !r.isNull()) {
        painter.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 2));
        for (int i = -1; i <= 1; ++i) {
            const int y = r.center().y() + i * 5;
            painter.drawLine(r.left() + 10, y, r.right() - 10, y);
        }
    }
    if (keyboardFocused_) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(isHighlighted() ? QColor(Qt::white) : QColor(0x3a, 0x7b, 0xd5), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
    }
}

}  // namespace nestora::ui
