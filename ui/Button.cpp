#include "ui/Button.h"

#include <QPainter>

#include "ui/DisplayText.h"
#include "ui/Accessibility.h"

namespace nestora::ui {

namespace {

constexpr qreal kDisabledOpacity = 0.45;
constexpr int kTitleInset = 4;

}  // namespace

Button::Button(QWidget* parent) : QAbstractButton(parent) {
    makeKeyboardButton(this);
    look(State::Normal).titleColor = Qt::white;
}

Button::~Button() = default;

void Button::setTitle(const QString& title, State state) {
    look(state).title = title;
    look(state).hasTitle = true;
    setText(currentTitle());  // what a screen reader says, unless the owner names it
    update();
}

void Button::setTitleColor(const QColor& color, State state) {
    look(state).titleColor = color;
    update();
}

void Button::setBackgroundImage(const StretchableImage& image, State state) {
    look(state).image = image;
    update();
}

void Button::setSelected(bool selected) {
    selected_ = selected;
    setText(currentTitle());
    update();
}

QString Button::currentTitle() const {
    return look(state()).hasTitle ? look(state()).title : look(State::Normal).title;
}

QColor Button::currentTitleColor() const {
    return look(state()).titleColor.isValid() ? look(state()).titleColor : look(State::Normal).titleColor;
}

const StretchableImage& Button::currentBackgroundImage() const {
    return look(state()).image.isNull() ? look(State::Normal).image : look(state()).image;
}

void Button::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    update();
}

QSize Button::sizeHint() const {
    return {fontMetrics().horizontalAdvance(currentTitle()) + 2 * kTitleInset, fontMetrics().height() + 8};
}

void Button::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    if (backgroundColor_.isValid()) {
        painter.fillRect(rect(), backgroundColor_);
    }
    currentBackgroundImage().draw(painter, rect());
    const QString title = currentTitle();
    if (!title.isEmpty()) {
        const QString line = singleLineText(title);
        const QRect area = rect().adjusted(kTitleInset, 0, -kTitleInset, 0);
        painter.setFont(font());
        painter.setPen(currentTitleColor());
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(line, Qt::ElideRight, area.width()));
    }
    if (isDown()) {
        painter.fillRect(rect(), QColor(0, 0, 0, 40));
    }
}

}  // namespace nestora::ui
