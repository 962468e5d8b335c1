#include "screens/settings/PrefsSBViewController.h"

namespace nestora::screens {

namespace {

using model::Prefs;

constexpr std::array<SwitchSetting, 2> kSwitchRows = {{
    {PrefsSBViewController::kRowLabels[0], &Prefs::showCategoryName, &Prefs::setShowCategoryName},
    {PrefsSBViewController::kRowLabels[1], &Prefs::useBackgroundImage, &Prefs::setUseBackgroundImage},
}};

}  // namespace

PrefsSBViewController::PrefsSBViewController(platform::Preferences& preferences,
                                             std::optional<std::string> categoryBundleIdentifier)
    : SettingsScreen(preferences, std::move(categoryBundleIdentifier), kSwitchRows) {}

PrefsSBViewController::~PrefsSBViewController() = default;

int PrefsSBViewController::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(kSwitchRows.size());
}

std::unique_ptr<ui::TableViewCell> PrefsSBViewController::cellForRow(ui::TableView& table, int row) {
    return toggleCell(table, row);
}

}  // namespace nestora::screens
