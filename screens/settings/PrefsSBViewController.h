#pragma once

// The settings screen of a device with the home-screen extension: only the
// two settings the extension uses, stored under the same keys as rows 0
// and 2 of the full settings screen.

#include <array>

#include "screens/settings/SettingsScreen.h"

namespace nestora::screens {

class PrefsSBViewController : public SettingsScreen {
    Q_OBJECT
public:
    static constexpr std::array<const char*, 2> kRowLabels = {"Show Titlebar", "Background Image"};

    // initWithCategoryBundleIdentifier:
    PrefsSBViewController(platform::Preferences& preferences, std::optional<std::string> categoryBundleIdentifier);
    ~PrefsSBViewController() override;

    // ui::TableViewDataSource
    int numberOfRows(const ui::TableView& table) const override;
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;
};

}  // namespace nestora::screens
