#pragma once

// Running NestoraTool, the only program that writes in /Applications, for a
// restore: one run makes every category the restore needs a bundle for. The
// arguments go to it as they are, without a shell; the categories go in a
// list file of ours, which the tool reads with our rights.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::backup {

inline constexpr std::string_view kToolDevicePath = "/Applications/Nestora.app/NestoraTool";
// Written for the tool's run and removed after it.
inline constexpr std::string_view kCategoryListPath = "/var/mobile/Library/Nestora/RestoreList.plist";

// Runs the tool with these arguments, its messages going to standard error.
// True when it ran to its end. The tool's status is 0 whatever it reports,
// so callers check the disk to learn what it did.
bool runCategoryTool(const std::vector<std::string>& arguments);

struct CategoryToMake {
    std::string directoryName;
    std::string displayName;
    std::optional<std::string> icon;  // the bytes of icon.png
};

// One run of the tool that makes each category whole under its directory
// name (its bundle with the launcher files, the display name and the icon,
// and its preferences file, empty when new), or finishes, names and gives
// its icon to one that is there. False when the list could not be handed
// over or the tool did not run.
bool makeCategoriesWithTool(const std::vector<CategoryToMake>& categories);

// One run of the tool that changes nothing: it lays the device lock file
// when the device has none yet (only root may make it).
bool layDeviceLockWithTool();

}  // namespace nestora::backup
