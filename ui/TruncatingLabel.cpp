#include "ui/TruncatingLabel.h"

#include <QPainter>
#include <QStyle>

namespace nestora::ui {

QString tailTruncated(const QString& text, const QFontMetrics& metrics, int width, int keptTail) {
    if (metrics.horizontalAdvance(text) <= width) {
        return text;
    }
    const qsizetype kept = std::clamp<qsizetype>(keptTail, 0, text.size());
    const QString tail = text.right(kept);
    const int room = std::max(0, width - metrics.horizontalAdvance(tail));
    QString head = metrics.elidedText(text.left(text.size() - kept), Qt::ElideRight, room);
    if (head.isEmpty()) {
        head = QString(QChar(0x2026));  // not even one letter fits: the ellipsis still tells
    }
    return head + tail;
}

TruncatingLabel::TruncatingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void TruncatingLabel::setKeptTailLength(int characters) {
    keptTail_ = std::max(0, characters);
    update();
}

QString TruncatingLabel::shownText() const {
    return tailTruncated(text(), fontMetrics(), contentsRect().width(), keptTail_);
}

void TruncatingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shownText(), foregroundRole());
}

}  // namespace nestora::ui
