#pragma once

// The category bundle on disk and its creation: the lowest free number, the
// launcher files, the Info.plist, the empty preferences file, rename and the
// removal of a category's files.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Plist.h"

namespace nestora::tool {

inline constexpr int kCategoryLimit = 1000;
inline constexpr std::string_view kLauncherFolder = "/Applications/Nestora.app/Launcher";
inline constexpr std::string_view kLauncherExecutable = "NestoraLauncher";
inline constexpr std::string_view kInfoPlistName = "Info.plist";

// The launcher files in the order they are copied into a new bundle.
inline constexpr std::string_view kLauncherFiles[] = {"blank.png", "NestoraLauncher", "Default.png",
                                                      "background.png", "MainWindow.nib"};

// "/Applications/Category%03d.app"
std::string categoryBundlePathForNumber(int number);

// The bundle path of the lowest number from `firstNumber` on that is free:
// nothing at its bundle path and no preferences file left behind under its
// identifier (a category whose bundle was lost keeps its items and settings
// until it is repaired or deleted). None when every number is taken.
std::optional<std::string> nextFreeCategoryPath(int firstNumber = 0);
// The same as a number.
std::optional<int> nextFreeCategoryNumber(int firstNumber = 0);

// The eleven-key Info.plist of a category bundle, display name = directory name.
plist::Dictionary categoryInfoDictionary(std::string_view identifier);

enum class BundleOutcome {
    Created,         // folder, launcher files and Info.plist are in place
    FolderTaken,     // something already exists at the bundle path; nothing was made
    FolderFailed,    // the folder could not be made; nothing was made
    ContentsFailed,  // the folder was made but its contents are incomplete
};

// createCategoryBundle: makes the bundle folder with the launcher files and
// Info.plist, printing the failing step. A taken folder is reported only when
// `reportTakenFolder` is set (create moves on to the next number instead).
BundleOutcome createCategoryBundle(std::FILE* out, std::string_view bundlePath, bool reportTakenFolder = true);

// createPrefsFile: a zero-byte preferences file, created O_EXCL|O_NOFOLLOW in
// the user's preferences folder. Prints its error and returns false on failure.
bool createPrefsFile(std::FILE* out, std::string_view identifier);

// createCategory (--create): true when the category is complete. A failed
// create removes only what this run made.
bool createCategory(std::FILE* out, std::string_view displayName);

// renameCategory: sets CFBundleDisplayName, keeping every other key. The new
// Info.plist replaces the old one through a temporary file, so a failure
// leaves the old name in place. An unreadable Info.plist is rebuilt.
bool renameCategory(std::FILE* out, std::string_view identifier, std::string_view displayName);

// removeCategoryFiles: removes the bundle folder, then the preferences file;
// stops at the first path that cannot be removed.
bool removeCategoryFiles(std::FILE* out, std::string_view identifier);

// The same for the parts selected (the rollback of a create).
bool removeCategoryParts(std::FILE* out, std::string_view identifier, bool bundle, bool preferences);

}  // namespace nestora::tool
