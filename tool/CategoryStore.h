#pragma once

// The category bundle on disk and its creation: the lowest free number, the
// launcher files, the Info.plist, the empty preferences file, rename and the
// removal of a category's files.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Plist.h"
#include "tool/ToolContext.h"

namespace nestora::tool {

inline constexpr int kCategoryLimit = 1000;
inline constexpr std::string_view kLauncherFolder = "/Applications/Nestora.app/Launcher";
inline constexpr std::string_view kLauncherExecutable = "NestoraLauncher";
inline constexpr std::string_view kInfoPlistName = "Info.plist";
inline constexpr std::string_view kIconFileName = "icon.png";

// The launcher files in the order they are copied into a new bundle.
inline constexpr std::string_view kLauncherFiles[] = {"blank.png", "NestoraLauncher", "Default.png",
                                                      "background.png", "MainWindow.nib"};

// "/Applications/Category%03d.app"
std::string categoryBundlePathForNumber(int number);

// Whether a directory name is one the tool numbers its categories with:
// "Category" and three digits.
bool isNumberedCategoryName(std::string_view directoryName);

// The bundle path of the lowest number from `firstNumber` on that is free:
// nothing at its bundle path and no preferences file left behind under its
// identifier (a category whose bundle was lost keeps its items and settings
// until it is repaired or deleted). None when every number is taken.
std::optional<std::string> nextFreeCategoryPath(const ToolContext& context, int firstNumber = 0);
// The same as a number.
std::optional<int> nextFreeCategoryNumber(const ToolContext& context, int firstNumber = 0);

// The eleven-key Info.plist of a category bundle, display name = directory name.
plist::Dictionary categoryInfoDictionary(std::string_view identifier);

enum class BundleOutcome {
    Created,      // the whole bundle is in place
    FolderTaken,  // something already exists at the bundle path; nothing was made
    Failed,       // nothing was made
};

// createCategoryBundle: makes the bundle with the launcher files and the
// Info.plist under a staging name and renames it into place, printing the
// failing step. A taken folder is reported only when `reportTakenFolder` is
// set.
BundleOutcome createCategoryBundle(std::FILE* out, std::string_view bundlePath, bool reportTakenFolder = true);

// createPrefsFile: a zero-byte preferences file, created O_EXCL|O_NOFOLLOW in
// the user's preferences folder. Prints its error and returns false on failure.
bool createPrefsFile(const ToolContext& context, std::string_view identifier);

// createCategory (--create): true when the category is complete. The bundle
// is made whole under a staging name, the preferences file is made, and one
// rename puts the bundle into place with the display name already in its
// Info.plist. A failed create removes only what this run made.
bool createCategory(const ToolContext& context, std::string_view displayName);

// renameCategory: sets CFBundleDisplayName, keeping every other key. The new
// Info.plist replaces the old one through a temporary file, so a failure
// leaves the old name in place. An unreadable Info.plist is rebuilt.
bool renameCategory(std::FILE* out, std::string_view identifier, std::string_view displayName);

// removeCategoryFiles: takes the bundle out of the category's name in one
// rename, removes the preferences file, then empties the bundle's folder;
// stops when the bundle cannot be taken away.
bool removeCategoryFiles(const ToolContext& context, std::string_view identifier);

// The same for the parts selected (the rollback of a create).
bool removeCategoryParts(const ToolContext& context, std::string_view identifier, bool bundle, bool preferences);

}  // namespace nestora::tool
