#pragma once

// What both settings screens share: one category's Prefs, made when the
// screen is made (defaults, then the stored values); a grouped table on the
// flipside background; the title "Prefs for: " and the category's directory
// name; and the switch rows, each bound to one setting of Prefs. Every
// change goes through a Prefs setter, which stores and synchronises it
// before it returns; there is no Save and no Cancel.
//
// A screen made without a category (a URL that named none, or something
// else than a category) has no Prefs: it shows its rows disabled, with no
// values, and writes nothing.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "model/Prefs.h"
#include "platform/Preferences.h"
#include "ui/Button.h"
#include "ui/TableView.h"
#include "ui/ViewController.h"

namespace nestora::screens {

class SettingsCell;

// A switch row: its label and the setting it shows and changes.
struct SwitchSetting {
    const char* label;
    bool (model::Prefs::*value)() const;
    void (model::Prefs::*setValue)(bool);
};

// "Prefs for: " and the text after the identifier's last "." (all of it
// when there is none); nothing after it for a screen without a category.
QString prefsTitle(const std::optional<std::string>& categoryBundleIdentifier);

// The platform's flipside background colour.
QColor flipsideBackgroundColor();

class SettingsScreen : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 44;

    ~SettingsScreen() override;

    const std::optional<std::string>& bundleIdentifier() const { return bundleIdentifier_; }
    // The settings being edited; null on a screen without a category.
    model::Prefs* prefs() const { return prefs_.get(); }
    ui::TableView& tableView() const { return *tableView_; }

    // buttonToggled: the switch's selected state is inverted first, then the
    // row's setting gets the new state. A control of another row changes
    // nothing.
    void buttonToggled(ui::Button& button);

    // The table is filled as the screen is about to show.
    void viewWillAppear() override;

    // ui::TableViewDelegate: rows are not selectable.
    void didSelectRow(ui::TableView& table, int row) override;

protected:
    SettingsScreen(platform::Preferences& preferences, std::optional<std::string> categoryBundleIdentifier,
                   std::span<const SwitchSetting> switches);

    // The "ToggleCell" of a switch row (0 to switches - 1), its switch set
    // from the setting.
    std::unique_ptr<ui::TableViewCell> toggleCell(ui::TableView& table, int row);
    // A reused cell of this kind, or a new one with the control made.
    std::unique_ptr<SettingsCell> dequeueCell(ui::TableView& table, const char* identifier,
                                              std::unique_ptr<ui::Button> (*makeControl)(),
                                              std::function<void(ui::Button&)> action);
    // The row of the cell a control is in (its parent widget).
    std::optional<int> rowOfControl(const ui::Button& control) const;
    // Lays the table out as one rounded group of its rows.
    void layoutTable();

    void resizeEvent(QResizeEvent* event) override;

private:
    std::optional<std::string> bundleIdentifier_;
    std::unique_ptr<model::Prefs> prefs_;
    std::span<const SwitchSetting> switches_;
    ui::TableView* tableView_ = nullptr;
};

}  // namespace nestora::screens
