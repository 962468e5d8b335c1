#include "ui/AlertView.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>

#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"
#include "ui/Transition.h"
#include "ui/Accessibility.h"

namespace nestora::ui {

namespace {

constexpr int kBoxWidth = 284;
constexpr int kMargin = 12;
constexpr int kButtonHeight = 43;
constexpr int kFieldGrowth = 50;
constexpr int kFieldHeight = 30;
constexpr int kTitleLineHeight = 22;
// The field's frame in the box follows the box's frame on the 320-point
// screen: x − 5 and width − 25 of the box (which sits at x 18).
constexpr int kFieldX = (320 - kBoxWidth) / 2 - 5;
constexpr int kFieldWidth = kBoxWidth - 25;

QString buttonStyle() {
    return QStringLiteral("QPushButton { color: white; %1 border: 1px solid #1b2b55; border-radius: 6px;"
                          " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #8c9cc4, stop:0.5 #4a5f96,"
                          " stop:0.51 #3c5189, stop:1 #3a4f86); }"
                          "QPushButton:pressed { background: #223366; }"
                          "QPushButton:focus { border: 2px solid #c8dcff; }")
        .arg(systemFontStyle(16, true));
}

}  // namespace

AlertView::AlertView(QString title, QString message, QString cancelButtonTitle, QStringList otherButtonTitles)
    : title_(std::move(title)), message_(std::move(message)) {
    // The fonts are the labels' own, not a style sheet's: a style sheet
    // applies only when the label is first shown, after the box has been
    // measured for its text.
    titleLabel_ = makeChild<QLabel>(this, title_);
    titleLabel_->setTextFormat(Qt::PlainText);
    titleLabel_->setAlignment(Qt::AlignCenter);
    titleLabel_->setWordWrap(true);
    titleLabel_->setFont(systemFont(18, true));
    titleLabel_->setStyleSheet(QStringLiteral("color: white;"));
    messageLabel_ = makeChild<QLabel>(this, message_);
    messageLabel_->setTextFormat(Qt::PlainText);
    messageLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    messageLabel_->setWordWrap(true);
    messageLabel_->setFont(systemFont(15));
    messageLabel_->setStyleSheet(QStringLiteral("color: white;"));
    messageLabel_->setVisible(!message_.isEmpty());
    QStringList titles;
    if (!cancelButtonTitle.isEmpty()) {
        titles << cancelButtonTitle;
    }
    titles << otherButtonTitles;
    for (int i = 0; i < titles.size(); ++i) {
        auto* button = makeChild<QPushButton>(this, titles[i]);
        button->setStyleSheet(buttonStyle());
        makeKeyboardButton(button);
        connect(button, &QPushButton::clicked, this, [this, i] { clickButton(i); });
        buttons_.push_back(button);
    }
}

AlertView::~AlertView() = default;

QStringList AlertView::buttonTitles() const {
    QStringList titles;
    for (const QPushButton* button : buttons_) {
        titles << button->text();
    }
    return titles;
}

void AlertView::addTextField() {
    if (textField_ != nullptr) {
        return;
    }
    textField_ = makeChild<QLineEdit>(this);
    textField_->setAccessibleName(message_.isEmpty() ? title_ : message_);  // "Enter category title"
    // Return takes the action button (the last one), as a tap on it would.
    connect(textField_, &QLineEdit::returnPressed, this,
            [this] { clickButton(static_cast<int>(buttons_.size()) - 1); });
    textField_->setStyleSheet(
        QStringLiteral("QLineEdit { background: white; color: black; border: 1px solid #333; %1 padding: 0 4px; }")
            .arg(systemFontStyle(16)));
    layoutAlert();
}

void AlertView::layoutAlert() {
    const int innerWidth = kBoxWidth - 2 * kMargin;
    int y = kMargin;
    titleLabel_->ensurePolished();
    messageLabel_->ensurePolished();
    const int titleHeight = titleLabel_->heightForWidth(innerWidth);
    titleLabel_->setGeometry(kMargin, y, innerWidth, std::max(titleHeight, kTitleLineHeight));
    y += titleLabel_->height() + 6;
    if (!messageLabel_->isHidden()) {
        const int messageHeight = messageLabel_->heightForWidth(innerWidth);
        messageLabel_->setGeometry(kMargin, y, innerWidth, messageHeight);
        y += messageHeight + 10;
    }
    // Two buttons sit side by side; one, or more than two, stack (cancel last).
    const bool sideBySide = buttons_.size() == 2;
    const int rows = sideBySide ? 1 : static_cast<int>(buttons_.size());
    int height = y + rows * (kButtonHeight + 8) + kMargin - 8;
    if (textField_ != nullptr) {
        height += kFieldGrowth;
    }
    int boxY = (this->height() - height) / 2;
    if (textField_ != nullptr) {
        // Moved up to a quarter of its y and grown by 50 points, so that the
        // keyboard leaves the field visible; the field sits in the 50 points
        // added under the message, and the buttons move down below them.
        boxY = static_cast<int>(((this->height() - (height - kFieldGrowth)) / 2) * 0.25);
        textField_->setGeometry(kFieldX, y + (kFieldGrowth - kFieldHeight) / 2, kFieldWidth, kFieldHeight);
        y += kFieldGrowth;
    }
    box_ = QRect((width() - kBoxWidth) / 2, std::max(0, boxY), kBoxWidth, height);
    const int buttonY = y;
    if (sideBySide) {
        const int w = (innerWidth - 8) / 2;
        buttons_[0]->setGeometry(kMargin, buttonY, w, kButtonHeight);
        buttons_[1]->setGeometry(kMargin + w + 8, buttonY, w, kButtonHeight);
    } else {
        int row = 0;
        for (std::size_t i = 1; i < buttons_.size(); ++i, ++row) {
            buttons_[i]->setGeometry(kMargin, buttonY + row * (kButtonHeight + 8), innerWidth, kButtonHeight);
        }
        if (!buttons_.empty()) {
            buttons_[0]->setGeometry(kMargin, buttonY + row * (kButtonHeight + 8), innerWidth, kButtonHeight);
        }
    }
    // Children are laid out in box coordinates; shift them onto the box.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->move(child->pos() + box_.topLeft());
    }
    update();
}

AlertView* AlertView::present(std::unique_ptr<AlertView> alert, QWidget* context) {
    QWidget* window = context->window();
    QWidget* focused = QApplication::focusWidget();
    AlertView* shown = adoptChild(std::move(alert), window);
    // The keyboard comes back where it was when the alert goes.
    shown->previousFocus_ = focused != nullptr && window->isAncestorOf(focused) ? focused : nullptr;
    shown->setGeometry(window->rect());
    shown->layoutAlert();
    shown->willPresent();
    shown->QWidget::show();
    shown->raise();
    if (window->isVisible()) {
        shown->fadeIn();
    }
    if (shown->textField_ != nullptr) {
        shown->textField_->setFocus();
    } else {
        shown->setFocusPolicy(Qt::StrongFocus);
        shown->setFocus();
    }
    AlertAnswerQueue& queue = AlertAnswerQueue::forWindow(window);
    queue.shown_ << shown->title_ + QLatin1Char('|') + shown->message_;
    if (!queue.answers_.empty()) {
        AlertAnswerQueue::Answer answer = queue.answers_.front();
        queue.answers_.pop_front();
        // Answered on the next turn of the event loop, as a tap would be:
        // the caller finishes setting up around the alert first.
        QTimer::singleShot(0, shown, [shown, answer] {
            if (shown->textField_ != nullptr) {
                shown->textField_->setText(answer.text);
            }
            shown->clickButton(answer.buttonIndex);
        });
    }
    return shown;
}

void AlertView::fadeIn() {
    auto* effect = makeChild<QGraphicsOpacityEffect>(this);
    setGraphicsEffect(effect);  // the alert owns it now
    QPointer<AlertView> guard(this);
    Transition::start(
        this, Transition::kFadeMilliseconds,
        [guard](qreal progress) {
            if (guard != nullptr) {
                if (auto* fading = qobject_cast<QGraphicsOpacityEffect*>(guard->graphicsEffect())) {
                    fading->setOpacity(progress);
                }
            }
        },
        [guard] {
            if (guard != nullptr) {
                guard->setGraphicsEffect(nullptr);  // drawn directly again
            }
        });
}

void AlertView::setBoxFrame(const QRect& frame) {
    const QPoint shift = frame.topLeft() - box_.topLeft();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->move(child->pos() + shift);
    }
    box_ = frame;
    update();
}

void AlertView::clickButton(int index) {
    if (answered_ || index < 0 || index >= static_cast<int>(buttons_.size())) {
        return;
    }
    answered_ = true;
    hide();
    deleteLater();
    if (previousFocus_ && previousFocus_->isVisible()) {
        previousFocus_->setFocus(Qt::OtherFocusReason);
    }
    if (handler_) {
        handler_(*this, index);
    }
}

bool AlertView::focusNextPrevChild(bool next) {
    return cycleFocus(this, next);
}

void AlertView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        clickButton(0);  // the cancel button (or the only one)
        return;
    }
    QWidget::keyPressEvent(event);
}

void AlertView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, 110));
    QPainterPath path;
    path.addRoundedRect(QRectF(box_).adjusted(1.5, 1.5, -1.5, -1.5), 9, 9);
    QLinearGradient gradient(box_.topLeft(), box_.bottomLeft());
    gradient.setColorAt(0, QColor(0x2f, 0x43, 0x7a, 235));
    gradient.setColorAt(1, QColor(0x0d, 0x1b, 0x46, 235));
    painter.fillPath(path, gradient);
    painter.setPen(QPen(QColor(0xe0, 0xe6, 0xf2), 2));
    painter.drawPath(path);
    // The glossy upper band of the box.
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(box_.x() + 3, box_.y() + 3, box_.width() - 6, 28), 7, 7);
    painter.fillPath(gloss, QColor(255, 255, 255, 40));
}

AlertAnswerQueue& AlertAnswerQueue::forWindow(QWidget* anyWidget) {
    QWidget* window = anyWidget->window();
    auto* queue = window->findChild<AlertAnswerQueue*>(QString(), Qt::FindDirectChildrenOnly);
    if (queue == nullptr) {
        queue = makeChild<AlertAnswerQueue>(window);
    }
    return *queue;
}

void AlertAnswerQueue::answerNext(int buttonIndex, QString text) {
    answers_.push_back(Answer{buttonIndex, std::move(text)});
}

}  // namespace nestora::ui
