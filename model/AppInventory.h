#pragma once

// The installed-app inventory: which launchable apps can still be put into a
// category. The result is a list of display identifiers only; a cell looks up
// each app's name and icon when it shows it.
//
// The scan opens every installed bundle and reads every category's list, so
// the application keeps its result (the available-apps list, its `items`
// cache) for the life of the process and only re-sorts it afterwards.

#include <compare>
#include <string>
#include <string_view>
#include <vector>

#include "model/ApplicationObject.h"
#include "platform/AppServices.h"
#include "platform/Preferences.h"

namespace nestora::model {

// The two application folders.
inline constexpr std::string_view kSystemApplicationsFolder = "/Applications";
inline constexpr std::string_view kUserApplicationsFolder = "/var/mobile/Applications";

// scanAvailableApps: the unsorted available-apps list.
//  1. Bundles "/Applications/*.app" (names beginning with "." skipped) and
//     "/var/mobile/Applications/*/*.app" (dot names scanned), in listing
//     order; each bundle's CFBundleIdentifier unless it is excluded.
//  2. The photo and media roles: Camera and Photos always, then MediaPlayer
//     on a device whose model begins with "iPhone", else AudioPlayer and
//     VideoPlayer.
//  3. Less every identifier that some category's "items" holds. With the
//     SpringBoard extension installed (`hasNestoraSB`) the Recent category's
//     list does not count.
// Nothing here fails: unreadable folders and files contribute nothing.
std::vector<std::string> scanAvailableApps(const platform::Preferences& preferences,
                                           std::string_view deviceModel, bool hasNestoraSB);
// The same, with the bundles of step 1 taken from the home-screen services
// when they hold them (their index has read every Info.plist already).
std::vector<std::string> scanAvailableApps(const platform::Preferences& preferences,
                                           const platform::AppServices& services, std::string_view deviceModel,
                                           bool hasNestoraSB);

// scanInstalledApps: steps 1 and 2 above, without step 3: every app the
// inventory knows of, whether or not a category holds it. The stand-in home
// screen shows this list (less what the hide library holds hidden).
std::vector<std::string> scanInstalledApps(std::string_view deviceModel);
std::vector<std::string> scanInstalledApps(const platform::AppServices& services, std::string_view deviceModel);

// True when the identifier matches a row of the exclusion table (apps that
// must never be offered).
bool isExcludedIdentifier(std::string_view bundleIdentifier);

// The role identifiers added by rule for a device model.
std::vector<std::string> roleIdentifiersForDeviceModel(std::string_view deviceModel);

// compareByLocalizedName: orders two display identifiers by their localized
// names, compared with Unicode case folding and no locale rules. Names come
// from the services (an index held in memory: no disk access). Apps the
// services have no name for sort after every named app, ordered among
// themselves by identifier, so the comparison stays a consistent ordering.
std::weak_ordering compareByLocalizedName(const platform::AppServices& services,
                                          std::string_view a, std::string_view b);

// The list sorted ascending with compareByLocalizedName, as a new list.
std::vector<std::string> sortedByLocalizedName(const platform::AppServices& services,
                                               std::vector<std::string> displayIdentifiers);
// The same order, each app with the name it was sorted by, for a caller
// that shows the names too.
struct NamedApp {
    std::string displayIdentifier;
    std::optional<std::string> name;
};
std::vector<NamedApp> sortedWithLocalizedNames(const platform::AppServices& services,
                                               std::vector<std::string> displayIdentifiers);

// What the add-items screen shows each time it is about to appear: the
// application's available-apps cache, or a fresh scan when the cache is
// empty (never filled, or dropped after a memory warning), sorted by name
// into a new list. The cache itself is left alone: the screen writes its
// edited copy back when it goes away.
std::vector<std::string> availableAppsToShow(const AvailableApps& cache, const platform::Preferences& preferences,
                                             const platform::AppServices& services, std::string_view deviceModel,
                                             bool hasNestoraSB);

}  // namespace nestora::model
