#include "tool/CategoryStore.h"

#include <algorithm>
#include <array>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/PathText.h"

namespace nestora::tool {

std::string categoryBundlePathForNumber(int number) {
    std::array<char, 40> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "/Applications/%s%03d.app", "Category", number);
    return buffer.data();
}

bool isNumberedCategoryName(std::string_view directoryName) {
    constexpr std::string_view kStem = "Category";
    return directoryName.size() == kStem.size() + 3 && directoryName.starts_with(kStem) &&
           std::all_of(directoryName.begin() + kStem.size(), directoryName.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> nextFreeCategoryNumber(const ToolContext& context, int firstNumber) {
    for (int number = firstNumber; number < kCategoryLimit; ++number) {
        const std::string path = categoryBundlePathForNumber(number);
        if (!files::exists(path) && !preferencesFileExists(context.preferences(), identifierForBundlePath(path))) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<std::string> nextFreeCategoryPath(const ToolContext& context, int firstNumber) {
    if (auto number = nextFreeCategoryNumber(context, firstNumber)) {
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
    const auto reportTaken = [&] {
        if (reportTakenFolder) {
            printMessage(out, "ERROR: Unable to create directory: %s\n", bundlePath);
        }
        return BundleOutcome::FolderTaken;
    };
    if (files::exists(bundlePath)) {
        return reportTaken();
    }
    const std::string identifier = identifierForBundlePath(bundlePath);
    std::optional<StagedBundle> staged = StagedBundle::build(out, bundlePath, categoryDirectoryName(identifier));
    if (!staged) {
        return BundleOutcome::Failed;
    }
    switch (staged->publish()) {
        case StagedBundle::Outcome::Published:
            return BundleOutcome::Created;
        case StagedBundle::Outcome::Taken:
            return reportTaken();
        case StagedBundle::Outcome::Failed:
            break;
    }
    printMessage(out, "ERROR: Unable to create directory: %s\n", bundlePath);
    return BundleOutcome::Failed;
}

bool createPrefsFile(const ToolContext& context, std::string_view identifier) {
    if (!createEmptyPreferencesFile(context.preferences(), identifier)) {
        printMessage(context.out, "ERROR: Unable to create file: %s\n", prefsPathForIdentifier(identifier));
        return false;
    }
    return true;
}

bool createCategory(const ToolContext& context, std::string_view displayName) {
    std::FILE* const out = context.out;
    int firstNumber = 0;
    for (;;) {
        std::optional<int> number = nextFreeCategoryNumber(context, firstNumber);
        if (!number) {
            std::fputs("ERROR: Category limit reached (1000 categories)\n", out);
            return false;
        }
        const std::string path = categoryBundlePathForNumber(*number);
        const std::string identifier = identifierForBundlePath(path);
        // The bundle is made whole out of sight first; the preferences file
        // then claims the number, and one rename shows the category.
        std::optional<StagedBundle> staged = StagedBundle::build(out, path, displayName);
        if (!staged) {
            return false;  // the staging folder went with it: nothing was made
        }
        if (!createEmptyPreferencesFile(context.preferences(), identifier)) {
            if (preferencesFileExists(context.preferences(), identifier)) {
                // Another run took this number between the look and now.
                firstNumber = *number + 1;
                continue;
            }
            printMessage(out, "ERROR: Unable to create file: %s\n", prefsPathForIdentifier(identifier));
            return false;
        }
        switch (staged->publish()) {
            case StagedBundle::Outcome::Published:
                return true;
            case StagedBundle::Outcome::Taken:
                // Something appeared at the bundle path meanwhile: the
                // preferences file this run made goes, the next number is tried.
                if (!removeCategoryParts(context, identifier, false, true)) {
                    return false;
                }
                firstNumber = *number + 1;
                continue;
            case StagedBundle::Outcome::Failed:
                break;
        }
        printMessage(out, "ERROR: Unable to create directory: %s\n", path);
        removeCategoryParts(context, identifier, false, true);
        return false;
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
        printMessage(out, "ERROR: Unable to write file: %s\n", infoPath);
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
    switch (replaceBundleFile(*folder, categoryDirectoryName(identifier), kInfoPlistName, plist::toXml(*info), options)) {
        case privileged::ReplaceResult::Replaced:
            return true;
        case privileged::ReplaceResult::RenameFailed:
            printMessage(out, "ERROR: Unable to remove %s\n", infoPath);
            return false;
        case privileged::ReplaceResult::WriteFailed:
        case privileged::ReplaceResult::AlreadyExists:
            break;
    }
    printMessage(out, "ERROR: Unable to write file: %s\n", infoPath);
    return false;
}

bool removeCategoryParts(const ToolContext& context, std::string_view identifier, bool bundle, bool preferences) {
    std::FILE* const out = context.out;
    std::optional<LeftoverFolder> movedAway;
    if (bundle) {
        const std::string bundlePath = bundlePathForIdentifier(identifier);
        if (moveBundleAway(bundlePath, movedAway) == BundleMove::Failed) {
            printMessage(out, "ERROR: Unable to remove %s\n", bundlePath);
            return false;
        }
    }
    bool removed = true;
    if (preferences && removePreferencesFile(context.preferences(), identifier) == RemoveOutcome::Failed) {
        printMessage(out, "ERROR: Unable to remove %s\n", prefsPathForIdentifier(identifier));
        removed = false;
    }
    // The bundle is out of the category's name already; its folder is
    // emptied last, and a repair removes what a killed run leaves of it.
    if (movedAway && !removeLeftoverFolder(*movedAway)) {
        printMessage(out, "ERROR: Unable to remove %s\n", leftoverFolderPath(*movedAway));
        removed = false;
    }
    return removed;
}

bool removeCategoryFiles(const ToolContext& context, std::string_view identifier) {
    return removeCategoryParts(context, identifier, true, true);
}

}  // namespace nestora::tool
