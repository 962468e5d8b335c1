#pragma once

// Running NestoraTool, the only program that writes in /Applications, for a
// restore. The arguments go to it as they are, without a shell, and each
// operand follows "--", so nothing in a backup can be read as an option.

#include <string>
#include <string_view>
#include <vector>

namespace nestora::backup {

inline constexpr std::string_view kToolDevicePath = "/Applications/Nestora.app/NestoraTool";

// Runs the tool with these arguments, its messages going to standard error.
// True when it ran to its end. The tool's status is 0 whatever it reports,
// so callers check the disk to learn what it did.
bool runCategoryTool(const std::vector<std::string>& arguments);

// Recreates what is missing of the category (the bundle with the launcher
// files and an Info.plist, the empty preferences file), then, when given,
// sets its display name: one run of the tool.
bool repairAndNameCategory(std::string_view directoryName, bool repair, const std::string* displayName);

// Copies the image at `iconDevicePath` into the category as its icon.png.
bool setCategoryIconFrom(std::string_view directoryName, std::string_view iconDevicePath);

// One run of the tool that changes nothing: it lays the device lock file
// when the device has none yet (only root may make it).
bool layDeviceLockWithTool();

// Deletes the category (its bundle and preferences file; apps in its items
// come back to the home screen).
bool deleteCategoryWithTool(std::string_view directoryName);

}  // namespace nestora::backup
