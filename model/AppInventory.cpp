#include "model/AppInventory.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

#include "common/CategoryNaming.h"
#include "model/CategoryItems.h"
#include "model/RecentCategory.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::model {

namespace {

enum class Match { BeginsWith, Equals };

struct ExclusionRow {
    Match match;
    std::string_view text;
};

// Apps that must never be put into a category: the multi-role bundles
// (offered by role instead), apps whose hiding would break the home screen,
// and system stubs that are not real apps.
constexpr std::array<ExclusionRow, 8> kExclusions = {{
    {Match::BeginsWith, "jp.morlen.springjumps."},
    {Match::BeginsWith, "com.apple.mobileslideshow"},
    {Match::BeginsWith, "com.apple.mobileipod"},
    {Match::Equals, "com.olbex.quarvek.pindrel"},
    {Match::Equals, "com.apple.DemoApp"},
    {Match::Equals, "com.apple.fieldtest"},
    {Match::Equals, "com.apple.webapp"},
    {Match::Equals, "com.apple.websheet"},
}};

// The prefix that every category preferences file name starts with; note that
// it has no trailing dot.
constexpr std::string_view kCategoryFilePrefix = "com.quarvek.nestora";
constexpr std::size_t kCategoryFileNameParts = 5;

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += '/';
    path += name;
    return path;
}

// The bundle's CFBundleIdentifier; none when the folder is no bundle or its
// Info.plist has no usable identifier.
std::optional<std::string> bundleIdentifierAtPath(const std::string& bundlePath) {
    // Only the one key is converted: the scan opens every bundle on the device.
    auto info = plist::readDictionaryKeys(joinPath(bundlePath, "Info.plist"), {"CFBundleIdentifier"});
    if (!info) {
        return std::nullopt;
    }
    const auto found = info->find("CFBundleIdentifier");
    if (found == info->end() || !found->second.isString() || found->second.string()->empty()) {
        return std::nullopt;
    }
    return *found->second.string();
}

void appendBundlesInFolder(std::string_view folder, bool skipDotNames, std::vector<std::string>& paths) {
    const auto names = files::listFolder(folder);
    if (!names) {
        return;
    }
    for (const std::string& name : *names) {
        if (!name.ends_with(".app")) {
            continue;
        }
        if (skipDotNames && name.starts_with('.')) {
            continue;
        }
        paths.push_back(joinPath(folder, name));
    }
}

// Candidate bundle paths in scan order: "/Applications" first, then every
// container of "/var/mobile/Applications".
std::vector<std::string> candidateBundlePaths() {
    std::vector<std::string> paths;
    appendBundlesInFolder(kSystemApplicationsFolder, true, paths);
    if (const auto containers = files::listFolder(kUserApplicationsFolder)) {
        for (const std::string& container : *containers) {
            appendBundlesInFolder(joinPath(kUserApplicationsFolder, container), false, paths);
        }
    }
    return paths;
}

// "com.quarvek.nestora.Category004.plist" -> "com.quarvek.nestora.Category004"
std::string_view withoutLastExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return name;
    }
    return name.substr(0, dot);
}

// Every display identifier that some category's "items" holds.
std::unordered_set<std::string> placedIdentifiers(const platform::Preferences& preferences,
                                                  bool hasNestoraSB) {
    std::unordered_set<std::string> placed;
    const auto names = files::listFolder(kCategoryPreferencesFolder);
    if (!names) {
        return placed;
    }
    for (const std::string& name : *names) {
        // With the extension installed the Recent list is the extension's own
        // record, not a placement: its apps stay on offer.
        if (hasNestoraSB && isRecentPreferencesFileName(name)) {
            continue;
        }
        if (!name.starts_with(kCategoryFilePrefix) || dotComponentCount(name) != kCategoryFileNameParts) {
            continue;
        }
        const auto items = preferences.copyAppValue(kItemsKey, withoutLastExtension(name));
        if (!items || !items->isArray()) {
            continue;
        }
        for (const plist::Value& entry : *items->array()) {
            if (entry.isString()) {
                placed.insert(*entry.string());
            }
        }
    }
    return placed;
}

}  // namespace

bool isExcludedIdentifier(std::string_view bundleIdentifier) {
    return std::any_of(kExclusions.begin(), kExclusions.end(), [&](const ExclusionRow& row) {
        return row.match == Match::Equals ? bundleIdentifier == row.text
                                          : bundleIdentifier.starts_with(row.text);
    });
}

std::vector<std::string> roleIdentifiersForDeviceModel(std::string_view deviceModel) {
    std::vector<std::string> roles = {"com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos"};
    if (deviceModel.starts_with("iPhone")) {
        roles.emplace_back("com.apple.mobileipod-MediaPlayer");
    } else {
        roles.emplace_back("com.apple.mobileipod-AudioPlayer");
        roles.emplace_back("com.apple.mobileipod-VideoPlayer");
    }
    return roles;
}

namespace {

// Steps 1 and 2 from the bundle identifiers of step 1's folders.
std::vector<std::string> installedFrom(std::vector<std::string> identifiers, std::string_view deviceModel) {
    std::erase_if(identifiers, [](const std::string& id) { return id.empty() || isExcludedIdentifier(id); });
    for (std::string& role : roleIdentifiersForDeviceModel(deviceModel)) {
        identifiers.push_back(std::move(role));
    }
    return identifiers;
}

// Step 3: one pass over the list with every category's entries in a set
// removes the same entries as subtracting category by category: every
// occurrence of every placed identifier, the rest in their order.
std::vector<std::string> lessPlaced(std::vector<std::string> available, const platform::Preferences& preferences,
                                    bool hasNestoraSB) {
    const auto placed = placedIdentifiers(preferences, hasNestoraSB);
    if (!placed.empty()) {
        std::erase_if(available, [&](const std::string& id) { return placed.contains(id); });
    }
    return available;
}

}  // namespace

std::vector<std::string> scanInstalledApps(std::string_view deviceModel) {
    std::vector<std::string> identifiers;
    for (const std::string& path : candidateBundlePaths()) {
        if (auto identifier = bundleIdentifierAtPath(path)) identifiers.push_back(std::move(*identifier));
    }
    return installedFrom(std::move(identifiers), deviceModel);
}

std::vector<std::string> scanInstalledApps(const platform::AppServices& services, std::string_view deviceModel) {
    if (auto identifiers = services.scannedBundleIdentifiers()) return installedFrom(std::move(*identifiers), deviceModel);
    return scanInstalledApps(deviceModel);
}

std::vector<std::string> scanAvailableApps(const platform::Preferences& preferences,
                                           std::string_view deviceModel, bool hasNestoraSB) {
    return lessPlaced(scanInstalledApps(deviceModel), preferences, hasNestoraSB);
}

std::vector<std::string> scanAvailableApps(const platform::Preferences& preferences,
                                           const platform::AppServices& services, std::string_view deviceModel,
                                           bool hasNestoraSB) {
    return lessPlaced(scanInstalledApps(services, deviceModel), preferences, hasNestoraSB);
}

std::vector<std::string> availableAppsToShow(const AvailableApps& cache, const platform::Preferences& preferences,
                                             const platform::AppServices& services, std::string_view deviceModel,
                                             bool hasNestoraSB) {
    if (cache && !cache->empty()) {
        return sortedByLocalizedName(services, *cache);
    }
    return sortedByLocalizedName(services, scanAvailableApps(preferences, services, deviceModel, hasNestoraSB));
}

}  // namespace nestora::model
