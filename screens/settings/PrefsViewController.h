#pragma once

// A category's display settings: five switches and three choices (rows per
// column, the icon labels' font colour, the icon theme), one row each. The
// category list opens it from a row's detail button (when the home-screen
// extension is not installed), and the app opens it for a category named in
// a URL.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "screens/settings/ColorPicker.h"
#include "screens/settings/SettingsScreen.h"
#include "screens/settings/ValuePicker.h"

namespace nestora::screens {

class PrefsViewController : public SettingsScreen, public ValuePickerDelegate, public ColorPickerDelegate {
    Q_OBJECT
public:
    // The rows, by number.
    enum Row { kShowTitlebarRow, kShowIconLabelsRow, kBackgroundImageRow, kKeepResidentRow, kLeftRightScrollRow,
               kRowsPerColumnRow, kIconFontColorRow, kIconsThemeRow, kRowCount };
    static constexpr std::array<const char*, kRowCount> kRowLabels = {
        "Show Titlebar",   "Show Icon Labels", "Background Image", "Keep Resident",
        "Left/Right Scroll", "Rows (L/R Only)", "Icon Font Color",  "Icons Theme"};

    // Tags of the value pickers, to tell them apart when they report.
    static constexpr int kRowsPickerTag = 0;
    static constexpr int kThemePickerTag = 1;

    // initWithCategoryBundleIdentifier: with none, the rows show disabled.
    PrefsViewController(platform::Preferences& preferences, std::optional<std::string> categoryBundleIdentifier);
    ~PrefsViewController() override;

    // buttonTapped: the choice button of rows 5 to 7 opens its picker.
    void buttonTapped(ui::Button& button);

    // The theme list, made on the first tap on row 7 and kept for the life
    // of the screen; null until then.
    const ValuePicker::Values& themes() const { return themes_; }

    // ui::TableViewDataSource
    int numberOfRows(const ui::TableView& table) const override;
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;

    // The pickers report here; then the table is reloaded.
    void valuePickerDidSelectValue(ValuePicker& picker, const std::string& value) override;
    void colorPickerDidSelectColor(ColorPicker& picker, const model::Color& color) override;

private:
    void showPicker(std::unique_ptr<PickerAlert> picker);

    ValuePicker::Values themes_;
};

}  // namespace nestora::screens
