#include "model/Prefs.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace nestora::model {

namespace {

// A stored number as the launcher reads it: a 32-bit signed integer. Values
// beyond that range are held at its ends rather than wrapped, so a stray huge
// number never turns into a small plausible one.
std::optional<std::int32_t> int32FromNumber(const plist::Value& value) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (value.isInteger()) {
        const std::int64_t number = *value.integer();
        return static_cast<std::int32_t>(number < kMin ? kMin : number > kMax ? kMax : number);
    }
    if (value.isReal()) {
        const double number = *value.real();
        if (std::isnan(number)) {
            return 0;
        }
        if (number <= static_cast<double>(kMin)) {
            return kMin;
        }
        if (number >= static_cast<double>(kMax)) {
            return kMax;
        }
        return static_cast<std::int32_t>(number);  // toward zero
    }
    return std::nullopt;
}

// The shared colours in code order.
std::array<const Color*, kFontColorCount> fontColors() {
    return {&Color::whiteColor(), &Color::blackColor(), &Color::redColor(),
            &Color::blueColor(),  &Color::brownColor(), &Color::cyanColor(),
            &Color::grayColor(),  &Color::greenColor(), &Color::orangeColor(),
            &Color::purpleColor(), &Color::yellowColor()};
}

}  // namespace

Prefs::Prefs(platform::Preferences& preferences, std::string categoryBundleIdentifier)
    : preferences_(preferences), bundleIdentifier_(std::move(categoryBundleIdentifier)) {}

void Prefs::registerDefaults() {
    showCategoryName_ = true;
    showIconLabels_ = true;
    saveImageOnExit_ = true;
    useBackgroundImage_ = false;
    leftRightScroll_ = true;
    keepResident_ = false;
    leftRightRowsPerColumn_ = 4;
    iconFontColor_ = 0;
    iconThemeName_ = std::string(kNoThemeName);
}

void Prefs::load() {
    // The launcher reads the keys in this order too; a value of the wrong
    // type keeps what the field already holds.
    const auto loadBool = [this](std::string_view key, bool& field) {
        const auto value = preferences_.copyAppValue(key, bundleIdentifier_);
        if (value && value->isBoolean()) {
            field = *value->boolean();
        }
    };
    const auto loadInt = [this](std::string_view key, std::int32_t& field) {
        const auto value = preferences_.copyAppValue(key, bundleIdentifier_);
        if (value) {
            if (const auto number = int32FromNumber(*value)) {
                field = *number;
            }
        }
    };
    loadBool(kShowCategoryNameKey, showCategoryName_);
    loadBool(kUseBackgroundImageKey, useBackgroundImage_);
    loadBool(kLeftRightScrollKey, leftRightScroll_);
    loadBool(kShowIconLabelsKey, showIconLabels_);
    loadBool(kSaveImageOnExitKey, saveImageOnExit_);
    loadBool(kKeepResidentKey, keepResident_);
    loadInt(kLeftRightRowsPerColumnKey, leftRightRowsPerColumn_);
    loadInt(kIconFontColorKey, iconFontColor_);
    const auto theme = preferences_.copyAppValue(kIconThemeNameKey, bundleIdentifier_);
    if (theme && theme->isString()) {
        iconThemeName_ = *theme->string();
    }
}

void Prefs::writeThrough(std::string_view key, plist::Value value) {
    // The launcher may be started at any moment, so every change goes to the
    // file now. A failure leaves the file as it was; there is no one to tell.
    preferences_.setAppValue(key, std::move(value), bundleIdentifier_);
    preferences_.appSynchronize(bundleIdentifier_);
}

void Prefs::setShowCategoryName(bool value) {
    showCategoryName_ = value;
    writeThrough(kShowCategoryNameKey, value);
}

void Prefs::setUseBackgroundImage(bool value) {
    useBackgroundImage_ = value;
    writeThrough(kUseBackgroundImageKey, value);
}

void Prefs::setLeftRightScroll(bool value) {
    leftRightScroll_ = value;
    writeThrough(kLeftRightScrollKey, value);
}

void Prefs::setShowIconLabels(bool value) {
    showIconLabels_ = value;
    writeThrough(kShowIconLabelsKey, value);
}

void Prefs::setSaveImageOnExit(bool value) {
    saveImageOnExit_ = value;
    writeThrough(kSaveImageOnExitKey, value);
}

void Prefs::setKeepResident(bool value) {
    keepResident_ = value;
    writeThrough(kKeepResidentKey, value);
}

void Prefs::setLeftRightRowsPerColumn(std::int32_t value) {
    leftRightRowsPerColumn_ = value;
    writeThrough(kLeftRightRowsPerColumnKey, static_cast<std::int64_t>(value));
}

void Prefs::setIconFontColor(std::int32_t value) {
    iconFontColor_ = value;
    writeThrough(kIconFontColorKey, static_cast<std::int64_t>(value));
}

void Prefs::setIconThemeName(std::string value) {
    iconThemeName_ = std::move(value);
    writeThrough(kIconThemeNameKey, iconThemeName_);
}

const Color& Prefs::uiColorForFontColor(int fontColor) {
    if (fontColor < 1 || fontColor >= kFontColorCount) {
        return Color::whiteColor();
    }
    return *fontColors()[static_cast<std::size_t>(fontColor)];
}

int Prefs::fontColorForUIColor(const Color& color) {
    const auto colors = fontColors();
    for (std::size_t code = 0; code < colors.size(); ++code) {
        if (&color == colors[code]) {
            return static_cast<int>(code);
        }
    }
    return 0;
}

}  // namespace nestora::model
