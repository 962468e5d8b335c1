#include "screens/settings/PickerAlert.h"

#include <QPainter>

#include "ui/DisplayText.h"
#include "ui/QtOwnership.h"

namespace nestora::screens {

namespace {

constexpr int kPickerTop = 60;
constexpr int kPickerHeight = 380;
constexpr int kListInset = 10;

}  // namespace

PickerLayout pickerLayout(const QRect& natural) {
    const int h = natural.height();
    return PickerLayout{
        QRect(natural.x(), kPickerTop, natural.width(), kPickerHeight),
        QRect(kListInset, h - kListInset, std::max(0, natural.width() - 2 * kListInset),
              std::max(0, kPickerHeight - h - kListInset)),
    };
}

PickerCell::PickerCell(QString reuseIdentifier, QColor separatorColor)
    : ui::TableViewCell(std::move(reuseIdentifier)), separatorColor_(std::move(separatorColor)) {
    textLabel()->setAlignment(Qt::AlignCenter);
    setImage(QPixmap());
}

void PickerCell::setValueText(const QString& text) {
    valueText_ = text;
    layoutSubviews();
}

void PickerCell::setBarColor(const QColor& color) {
    // Its own role: inside a list it would take the list's Base otherwise.
    contentView()->setBackgroundRole(QPalette::Window);
    contentView()->setAutoFillBackground(color.isValid());
    QPalette palette = contentView()->palette();
    palette.setColor(QPalette::Window, color.isValid() ? color : QColor(Qt::white));
    contentView()->setPalette(palette);
}

void PickerCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    // The separator line stays uncovered.
    contentView()->setGeometry(contentView()->x(), 0, contentView()->width(), std::max(0, height() - 1));
    QLabel* label = textLabel();
    label->setGeometry(4, 0, std::max(0, contentView()->width() - 8), contentView()->height());
    label->setText(ui::singleLineText(valueText_));  // the label ends it in an ellipsis when too long
}

void PickerCell::paintEvent(QPaintEvent* event) {
    ui::TableViewCell::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(QRect(0, height() - 1, width(), 1), separatorColor_);
}

PickerAlert::PickerAlert(QString title, QString message, QString cellIdentifier, QColor separatorColor)
    : ui::AlertView(std::move(title), std::move(message), QStringLiteral("Cancel"), QStringList()),
      cellIdentifier_(std::move(cellIdentifier)),
      separatorColor_(std::move(separatorColor)) {}

PickerAlert::~PickerAlert() {
    if (tableView_ != nullptr) {
        // The list calls back into this picker; it must not outlive it.
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

void PickerAlert::willPresent() {
    const PickerLayout layout = pickerLayout(boxFrame());
    setBoxFrame(layout.alertFrame);
    tableView_ = ui::makeChild<ui::TableView>(this);
    tableView_->setGeometry(layout.listFrame.translated(layout.alertFrame.topLeft()));
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->reloadData();
    tableView_->show();
}

std::unique_ptr<ui::TableViewCell> PickerAlert::cellForRow(ui::TableView& table, int row) {
    std::unique_ptr<ui::TableViewCell> reused = table.dequeueReusableCell(cellIdentifier_);
    std::unique_ptr<PickerCell> cell;
    if (auto* picker = dynamic_cast<PickerCell*>(reused.get())) {
        reused.release();
        cell.reset(picker);
    } else {
        cell = std::make_unique<PickerCell>(cellIdentifier_, separatorColor_);
    }
    configureCell(*cell, row);
    return cell;
}

void PickerAlert::didSelectRow(ui::TableView&, int row) {
    // The delegate hears of it while the alert is still up, so it can read
    // the tag; then the alert goes as if "Cancel" had been tapped.
    reportRow(row);
    clickButton(0);
}

}  // namespace nestora::screens
