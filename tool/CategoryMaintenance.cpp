#include "tool/CategoryMaintenance.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryOperand.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"
#include "tool/LegacyFormat.h"
#include "tool/PathText.h"
#include "tool/RunLeftovers.h"

namespace nestora::tool {

namespace {

// The launcher files an upgrade replaces, in order.
constexpr std::string_view kUpgradedFiles[] = {"NestoraLauncher", "MainWindow.nib", "Default.png"};
// list.txt goes last: it is what marks a bundle as legacy, so a run killed
// on the way leaves the rest for the next upgrade to remove.
constexpr std::string_view kLegacyFiles[] = {"cache.bin", "Prefs.bin", "list.txt"};

// Identifiers found by a scan come from names anyone with a preferences
// folder can make; the all-categories forms take only those whose directory
// name would be accepted on the command line.
bool acceptScannedIdentifier(std::FILE* out, const std::string& identifier) {
    return identifierForCategoryOperand(out, categoryDirectoryName(identifier)).has_value();
}

// The repair of one category: a missing bundle is made (whole, under a
// staging name), one without its Info.plist completed, a missing
// preferences file made, temporary files in the bundle removed. A bundle
// that is no category is refused.
void repairOne(const ToolContext& context, const std::optional<privileged::FileDescriptor>& applications,
               std::string_view identifier) {
    std::FILE* const out = context.out;
    const bool hasPreferences = preferencesFileExists(context.preferences(), identifier);
    const BundleInspection bundle = inspectCategoryBundle(applications, identifier);
    if (!mayChangeCategory(out, identifier, bundle.identity)) {
        return;
    }
    if (bundle.identity == BundleIdentity::Absent && !isNumberedCategoryName(categoryDirectoryName(identifier)) &&
        !hasPreferences) {
        std::fputs("ERROR: Category does not exist or is damaged.\n", out);
        return;
    }
    if (bundle.identity == BundleIdentity::Absent) {
        createCategoryBundle(out, bundlePathForIdentifier(identifier));
    } else if (bundle.folder) {
        if (!bundle.named) {
            completeUnnamedBundle(out, *bundle.folder, identifier);
        }
        removeBundleTemporaryFiles(out, *bundle.folder, identifier);
    }
    if (!hasPreferences) {
        createPrefsFile(context, identifier);
    }
}

}  // namespace

void repairCategory(const ToolContext& context, std::string_view identifier) {
    if (!mayChangeCategory(context.out, identifier)) {
        return;
    }
    settleLeftoverFolders(context, categoryDirectoryName(identifier));
    repairOne(context, privileged::openFolder(kApplicationsFolder), identifier);
    removePreferencesTemporaryFiles(context, identifier);
}

// Repair of a category whose bundle the scan has just read and found named
// as this category: nothing to make. The temporary files a killed run
// leaves of a replacement in the bundle are beside it in /Applications, and
// settled with the leftover folders; only a bundle whose name is too long
// for those has them inside, and is listed. Only when there is something to
// remove is its Info.plist read again, on the open folder, to be sure that
// what is about to change is this category. (Temporary files that earlier
// versions left inside bundles go with a repair of the one category.)
void repairScannedCategory(const ToolContext& context, const std::optional<privileged::FileDescriptor>& applications,
                           std::string_view identifier, bool prefsListed) {
    const std::string directoryName = categoryDirectoryName(identifier);
    if (!applications || !replacesBesideBundle(directoryName)) {
        auto bundle = applications ? privileged::openFolderAt(*applications, directoryName + ".app") : std::nullopt;
        const bool holdsTemporaryFiles = bundle && bundleHoldsTemporaryFiles(*bundle);
        if (!bundle || (holdsTemporaryFiles && identifierNamedBy(*bundle) != identifier)) {
            repairOne(context, applications, identifier);
            return;
        }
        if (holdsTemporaryFiles) {
            removeBundleTemporaryFiles(context.out, *bundle, identifier);
        }
    }
    if (!prefsListed && !preferencesFileExists(context.preferences(), identifier)) {
        createPrefsFile(context, identifier);
    }
}

void repairEveryCategory(const ToolContext& context) {
    // What killed runs left in /Applications first: a finished staging
    // folder becomes its category, and a finished delete frees its number.
    settleLeftoverFolders(context, std::nullopt);
    std::vector<std::string> unnamedBundles;
    const std::vector<std::string> prefs = scanCategoryPrefs(context.preferences());
    const std::vector<CategoryBundle> bundles = scanCategoryBundles(&unnamedBundles);
    std::vector<std::string> identifiers = collectCategoryIdentifiers(prefs, bundles);
    // What the scans just saw: bundles named as their category, preferences
    // files that are there.
    std::unordered_set<std::string> named;
    for (const CategoryBundle& bundle : bundles) {
        if (bundle.identifier == identifierForBundlePath(bundle.path)) {
            named.insert(bundle.identifier);
        }
    }
    const std::unordered_set<std::string> listedPrefs(prefs.begin(), prefs.end());
    // Bundles an older version was killed in the middle of making have no
    // Info.plist to be found by; their names and launcher files tell them.
    for (const std::string& path : unnamedBundles) {
        std::string identifier = identifierForBundlePath(path);
        if (isCategoryBundleIdentifier(identifier) &&
            std::find(identifiers.begin(), identifiers.end(), identifier) == identifiers.end() &&
            identifyCategoryBundle(identifier) == BundleIdentity::Category) {
            identifiers.push_back(std::move(identifier));
        }
    }
    const auto applications = privileged::openFolder(kApplicationsFolder);
    for (const std::string& identifier : identifiers) {
        if (!acceptScannedIdentifier(context.out, identifier)) {
            continue;
        }
        if (named.contains(identifier)) {
            repairScannedCategory(context, applications, identifier, listedPrefs.contains(identifier));
        } else {
            repairOne(context, applications, identifier);
        }
    }
    removePreferencesTemporaryFiles(context, std::nullopt);
}

bool upgradeCategory(const ToolContext& context, std::string_view identifier) {
    std::FILE* const out = context.out;
    if (!mayChangeCategory(out, identifier)) {
        return false;
    }
    const std::string directoryName = categoryDirectoryName(identifier);
    std::fprintf(out, "Updating category %s\n", directoryName.c_str());
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    if (files::exists(joinPath(bundlePath, "list.txt"))) {
        convertLegacyCategory(context, identifier);
    }
    auto bundle = privileged::openFolder(bundlePath);
    for (std::string_view name : kUpgradedFiles) {
        const std::string path = joinPath(bundlePath, name);
        if (!bundle || privileged::entryKind(*bundle, name) == privileged::EntryKind::Missing) {
            std::fprintf(out, "ERROR: Unable to remove old file: %s\n", path.c_str());
            return false;
        }
        // The new copy is written whole under a temporary name and renamed
        // over the old one: the bundle never lacks the file.
        std::optional<LauncherFile> source = readLauncherFile(name);
        privileged::ReplaceOptions options;
        options.mode = source ? source->mode : 0;
        const auto replaced = source ? replaceBundleFile(*bundle, directoryName, name, source->bytes, options)
                                     : privileged::ReplaceResult::WriteFailed;
        if (replaced == privileged::ReplaceResult::RenameFailed) {
            std::fprintf(out, "ERROR: Unable to remove old file: %s\n", path.c_str());
            return false;
        }
        if (replaced != privileged::ReplaceResult::Replaced) {
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

void upgradeEveryCategory(const ToolContext& context) {
    for (const std::string& identifier : scanCategoryPrefs(context.preferences())) {
        if (acceptScannedIdentifier(context.out, identifier)) {
            upgradeCategory(context, identifier);
        }
    }
}

bool convertLegacyCategory(const ToolContext& context, std::string_view identifier) {
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    // An empty preferences file (a repair made it) holds nothing the legacy
    // files would overrule: they are converted into it, not thrown away.
    const auto& preferences = context.preferences();
    const bool empty = preferencesFileIsEmpty(preferences, identifier);
    if (empty || !preferencesFileExists(preferences, identifier)) {
        plist::Dictionary contents = readLegacyPrefs(bundlePath).value_or(plist::Dictionary{});
        if (auto items = readLegacyItemList(bundlePath)) {
            contents["items"] = std::move(*items);
        }
        // The file belongs to the user the app and the launcher run as. It is
        // written whole under a temporary name and handed over with fchown
        // before it appears; an unknown user leaves it root's.
        const auto written =
            writeNewPreferencesFile(preferences, identifier, contents, privileged::lookupOwner("mobile", "mobile"), empty);
        if (written == privileged::ReplaceResult::WriteFailed || written == privileged::ReplaceResult::RenameFailed) {
            // The legacy files are the only copy of the items and settings:
            // they stay for the next upgrade.
            std::fprintf(context.out, "ERROR: Unable to write file: %s\n", prefsPathForIdentifier(identifier).c_str());
            return false;
        }
    }
    for (std::string_view name : kLegacyFiles) {
        files::removeRecursively(joinPath(bundlePath, name));
    }
    return true;
}

}  // namespace nestora::tool
