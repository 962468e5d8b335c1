#include "screens/settings/SettingsScreen.h"

#include <QPainterPath>
#include <QRegion>

#include "common/CategoryNaming.h"
#include "screens/settings/SettingsCell.h"
#include "ui/DisplayText.h"
#include "ui/QtOwnership.h"

namespace nestora::screens {

namespace {

constexpr int kGroupMargin = 10;
constexpr qreal kGroupRadius = 9;

}  // namespace

QString prefsTitle(const std::optional<std::string>& categoryBundleIdentifier) {
    QString title = QStringLiteral("Prefs for: ");
    if (categoryBundleIdentifier) {
        title += ui::singleLineText(categoryDirectoryName(*categoryBundleIdentifier));
    }
    return title;
}

QColor flipsideBackgroundColor() {
    return QColor(0x1f, 0x21, 0x24);
}

SettingsScreen::SettingsScreen(platform::Preferences& preferences, std::optional<std::string> categoryBundleIdentifier,
                               std::span<const SwitchSetting> switches)
    : bundleIdentifier_(std::move(categoryBundleIdentifier)), switches_(switches) {
    setTitle(prefsTitle(bundleIdentifier_));
    if (bundleIdentifier_) {
        prefs_ = std::make_unique<model::Prefs>(preferences, *bundleIdentifier_);
        prefs_->registerDefaults();
        prefs_->load();
    }
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, flipsideBackgroundColor());
    setPalette(palette);
    tableView_ = ui::makeChild<ui::TableView>(this);
    tableView_->setRowHeight(kRowHeight);
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
}

SettingsScreen::~SettingsScreen() {
    // The table calls back into this screen; it must not outlive it.
    tableView_->setDataSource(nullptr);
    tableView_->setDelegate(nullptr);
}

void SettingsScreen::viewWillAppear() {
    tableView_->reloadData();
}

void SettingsScreen::resizeEvent(QResizeEvent* event) {
    ui::ViewController::resizeEvent(event);
    layoutTable();
}

void SettingsScreen::layoutTable() {
    const int rowsHeight = numberOfRows(*tableView_) * kRowHeight;
    const int height = std::max(0, std::min(rowsHeight, this->height() - 2 * kGroupMargin));
    tableView_->setGeometry(kGroupMargin, kGroupMargin, std::max(0, width() - 2 * kGroupMargin), height);
    QPainterPath group;
    group.addRoundedRect(QRectF(tableView_->rect()), kGroupRadius, kGroupRadius);
    tableView_->setMask(QRegion(group.toFillPolygon().toPolygon()));
}

std::unique_ptr<SettingsCell> SettingsScreen::dequeueCell(ui::TableView& table, const char* identifier,
                                                          std::unique_ptr<ui::Button> (*makeControl)(),
                                                          std::function<void(ui::Button&)> action) {
    std::unique_ptr<ui::TableViewCell> reused = table.dequeueReusableCell(QString::fromLatin1(identifier));
    if (auto* cell = dynamic_cast<SettingsCell*>(reused.get())) {
        reused.release();
        return std::unique_ptr<SettingsCell>(cell);
    }
    auto cell = std::make_unique<SettingsCell>(QString::fromLatin1(identifier), makeControl());
    ui::Button* control = &cell->control();
    // A touch that ends inside the control.
    connect(control, &ui::Button::clicked, this, [control, action = std::move(action)] { action(*control); });
    if (!prefs_) {
        control->setEnabled(false);
    }
    return cell;
}

std::unique_ptr<ui::TableViewCell> SettingsScreen::toggleCell(ui::TableView& table, int row) {
    std::unique_ptr<SettingsCell> cell = dequeueCell(table, kToggleCellIdentifier, &makeSwitchButton,
                                                     [this](ui::Button& button) { buttonToggled(button); });
    const SwitchSetting& setting = switches_[static_cast<std::size_t>(row)];
    cell->setText(QString::fromLatin1(setting.label));
    ui::Button& control = cell->control();
    if (prefs_) {
        control.setSelected((prefs_.get()->*setting.value)());
        control.setAccessibleName(QString::fromLatin1(setting.label) +
                                  (control.isSelected() ? QStringLiteral(", on") : QStringLiteral(", off")));
    } else {
        control.setAccessibleName(QString::fromLatin1(setting.label));
        // No category, no value: neither "ON" nor "OFF".
        control.setSelected(false);
        control.setTitle(QString(), ui::Button::State::Normal);
        control.setTitle(QString(), ui::Button::State::Selected);
    }
    return cell;
}

std::optional<int> SettingsScreen::rowOfControl(const ui::Button& control) const {
    return tableView_->rowForCell(dynamic_cast<const ui::TableViewCell*>(control.parentWidget()));
}

void SettingsScreen::buttonToggled(ui::Button& button) {
    button.setSelected(!button.isSelected());
    const std::optional<int> row = rowOfControl(button);
    if (!prefs_ || !row || *row < 0 || *row >= static_cast<int>(switches_.size())) {
        return;
    }
    const SwitchSetting& setting = switches_[static_cast<std::size_t>(*row)];
    (prefs_.get()->*setting.setValue)(button.isSelected());
    button.setAccessibleName(QString::fromLatin1(setting.label) +
                             (button.isSelected() ? QStringLiteral(", on") : QStringLiteral(", off")));
}

void SettingsScreen::didSelectRow(ui::TableView& table, int) {
    table.deselectRow();
}

}  // namespace nestora::screens
