#include "ui/ScrollIndicator.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include "ui/QtOwnership.h"

namespace nestora::ui {

ScrollIndicator* ScrollIndicator::attach(QAbstractScrollArea* area) {
    return adoptChild(std::unique_ptr<ScrollIndicator>(new ScrollIndicator(area)), area);
}

ScrollIndicator::ScrollIndicator(QAbstractScrollArea* area) : area_(area) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &ScrollIndicator::fadeOut);
    QScrollBar* bar = area->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this] { flash(kShownMilliseconds); });
    connect(bar, &QScrollBar::rangeChanged, this, &ScrollIndicator::place);
    area->installEventFilter(this);
    hide();
}

QRect ScrollIndicator::barRect() const {
    const QScrollBar* bar = area_->verticalScrollBar();
    const QRect view = area_->viewport()->geometry();
    const int visible = bar->pageStep();
    const int content = bar->maximum() + visible;
    if (bar->maximum() <= 0 || content <= 0) {
        return {};
    }
    const int track = view.height() - 2 * kInset;
    const int length = std::max(kMinimumLength, track * visible / content);
    const int top = view.top() + kInset + (track - length) * bar->value() / std::max(1, bar->maximum());
    return QRect(view.right() + 1 - kInset - kWidth, top, kWidth, length);
}

void ScrollIndicator::place() {
    const QRect bar = barRect();
    if (bar.isEmpty()) {
        hide();
        return;
    }
    setGeometry(bar);
    raise();
}

void ScrollIndicator::flash(int milliseconds) {
    if (barRect().isEmpty()) {
        return;
    }
    if (fade_) {
        fade_->finish();
    }
    opacity_ = 1.0;
    place();
    show();
    update();
    hideTimer_.start(milliseconds);
}

void ScrollIndicator::fadeOut() {
    QPointer<ScrollIndicator> guard(this);
    fade_ = Transition::start(
        this, Transition::kFadeMilliseconds,
        [guard](qreal progress) {
            if (guard) {
                guard->opacity_ = 1.0 - progress;
                guard->update();
            }
        },
        [guard] {
            if (guard) {
                guard->hide();
            }
        });
}

bool ScrollIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_) {
        if (event->type() == QEvent::Resize) {
            place();
        } else if (event->type() == QEvent::Show && !flashedOnce_ && !barRect().isEmpty()) {
            flashedOnce_ = true;  // a list taller than its frame, seen for the first time
            flash();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ScrollIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kWidth / 2.0, kWidth / 2.0);
    // Dark with a light rim: seen on a white list and on a black grid alike.
    painter.fillPath(bar, QColor(0, 0, 0, 140));
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    painter.drawPath(bar);
}

}  // namespace nestora::ui
