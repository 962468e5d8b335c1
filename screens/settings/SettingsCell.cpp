#include "screens/settings/SettingsCell.h"

#include <QPainter>

#include "ui/BundleImages.h"
#include "ui/QtOwnership.h"

namespace nestora::screens {

namespace {

constexpr int kAccessoryMargin = 10;
constexpr int kToggleCapWidth = 5;

// A button at the origin, its title in the bold system font.
std::unique_ptr<ui::Button> makeButton(const QSize& size, int fontPixels) {
    auto button = std::make_unique<ui::Button>();
    button->setGeometry(QRect(QPoint(0, 0), size));
    QFont font = button->font();
    font.setPixelSize(fontPixels);
    font.setBold(true);
    button->setFont(font);
    return button;
}

}  // namespace

std::unique_ptr<ui::Button> makeSwitchButton() {
    auto button = makeButton(QSize(54, 27), 17);
    using State = ui::Button::State;
    button->setBackgroundImage(ui::stretchableImage(ui::imageNamed("toggle_off.png"), kToggleCapWidth, 0),
                               State::Normal);
    button->setTitle(QStringLiteral("OFF"), State::Normal);
    button->setTitleColor(QColor::fromRgbF(0.5f, 0.5f, 0.5f, 1.0f), State::Normal);
    button->setBackgroundImage(ui::stretchableImage(ui::imageNamed("toggle_on.png"), kToggleCapWidth, 0),
                               State::Selected);
    button->setTitle(QStringLiteral("ON"), State::Selected);
    button->setTitleColor(Qt::white, State::Selected);
    return button;
}

std::unique_ptr<ui::Button> makeChoiceButton() {
    return makeButton(QSize(100, 28), 15);
}

SettingsCell::SettingsCell(QString reuseIdentifier, std::unique_ptr<ui::Button> control)
    : ui::TableViewCell(std::move(reuseIdentifier)) {
    // The row's control takes its own taps; taps elsewhere go on to the table.
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    control_ = ui::adoptChild(std::move(control), this);
    setImage(QPixmap());  // no image: the label starts at the left

}

void SettingsCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    if (control_ == nullptr) {
        return;
    }
    const QSize size = control_->size();
    control_->move(width() - kAccessoryMargin - size.width(), (height() - size.height()) / 2);
    QLabel* label = textLabel();
    label->setGeometry(label->x(), label->y(), std::max(0, control_->x() - kAccessoryMargin - label->x()),
                       label->height());
}

void SettingsCell::paintEvent(QPaintEvent*) {
    // Selection style none: always the plain row, with its separator.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(0xd0, 0xd0, 0xd0));
}

}  // namespace nestora::screens
