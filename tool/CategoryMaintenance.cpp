#include "tool/CategoryMaintenance.h"

#include <string>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/PrivilegedFiles.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryOperand.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"
#include "tool/LegacyFormat.h"

namespace nestora::tool {

namespace {

// The launcher files an upgrade replaces, in order.
constexpr std::string_view kUpgradedFiles[] = {"NestoraLauncher", "MainWindow.nib", "Default.png"};
constexpr std::string_view kLegacyFiles[] = {"list.txt", "cache.bin", "Prefs.bin"};

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path.push_back('/');
    path.append(name);
    return path;
}

// Identifiers found by a scan come from names anyone with a preferences
// folder can make; the all-categories forms take only those whose directory
// name would be accepted on the command line.
bool acceptScannedIdentifier(std::FILE* out, const std::string& identifier) {
    return identifierForCategoryOperand(out, categoryDirectoryName(identifier)).has_value();
}

}  // namespace

void repairCategory(std::FILE* out, std::string_view identifier) {
    if (!mayChangeCategory(out, identifier)) {
        return;
    }
    if (!categoryBundleExists(identifier)) {
        createCategoryBundle(out, bundlePathForIdentifier(identifier));
    }
    if (!categoryPrefsExist(identifier)) {
        createPrefsFile(out, identifier);
    }
}

void repairEveryCategory(std::FILE* out) {
    for (const std::string& identifier : collectCategoryIdentifiers()) {
        if (acceptScannedIdentifier(out, identifier)) {
            repairCategory(out, identifier);
        }
    }
}

bool upgradeCategory(std::FILE* out, std::string_view identifier) {
    if (!mayChangeCategory(out, identifier)) {
        return false;
    }
    const std::string directoryName = categoryDirectoryName(identifier);
    std::fprintf(out, "Updating category %s\n", directoryName.c_str());
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    if (files::exists(joinPath(bundlePath, "list.txt"))) {
        convertLegacyCategory(out, identifier);
    }
    for (std::string_view name : kUpgradedFiles) {
        const std::string path = joinPath(bundlePath, name);
        if (!files::exists(path) || !files::removeRecursively(path)) {
            std::fprintf(out, "ERROR: Unable to remove old file: %s\n", path.c_str());
            return false;
        }
        if (!files::copyFile(joinPath(kLauncherFolder, name), path)) {
            std::fprintf(out, "ERROR: Unable to copy file to destination: %s\n", path.c_str());
            return false;
        }
    }
    const std::string launcher = joinPath(bundlePath, kLauncherExecutable);
    if (!files::setMode(launcher, 0755)) {
        std::fprintf(out, "ERROR: Unable to set permissions for: %s\n", launcher.c_str());
        return false;
    }
    return true;
}

void upgradeEveryCategory(std::FILE* out) {
    for (const std::string& identifier : scanCategoryPrefs()) {
        if (acceptScannedIdentifier(out, identifier)) {
            upgradeCategory(out, identifier);
        }
    }
}

bool convertLegacyCategory(std::FILE* out, std::string_view identifier) {
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    if (!categoryPrefsExist(identifier)) {
        plist::Dictionary contents = readLegacyPrefs(bundlePath).value_or(plist::Dictionary{});
        if (auto items = readLegacyItemList(bundlePath)) {
            contents["items"] = std::move(*items);
        }
        // The file belongs to the user the app and the launcher run as. It is
        // written whole under a temporary name and handed over with fchown
        // before it appears; an unknown user leaves it root's.
        const auto written = writeNewPreferencesFile(identifier, contents, privileged::lookupOwner("mobile", "mobile"));
        if (written == privileged::ReplaceResult::WriteFailed || written == privileged::ReplaceResult::RenameFailed) {
            // The legacy files are the only copy of the items and settings:
            // they stay for the next upgrade.
            std::fprintf(out, "ERROR: Unable to write file: %s\n", prefsPathForIdentifier(identifier).c_str());
            return false;
        }
    }
    for (std::string_view name : kLegacyFiles) {
        files::removeRecursively(joinPath(bundlePath, name));
    }
    return true;
}

}  // namespace nestora::tool
