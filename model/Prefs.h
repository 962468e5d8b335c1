#pragma once

// One category's nine display settings, kept in the category's preferences
// domain (named by its bundle identifier) next to its "items" list. The
// launcher reads them; the settings screens edit them through this class.
//
// Calling order: construct (initWithCategoryBundleIdentifier:), then
// registerDefaults(), then load(); afterwards any mix of readers and
// setters. Every setter writes its key and synchronises the domain before
// it returns, so each single change is on disk at once. Defaults are never
// written: a category whose settings were never changed keeps a preferences
// file without these keys.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/Color.h"
#include "platform/Preferences.h"

namespace nestora::model {

// The stored keys.
inline constexpr std::string_view kShowCategoryNameKey = "showCategoryName";
inline constexpr std::string_view kShowIconLabelsKey = "showIconLabels";
inline constexpr std::string_view kSaveImageOnExitKey = "saveImageOnExit";
inline constexpr std::string_view kUseBackgroundImageKey = "useBackgroundImage";
inline constexpr std::string_view kLeftRightScrollKey = "leftRightScroll";
inline constexpr std::string_view kKeepResidentKey = "keepResident";
inline constexpr std::string_view kLeftRightRowsPerColumnKey = "leftRightRowsPerColumn";
inline constexpr std::string_view kIconFontColorKey = "iconFontColor";
inline constexpr std::string_view kIconThemeNameKey = "iconThemeName";

// The theme name that means "no icon theme".
inline constexpr std::string_view kNoThemeName = "No Theme";

// The folders icon themes live in, searched in this order ("Library" twice
// in the second, as the launcher has always looked there). A theme is a
// folder in one of them holding an "Icons" entry.
inline constexpr std::array<std::string_view, 2> kThemeFolders = {
    "/Library/Themes", "/var/mobile/Library/Library/SummerBoard/Themes"};

// Font colour codes: 0 white, 1 black, 2 red, 3 blue, 4 brown, 5 cyan,
// 6 gray, 7 green, 8 orange, 9 purple, 10 yellow.
inline constexpr int kFontColorCount = 11;

class Prefs {
public:
    // initWithCategoryBundleIdentifier: keeps a copy of the identifier. The
    // settings are false, zero and empty until registerDefaults().
    Prefs(platform::Preferences& preferences, std::string categoryBundleIdentifier);

    // Sets every setting to its default; writes nothing.
    void registerDefaults();
    // Reads the stored values over the current ones. A missing key, or a
    // value of the wrong type, leaves the setting as it was.
    void load();

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }

    bool showCategoryName() const { return showCategoryName_; }
    bool useBackgroundImage() const { return useBackgroundImage_; }
    bool leftRightScroll() const { return leftRightScroll_; }
    bool showIconLabels() const { return showIconLabels_; }
    bool saveImageOnExit() const { return saveImageOnExit_; }
    bool keepResident() const { return keepResident_; }
    std::int32_t leftRightRowsPerColumn() const { return leftRightRowsPerColumn_; }
    std::int32_t iconFontColor() const { return iconFontColor_; }
    const std::string& iconThemeName() const { return iconThemeName_; }

    // Write-through setters. A failed write is not reported (the launcher
    // simply keeps the old value); the field holds the new value regardless.
    void setShowCategoryName(bool value);
    void setUseBackgroundImage(bool value);
    void setLeftRightScroll(bool value);
    void setShowIconLabels(bool value);
    void setSaveImageOnExit(bool value);
    void setKeepResident(bool value);
    void setLeftRightRowsPerColumn(std::int32_t value);
    void setIconFontColor(std::int32_t value);
    void setIconThemeName(std::string value);

    // uiColorForFontColor: the shared named colour of a code; white for any
    // code outside 1 to 10.
    static const Color& uiColorForFontColor(int fontColor);
    // fontColorForUIColor: the code of a shared named colour (compared by
    // identity); 0 for any other colour.
    static int fontColorForUIColor(const Color& color);

private:
    void writeThrough(std::string_view key, plist::Value value);

    platform::Preferences& preferences_;
    std::string bundleIdentifier_;
    bool showCategoryName_ = false;
    bool useBackgroundImage_ = false;
    bool leftRightScroll_ = false;
    bool showIconLabels_ = false;
    bool saveImageOnExit_ = false;
    bool keepResident_ = false;
    std::int32_t leftRightRowsPerColumn_ = 0;
    std::int32_t iconFontColor_ = 0;
    std::string iconThemeName_;
};

}  // namespace nestora::model
