#include "ui/ProgressOverlay.h"

#include <QPainter>
#include <QPainterPath>

namespace nestora::ui {

namespace {

constexpr int kSquare = 120;
constexpr int kSpokes = 12;

}  // namespace

ProgressOverlay::ProgressOverlay() {
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
    setGeometry((window->width() - kSquare) / 2, (window->height() - kSquare) / 2, kSquare, kSquare);
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
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is brightest; the ones behind it fade out.
        const int age = (step_ - i + kSpokes) % kSpokes;
        painter.setPen(QPen(QColor(255, 255, 255, 255 - age * 18), 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -14), QPointF(0, -26));
        painter.rotate(360.0 / kSpokes);
    }
}

}  // namespace nestora::ui
