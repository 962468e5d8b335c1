#pragma once

// What the launcher of a category reads: its items, from the category's
// preferences domain, and the icon a theme gives an app. The launcher only
// reads; Nestora alone changes a category.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "home/HomeIcon.h"
#include "platform/AppServices.h"
#include "platform/Preferences.h"

namespace nestora::home {

// The installed items of a category, in stored order. Entries that are not
// text and apps that are not installed are passed over (Nestora drops the
// latter when the category is next opened there); a missing or malformed
// "items" gives none. The same app listed twice is shown twice, as stored.
std::vector<HomeIcon> categoryItems(const platform::Preferences& preferences, const platform::AppServices& services,
                                    std::string_view categoryBundleIdentifier);

// The icon a theme has for an app: "<folder>/<theme>/Icons/<display
// identifier>.png", else ".../Icons/<name>.png", in the first theme folder
// that has one. None for "No Theme", for a theme name that is not a plain
// folder name, and when the theme has no icon for the app.
std::optional<std::string> themeIconPath(std::string_view themeName, const HomeIcon& app);

}  // namespace nestora::home
