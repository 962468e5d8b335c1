#include "tool/CategoryStore.h"

#include <array>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/PrivilegedFiles.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryPreferencesFile.h"

namespace nestora::tool {

namespace {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path.push_back('/');
    path.append(name);
    return path;
}

void printPath(std::FILE* out, const char* format, std::string_view path) {
    std::fprintf(out, format, std::string(path).c_str());
}

}  // namespace

std::string categoryBundlePathForNumber(int number) {
    std::array<char, 40> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "/Applications/%s%03d.app", "Category", number);
    return buffer.data();
}

std::optional<int> nextFreeCategoryNumber(int firstNumber) {
    for (int number = firstNumber; number < kCategoryLimit; ++number) {
        const std::string path = categoryBundlePathForNumber(number);
        if (!files::exists(path) && !categoryPrefsExist(identifierForBundlePath(path))) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<std::string> nextFreeCategoryPath(int firstNumber) {
    if (auto number = nextFreeCategoryNumber(firstNumber)) {
        return categoryBundlePathForNumber(*number);
    }
    return std::nullopt;
}

plist::Dictionary categoryInfoDictionary(std::string_view identifier) {
    const std::string directoryName = categoryDirectoryName(identifier);
    plist::Dictionary info;
    info["CFBundleIdentifier"] = std::string(identifier);
    info["CFBundleName"] = directoryName;
    info["CFBundleDisplayName"] = directoryName;
    info["CFBundleExecutable"] = std::string(kLauncherExecutable);
    info["CFBundleDevelopmentRegion"] = "en";
    info["CFBundlePackageType"] = "APPL";
    info["CFBundleInfoDictionaryVersion"] = "6.0";
    info["CFBundleVersion"] = "1.0";
    info["DTPlatformName"] = "iphoneos";
    info["NSMainNibFile"] = "MainWindow";
    info["UIStatusBarStyle"] = "UIStatusBarStyleBlackTranslucent";
    return info;
}

BundleOutcome createCategoryBundle(std::FILE* out, std::string_view bundlePath, bool reportTakenFolder) {
    if (!files::createFolder(bundlePath)) {
        const bool taken = files::exists(bundlePath);
        if (!taken || reportTakenFolder) {
            printPath(out, "ERROR: Unable to create directory: %s\n", bundlePath);
        }
        return taken ? BundleOutcome::FolderTaken : BundleOutcome::FolderFailed;
    }
    for (std::string_view name : kLauncherFiles) {
        const std::string destination = joinPath(bundlePath, name);
        if (!files::copyFile(joinPath(kLauncherFolder, name), destination)) {
            printPath(out, "ERROR: Unable to copy to dest: %s\n", destination);
            return BundleOutcome::ContentsFailed;
        }
    }
    const std::string launcher = joinPath(bundlePath, kLauncherExecutable);
    if (!files::setMode(launcher, 0755)) {
        printPath(out, "ERROR: Unable to set permissions for: %s\n", launcher);
        return BundleOutcome::ContentsFailed;
    }
    const std::string infoPath = joinPath(bundlePath, kInfoPlistName);
    const plist::Value info(categoryInfoDictionary(identifierForBundlePath(bundlePath)));
    if (!plist::writeXmlAtomically(infoPath, info)) {
        printPath(out, "ERROR: Unable to write file: %s\n", infoPath);
        return BundleOutcome::ContentsFailed;
    }
    return BundleOutcome::Created;
}

bool createPrefsFile(std::FILE* out, std::string_view identifier) {
    if (!createEmptyPreferencesFile(identifier)) {
        printPath(out, "ERROR: Unable to create file: %s\n", prefsPathForIdentifier(identifier));
        return false;
    }
    return true;
}

bool createCategory(std::FILE* out, std::string_view displayName) {
    int firstNumber = 0;
    for (;;) {
        std::optional<int> number = nextFreeCategoryNumber(firstNumber);
        if (!number) {
            std::fputs("ERROR: Category limit reached (1000 categories)\n", out);
            return false;
        }
        const std::string path = categoryBundlePathForNumber(*number);
        const std::string identifier = identifierForBundlePath(path);
        const BundleOutcome bundle = createCategoryBundle(out, path, false);
        if (bundle == BundleOutcome::FolderTaken) {
            // Another run took this number between the look and the mkdir.
            firstNumber = *number + 1;
            continue;
        }
        if (bundle == BundleOutcome::FolderFailed) {
            return false;  // nothing was made, so nothing to roll back
        }
        bool preferencesMade = false;
        bool complete = bundle == BundleOutcome::Created;
        if (complete) {
            preferencesMade = createPrefsFile(out, identifier);
            complete = preferencesMade && renameCategory(out, identifier, displayName);
        }
        if (!complete) {
            // Only what this run made goes: never a folder or preferences
            // file that was already there.
            removeCategoryParts(out, identifier, true, preferencesMade);
        }
        return complete;
    }
}

bool renameCategory(std::FILE* out, std::string_view identifier, std::string_view displayName) {
    if (!mayChangeCategory(out, identifier)) {
        return false;
    }
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    const std::string infoPath = joinPath(bundlePath, kInfoPlistName);
    auto folder = privileged::openFolder(bundlePath);
    if (!folder) {
        printPath(out, "ERROR: Unable to write file: %s\n", infoPath);
        return false;
    }
    std::optional<plist::Value> info;
    mode_t mode = 0644;
    if (auto file = privileged::readFileAt(*folder, kInfoPlistName, plist::kMaxInputBytes)) {
        info = plist::parse(file->bytes);
        mode = file->mode & 0777;
    }
    if (!info || !info->isDictionary()) {
        // A lost or damaged Info.plist would leave the category nameless for
        // good (repair keeps existing bundles as they are): rebuild it. The
        // bundle holds the launcher, or it would not have been taken.
        info = plist::Value(categoryInfoDictionary(identifierForBundlePath(bundlePath)));
    }
    (*info->dictionary())["CFBundleDisplayName"] = std::string(displayName);
    privileged::ReplaceOptions options;
    options.mode = mode;
    switch (privileged::replaceFileAt(*folder, kInfoPlistName, plist::toXml(*info), options)) {
        case privileged::ReplaceResult::Replaced:
            return true;
        case privileged::ReplaceResult::RenameFailed:
            printPath(out, "ERROR: Unable to remove %s\n", infoPath);
            return false;
        case privileged::ReplaceResult::WriteFailed:
        case privileged::ReplaceResult::AlreadyExists:
            break;
    }
    printPath(out, "ERROR: Unable to write file: %s\n", infoPath);
    return false;
}

bool removeCategoryParts(std::FILE* out, std::string_view identifier, bool bundle, bool preferences) {
    if (bundle) {
        const std::string bundlePath = bundlePathForIdentifier(identifier);
        if (files::exists(bundlePath) && !files::removeRecursively(bundlePath)) {
            printPath(out, "ERROR: Unable to remove %s\n", bundlePath);
            return false;
        }
    }
    if (preferences && removePreferencesFile(identifier) == RemoveOutcome::Failed) {
        printPath(out, "ERROR: Unable to remove %s\n", prefsPathForIdentifier(identifier));
        return false;
    }
    return true;
}

bool removeCategoryFiles(std::FILE* out, std::string_view identifier) {
    return removeCategoryParts(out, identifier, true, true);
}

}  // namespace nestora::tool
