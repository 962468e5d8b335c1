#include "backup/DeviceCategories.h"

#include <algorithm>
#include <unordered_map>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "tool/CategoryChanges.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryOperand.h"
#include "tool/CategoryStore.h"

namespace nestora::backup {

namespace {

std::string identifierFor(std::string_view directoryName) {
    return std::string(kCategoryIdentifierPrefix) + std::string(directoryName);
}

std::string infoPlistPath(std::string_view directoryName) {
    return bundlePathForIdentifier(identifierFor(directoryName)) + "/" + std::string(tool::kInfoPlistName);
}

void readPreferences(DeviceCategory& category) {
    const std::string path = prefsPathForIdentifier(identifierFor(category.directoryName));
    // Read first: only a file that cannot be read is looked at again, to
    // tell a missing one from an unreadable one.
    if (auto stored = plist::readDictionary(path)) {
        category.hasPreferencesFile = true;
        category.preferences = std::move(*stored);
        return;
    }
    category.hasPreferencesFile = files::exists(path);
    category.preferencesUnreadable = category.hasPreferencesFile;
}

// `scannedName`: the display name the bundle scan read, or null when the scan
// did not read this bundle.
DeviceCategory readCategory(std::string_view directoryName, const std::optional<std::string>* scannedName) {
    DeviceCategory category;
    category.directoryName = std::string(directoryName);
    // The bundle scan has seen the bundle of a category it read.
    category.hasBundle = scannedName != nullptr || categoryBundleExists(identifierFor(directoryName));
    if (category.hasBundle) {
        if (scannedName != nullptr) {
            category.displayName = *scannedName;
        } else if (auto info = plist::readDictionaryKeys(infoPlistPath(directoryName), {"CFBundleDisplayName"})) {
            if (auto found = info->find("CFBundleDisplayName"); found != info->end() && found->second.string()) {
                category.displayName = *found->second.string();
            }
        }
        if (!category.displayName) category.displayName = category.directoryName;
    }
    readPreferences(category);
    return category;
}

}  // namespace

std::vector<DeviceCategory> scanDeviceCategories() {
    const std::vector<tool::CategoryBundle> bundles = tool::scanCategoryBundles();
    // The bundle scan has read each Info.plist already.
    std::unordered_map<std::string, std::optional<std::string>> scannedNames;
    for (const tool::CategoryBundle& bundle : bundles) {
        scannedNames.emplace(categoryDirectoryName(identifierForBundlePath(bundle.path)), bundle.displayName);
    }
    std::vector<DeviceCategory> categories;
    for (const std::string& identifier : tool::collectCategoryIdentifiers(tool::scanCategoryPrefs(), bundles)) {
        const std::string directoryName = categoryDirectoryName(identifier);
        if (!tool::isValidCategoryOperand(directoryName)) continue;
        auto scanned = scannedNames.find(directoryName);
        categories.push_back(readCategory(directoryName, scanned != scannedNames.end() ? &scanned->second : nullptr));
    }
    std::sort(categories.begin(), categories.end(),
              [](const DeviceCategory& a, const DeviceCategory& b) { return a.directoryName < b.directoryName; });
    return categories;
}

DeviceCategory readDeviceCategory(std::string_view directoryName) { return readCategory(directoryName, nullptr); }

std::optional<std::string> readCategoryIcon(std::string_view directoryName) {
    return files::readFile(bundlePathForIdentifier(identifierFor(directoryName)) + "/icon.png", tool::kMaxIconBytes);
}

bool categoryBundleIsWhole(std::string_view directoryName) {
    const std::string identifier = identifierFor(directoryName);
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    for (std::string_view name : tool::kLauncherFiles) {
        if (!files::isRegularFile(bundlePath + "/" + std::string(name))) return false;
    }
    auto info = plist::readDictionaryKeys(infoPlistPath(directoryName), {"CFBundleIdentifier"});
    if (!info) return false;
    auto found = info->find("CFBundleIdentifier");
    return found != info->end() && found->second.string() != nullptr && *found->second.string() == identifier;
}

}  // namespace nestora::backup
