#include "ui/NavigationBar.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"
#include "ui/Accessibility.h"

namespace nestora::ui {

namespace {

QString buttonStyle(bool done) {
    const char* top = done ? "#4a7cd6" : "#5a5a5a";
    const char* bottom = done ? "#1f4fb0" : "#1c1c1c";
    return QStringLiteral(
               "QPushButton { color: white; %3 border: 1px solid #000;"
               " border-radius: 5px; padding: 0 8px;"
               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2); }"
               "QPushButton:pressed { background: #111; }"
               "QPushButton:focus { border: 1px solid #8fb8ff; }")
        .arg(QLatin1String(top), QLatin1String(bottom), systemFontStyle(12, true));
}

}  // namespace

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent) {
    titleLabel_ = makeChild<QLabel>(this);
    titleLabel_->setTextFormat(Qt::PlainText);  // titles hold names from files, never markup
    titleLabel_->setAlignment(Qt::AlignCenter);
    titleLabel_->setStyleSheet(QStringLiteral("color: white;"));
    setFixedHeight(kHeight);
}

QPushButton* NavigationBar::makeButton(const QString& title, bool backShape, bool done) {
    auto* button = makeChild<QPushButton>(this, title);
    button->setStyleSheet(buttonStyle(done) +
                          (backShape ? QStringLiteral("QPushButton { border-top-left-radius: 12px;"
                                                      " border-bottom-left-radius: 12px; }")
                                     : QString()));
    makeKeyboardButton(button);
    button->setFixedHeight(30);
    button->adjustSize();
    button->setFixedWidth(std::max(50, button->sizeHint().width()));
    button->show();
    return button;
}

void NavigationBar::showItem(const QString& title, BarButtonItem* left, BarButtonItem* right,
                             const QString& backTitle) {
    // A tap on one of these buttons may be what changed the item: let the
    // old buttons finish their signal before they go.
    for (QPushButton* old : {leftButton_.data(), rightButton_.data()}) {
        if (old != nullptr) {
            old->hide();
            old->deleteLater();
        }
    }
    leftButton_ = nullptr;
    rightButton_ = nullptr;
    title_ = title;
    if (left != nullptr) {
        leftButton_ = makeButton(left->title(), false, left->style() == BarButtonItem::Style::Done);
        connect(leftButton_.data(), &QPushButton::clicked, left, &BarButtonItem::trigger);
    } else if (!backTitle.isEmpty()) {
        leftButton_ = makeButton(backTitle, true, false);
        connect(leftButton_.data(), &QPushButton::clicked, this, &NavigationBar::backTapped);
    }
    if (right != nullptr) {
        rightButton_ = makeButton(right->title(), false, right->style() == BarButtonItem::Style::Done);
        connect(rightButton_.data(), &QPushButton::clicked, right, &BarButtonItem::trigger);
    }
    layoutBar();
}

QString NavigationBar::titleText() const {
    return title_;
}

void NavigationBar::layoutBar() {
    const int buttonY = (kHeight - 30) / 2;
    int leftEdge = 5;
    int rightEdge = width() - 5;
    if (leftButton_) {
        leftButton_->move(5, buttonY);
        leftEdge = leftButton_->geometry().right() + 5;
    }
    if (rightButton_) {
        rightButton_->move(width() - 5 - rightButton_->width(), buttonY);
        rightEdge = rightButton_->x() - 5;
    }
    // The title stays centred on the bar while it fits between the buttons
    // there; a longer one takes all the room between them, in a smaller
    // type if it must, and is cut short with an ellipsis only after that.
    const int half = std::max(0, std::min(width() / 2 - leftEdge, rightEdge - width() / 2));
    const QRect centred(width() / 2 - half, 0, 2 * half, kHeight);
    const QRect between(leftEdge, 0, std::max(0, rightEdge - leftEdge), kHeight);
    QFont font = systemFont(kTitlePixelSize, true);
    for (int size = kTitlePixelSize; size >= kSmallestTitlePixelSize; --size) {
        font.setPixelSize(size);
        const int needed = QFontMetrics(font).horizontalAdvance(title_);
        if (needed <= centred.width() || needed <= between.width() || size == kSmallestTitlePixelSize) {
            titleLabel_->setFont(font);
            titleLabel_->setGeometry(needed <= centred.width() ? centred : between);
            titleLabel_->setText(QFontMetrics(font).elidedText(title_, Qt::ElideRight, titleLabel_->width()));
            return;
        }
    }
}

void NavigationBar::resizeEvent(QResizeEvent*) {
    layoutBar();
}

void NavigationBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0x4c, 0x4c, 0x4c));
    gradient.setColorAt(0.5, QColor(0x20, 0x20, 0x20));
    gradient.setColorAt(0.51, QColor(0x0c, 0x0c, 0x0c));
    gradient.setColorAt(1, QColor(0x00, 0x00, 0x00));
    painter.fillRect(rect(), gradient);
    painter.setPen(QColor(0x6a, 0x6a, 0x6a));
    painter.drawLine(0, 0, width(), 0);
}

}  // namespace nestora::ui
