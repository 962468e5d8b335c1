#include "tool/CategoryRestore.h"

#include <optional>
#include <string>

#include "common/CategoryNaming.h"
#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"
#include "tool/CategoryChanges.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryOperand.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"
#include "tool/PathText.h"
#include "tool/RunLeftovers.h"
#include "tool/StagedBatch.h"
#include "tool/TerminalText.h"
#include "tool/TextArguments.h"

namespace nestora::tool {

namespace {

struct ListEntry {
    std::string directoryName;
    std::string displayName;
    std::optional<std::string> icon;
};

// One entry of the list; none, with the reason printed, when it is no
// dictionary with the keys it must have, or its icon is no PNG image.
std::optional<ListEntry> readEntry(std::FILE* out, const plist::Value& value, std::string_view listPath) {
    auto directoryName = value.stringForKey(kListDirectoryNameKey);
    auto displayName = value.stringForKey(kListDisplayNameKey);
    const plist::Value* icon = value.find(kListIconKey);
    if (!directoryName || !displayName || (icon != nullptr && !icon->data())) {
        printMessage(out, "ERROR: Damaged entry in category list: %s\n", printableText(listPath));
        return std::nullopt;
    }
    ListEntry entry{std::move(*directoryName), displayNameFromArgument(*displayName), std::nullopt};
    if (icon != nullptr) {
        entry.icon.emplace(icon->data()->begin(), icon->data()->end());
        if (entry.icon->size() > kMaxIconBytes || !hasPngSignature(*entry.icon)) {
            printMessage(out, "ERROR: Icon file is not a PNG image: %s\n",
                         printableText(listPath) + " (" + printableText(entry.directoryName) + ")");
            return std::nullopt;
        }
    }
    return entry;
}

// A category that is there: completed as repair would (and given any
// launcher file it lacks), named and given its icon unless it has them.
void finishPresentCategory(const ToolContext& context, const BundleInspection& bundle, const ListEntry& entry,
                           const std::string& identifier) {
    std::FILE* const out = context.out;
    if (bundle.folder) {
        if (!bundle.named) {
            completeUnnamedBundle(out, *bundle.folder, identifier);
        } else {
            restoreMissingLauncherFiles(out, *bundle.folder, identifier);
        }
        removeBundleTemporaryFiles(out, *bundle.folder, identifier);
    }
    if (!preferencesFileExists(context.preferences(), identifier) && !createPrefsFile(context, identifier)) {
        return;
    }
    const auto info = bundle.folder ? privileged::readFileAt(*bundle.folder, kInfoPlistName, plist::kMaxInputBytes)
                                    : std::nullopt;
    const auto parsed = info ? plist::parse(info->bytes) : std::nullopt;
    if (!parsed || parsed->stringForKey("CFBundleDisplayName") != entry.displayName) {
        renameCategory(out, identifier, entry.displayName);
    }
    if (entry.icon) {
        const auto icon = bundle.folder ? privileged::readFileAt(*bundle.folder, kIconFileName, kMaxIconBytes)
                                        : std::nullopt;
        if (!icon || icon->bytes != *entry.icon) {
            writeCategoryIcon(out, identifier, *entry.icon);
        }
    }
}

}  // namespace

bool restoreCategories(const ToolContext& context, std::string_view listPath) {
    std::FILE* out = context.out;
    const privileged::InvokerRead read = privileged::readFileAsInvoker(listPath, kMaxCategoryListBytes);
    const auto list = read.bytes ? plist::parse(*read.bytes, kMaxCategoryListBytes) : std::nullopt;
    if (!list || !list->array()) {
        printMessage(out, "ERROR: Unable to read category list: %s\n", printableText(listPath));
        return false;
    }
    // What killed runs left is settled once for the whole list.
    settleLeftoverFolders(context, std::nullopt);
    const auto applications = privileged::openFolder(kApplicationsFolder);
    // Every bundle gets the same launcher files: read once for the list.
    const std::optional<LauncherFiles> launcher = readLauncherFiles();
    StagedBatch batch;
    for (const plist::Value& value : *list->array()) {
        const std::optional<ListEntry> entry = readEntry(out, value, listPath);
        if (!entry) {
            continue;
        }
        const auto identifier = identifierForCategoryOperand(out, entry->directoryName);
        if (!identifier) {
            continue;
        }
        const BundleInspection bundle = inspectCategoryBundle(applications, *identifier);
        if (!mayChangeCategory(out, *identifier, bundle.identity)) {
            continue;
        }
        if (bundle.identity != BundleIdentity::Absent) {
            finishPresentCategory(context, bundle, *entry, *identifier);
            continue;
        }
        // A bundle is made only for a category: a numbered name, or one
        // whose preferences file is there (as repair makes them).
        const bool hasPreferences = preferencesFileExists(context.preferences(), *identifier);
        if (!isNumberedCategoryName(entry->directoryName) && !hasPreferences) {
            std::fputs("ERROR: Category does not exist or is damaged.\n", out);
            continue;
        }
        const std::string bundlePath = bundlePathForIdentifier(*identifier);
        const StagingOptions options{entry->icon, true, applications ? &*applications : nullptr,
                                     launcher ? &*launcher : nullptr};
        std::optional<StagedBundle> staged = StagedBundle::build(out, bundlePath, entry->displayName, options);
        if (!staged) {
            continue;  // its staging folder went with it
        }
        // The preferences file first, as create makes it: a sealed staging
        // folder with its preferences file is a finished create.
        if (!hasPreferences && !createEmptyPreferencesFile(context.preferences(), *identifier, true)) {
            printMessage(out, "ERROR: Unable to create file: %s\n", prefsPathForIdentifier(*identifier));
            continue;
        }
        batch.add(std::move(*staged));
    }
    batch.publishAll(out, context.preferences());
    return true;
}

}  // namespace nestora::tool
