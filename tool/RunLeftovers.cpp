#include "tool/RunLeftovers.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"
#include "tool/PathText.h"

namespace nestora::tool {

namespace {


bool startsWithDot(std::string_view name) { return name.starts_with('.'); }

bool isBundleTemporary(std::string_view entry) {
    if (!entry.starts_with('.')) {
        return false;
    }
    if (privileged::isTemporaryNameFor(entry, kInfoPlistName) || privileged::isTemporaryNameFor(entry, kIconFileName) ||
        files::isAtomicWriteTemporaryFor(entry, kInfoPlistName)) {
        return true;
    }
    return std::any_of(std::begin(kLauncherFiles), std::end(kLauncherFiles),
                       [&](std::string_view name) { return privileged::isTemporaryNameFor(entry, name); });
}

// A staging folder whose create had made everything: renamed into place.
bool finishCreate(const ToolContext& context, const privileged::FileDescriptor& applications,
                  const LeftoverFolder& folder) {
    const std::string identifier = std::string(kCategoryIdentifierPrefix) + folder.directoryName;
    if (categoryBundleExists(identifier) || !preferencesFileExists(context.preferences(), identifier)) {
        return false;
    }
    auto staging = privileged::openFolderAt(applications, folder.name);
    if (!staging || !holdsWholeBundle(*staging, identifier)) {
        return false;
    }
    return privileged::moveEntryAt(applications, folder.name, folder.directoryName + ".app") ==
           privileged::MoveResult::Moved;
}

// The rest of a delete that had taken the bundle away: its preferences file,
// unless the category is back or still holds items, or may (they would stay
// hidden).
void finishDelete(const ToolContext& context, const LeftoverFolder& folder) {
    const std::string identifier = std::string(kCategoryIdentifierPrefix) + folder.directoryName;
    const auto items = readCategoryItems(context.preferences(), identifier);
    if (categoryBundleExists(identifier) || !items || !items->empty()) {
        return;
    }
    if (removePreferencesFile(context.preferences(), identifier) == RemoveOutcome::Failed) {
        printMessage(context.out, "ERROR: Unable to remove %s\n", prefsPathForIdentifier(identifier));
    }
}

// Removes a temporary file a killed run left (never through a link) and
// says so.
void removeTemporaryFile(std::FILE* out, const privileged::FileDescriptor& folder, const std::string& entry,
                         const std::string& path) {
    if (privileged::removeTreeAt(folder, entry)) {
        printMessage(out, "Removed temporary file: %s\n", path);
    } else {
        printMessage(out, "ERROR: Unable to remove %s\n", path);
    }
}

}  // namespace

void settleLeftoverFolders(const ToolContext& context, std::optional<std::string_view> onlyDirectoryName) {
    std::FILE* const out = context.out;
    auto applications = privileged::openFolder(kApplicationsFolder);
    if (!applications) {
        return;
    }
    // Leftover folders are hidden names: only those are kept and sorted.
    auto entries = privileged::listFolderAt(*applications, startsWithDot);
    if (!entries) {
        return;
    }
    for (const std::string& entry : *entries) {
        std::optional<LeftoverFolder> folder = parseLeftoverFolderName(entry);
        if (!folder || (onlyDirectoryName && folder->directoryName != *onlyDirectoryName)) {
            continue;
        }
        const std::string path = leftoverFolderPath(*folder);
        const privileged::EntryKind kind = privileged::entryKind(*applications, entry);
        if (folder->kind == LeftoverKind::Replacing) {
            // A file a replacement in the bundle never got to rename into it.
            if (kind == privileged::EntryKind::RegularFile) {
                removeTemporaryFile(out, *applications, entry, path);
            }
            continue;
        }
        if (kind != privileged::EntryKind::Folder) {
            continue;
        }
        if (folder->kind == LeftoverKind::Staging && finishCreate(context, *applications, *folder)) {
            printMessage(out, "Finished creating category: %s\n",
                         joinPath(kApplicationsFolder, folder->directoryName + ".app"));
            continue;
        }
        if (!privileged::removeTreeAt(*applications, entry)) {
            printMessage(out, "ERROR: Unable to remove %s\n", path);
            continue;
        }
        if (folder->kind == LeftoverKind::Staging) {
            printMessage(out, "Removed unfinished category: %s\n", path);
        } else {
            printMessage(out, "Finished deleting category: %s\n", path);
            finishDelete(context, *folder);
        }
    }
}

bool bundleHoldsTemporaryFiles(const privileged::FileDescriptor& bundle) {
    const std::optional<bool> holds = privileged::folderHoldsNameAt(bundle, isBundleTemporary);
    return !holds || *holds;
}

void removeBundleTemporaryFiles(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier) {
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    auto entries = privileged::listFolderAt(bundle);
    if (!entries) {
        return;
    }
    for (const std::string& entry : *entries) {
        if (!isBundleTemporary(entry) || privileged::entryKind(bundle, entry) != privileged::EntryKind::RegularFile) {
            continue;
        }
        removeTemporaryFile(out, bundle, entry, joinPath(bundlePath, entry));
    }
}

void removePreferencesTemporaryFiles(const ToolContext& context, std::optional<std::string_view> onlyIdentifier) {
    const auto& folder = context.preferences();
    if (!folder) {
        return;
    }
    auto entries = privileged::listFolderAt(*folder, startsWithDot);
    if (!entries) {
        return;
    }
    static constexpr std::string_view kPlistMark = ".plist.";
    for (const std::string& entry : *entries) {
        // ".<identifier>.plist.tmp<suffix>" (the tool's) or
        // ".<identifier>.plist.XXXXXX" (the app's preferences writes)
        const auto mark = entry.rfind(kPlistMark);
        if (!entry.starts_with('.') || mark == std::string::npos || mark < 1) {
            continue;
        }
        const std::string identifier = entry.substr(1, mark - 1);
        if (!isCategoryBundleIdentifier(identifier) || (onlyIdentifier && identifier != *onlyIdentifier)) {
            continue;
        }
        const std::string fileName = preferencesFileName(identifier);
        if ((!privileged::isTemporaryNameFor(entry, fileName) && !files::isAtomicWriteTemporaryFor(entry, fileName)) ||
            privileged::entryKind(*folder, entry) != privileged::EntryKind::RegularFile) {
            continue;
        }
        // The folder is the user's: only the name goes, whatever it points at.
        removeTemporaryFile(context.out, *folder, entry, joinPath(kCategoryPreferencesFolder, entry));
    }
}

void restoreMissingLauncherFiles(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier) {
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    for (std::string_view name : kLauncherFiles) {
        if (privileged::entryKind(bundle, name) != privileged::EntryKind::Missing) {
            continue;
        }
        const std::string path = joinPath(bundlePath, name);
        std::optional<LauncherFile> source = readLauncherFile(name);
        privileged::ReplaceOptions options;
        options.mode = source ? source->mode : 0;
        options.onlyIfAbsent = true;
        if (source && replaceBundleFile(bundle, categoryDirectoryName(identifier), name, source->bytes, options) ==
                          privileged::ReplaceResult::Replaced) {
            printMessage(out, "Restored missing file: %s\n", path);
        } else {
            printMessage(out, "ERROR: Unable to copy to dest: %s\n", path);
        }
    }
}

void completeUnnamedBundle(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier) {
    restoreMissingLauncherFiles(out, bundle, identifier);
    const std::string infoPath = joinPath(bundlePathForIdentifier(identifier), kInfoPlistName);
    const std::string xml = plist::toXml(plist::Value(categoryInfoDictionary(identifier)));
    privileged::ReplaceOptions options;
    options.mode = 0644;
    if (!xml.empty() &&
        replaceBundleFile(bundle, categoryDirectoryName(identifier), kInfoPlistName, xml, options) ==
            privileged::ReplaceResult::Replaced) {
        printMessage(out, "Rebuilt Info.plist: %s\n", infoPath);
    } else {
        printMessage(out, "ERROR: Unable to write file: %s\n", infoPath);
    }
}

}  // namespace nestora::tool
