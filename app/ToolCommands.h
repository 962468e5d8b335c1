#pragma once

// The command lines with which the app asks NestoraTool to change a
// category bundle. The app never writes into /Applications itself; it runs
// one of these through /bin/sh and looks only at whether the status is 0.
//
// Every operand is one double-quoted, escaped shell word: the user's titles,
// the icon path, the category directory name (it comes from a file name in
// the preferences folder, which the user can write) and the tool's own host
// path (the device root may sit anywhere). None of them can break out of its
// word; the tool still sees exactly the text that was typed. The category
// directory name of a rename or a new icon stands after "--", the end of the
// options, so that no name can be read as an option (delete passes it as the
// value of -d, which is never read as one either).

#include <string>
#include <string_view>

namespace nestora::app {

// Where the app finds the tool, as a device path.
inline constexpr std::string_view kToolDevicePath = "/Applications/Nestora.app/NestoraTool";

// The tool's host path (device root applied), as one shell word.
std::string toolWord();

// "<tool> -c <name>"
std::string createCategoryCommandLine(std::string_view name);
// "<tool> -d <directory>"
std::string deleteCategoryCommandLine(std::string_view bundleIdentifier);
// "<tool> -n <name> -- <directory>"
std::string renameCategoryCommandLine(std::string_view bundleIdentifier, std::string_view name);
// "<tool> -i <icon path> -- <directory>"
std::string setIconCommandLine(std::string_view iconPath, std::string_view bundleIdentifier);

// Runs one command line through the shell and waits. True when its status is 0.
bool runToolCommandLine(const std::string& commandLine);

}  // namespace nestora::app
