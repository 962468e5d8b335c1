#pragma once

// What the home screen shows: the installed apps by the inventory's own scan
// rules (both application folders, the exclusion table, the photo and media
// roles), less every app the hide library holds hidden, sorted by localized
// name as Nestora sorts its lists.

#include <optional>
#include <string_view>
#include <vector>

#include "home/HomeIcon.h"
#include "platform/AppServices.h"

namespace nestora::home {

// The home screen's icons in page order. An app whose executable is missing
// (a role of a bundle that is not installed, a half-deleted app) has no icon;
// two bundles with one identifier give one icon, as the services resolve
// both to the first.
std::vector<HomeIcon> homeScreenIcons(const platform::AppServices& services, std::string_view deviceModel);

// The icon of one installed app, hidden or not; none when the services know
// no executable for it or no file is there. Tells categories and Nestora
// itself from other apps.
std::optional<HomeIcon> installedIcon(const platform::AppServices& services, std::string_view displayIdentifier);

}  // namespace nestora::home
