#include "ui/ProgressOverlay.h"
#include "ui/SystemFont.h"

#include <QPainter>
#include <QPainterPath>

namespace nestora::ui {

namespace {

constexpr int kSquare = 120;
constexpr int kTextWidth = 190;
constexpr int kTextHeight = 140;
constexpr int kSpokes = 12;

}  // namespace

ProgressOverlay::ProgressOverlay(QString text) : text_(std::move(text)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
}

void ProgressOverlay::showInWindow(QWidget* anyWidget) {
    QWidget* window = anyWidget->window();
    setParent(window);
    const QSize size = text_.isEmpty() ? QSize(kSquare, kSquare) : QSize(kTextWidth, kTextHeight);
    setGeometry((window->width() - size.width()) / 2, (window->height() - size.height()) / 2, size.width(),
                size.height());
    show();
    raise();
    timer_.start();
}

void ProgressOverlay::done() {
    timer_.stop();
    hide();
}

void ProgressOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    square.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(square, QColor(0, 0, 0, 190));
    // With a text the spinner sits in the upper part and the text below it.
    const QPointF centre(width() / 2.0, text_.isEmpty() ? height() / 2.0 : 48.0);
    if (!text_.isEmpty()) {
        QFont font = systemFont(16);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(8, 82, width() - 16, height() - 90), Qt::AlignHCenter | Qt::AlignTop, text_);
    }
    painter.translate(centre);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is brightest; the ones behind it fade out.
        const int age = (step_ - i + kSpokes) % kSpokes;
        painter.setPen(QPen(QColor(255, 255, 255, 255 - age * 18), 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -14), QPointF(0, -26));
        painter.rotate(360.0 / kSpokes);
    }
}

}  // namespace nestora::ui
