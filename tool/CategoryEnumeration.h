#pragma once

// Finding categories (bundles in /Applications, preferences files in the
// preferences folder) and the two read-only commands --list and --show. What
// they print is escaped (TerminalText.h); the columns count printed bytes.

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/ToolContext.h"

namespace nestora::tool {

struct CategoryBundle {
    std::string path;                        // "/Applications/<name>.app"
    std::string identifier;                  // the CFBundleIdentifier its Info.plist names
    std::optional<std::string> displayName;  // CFBundleDisplayName when it is a string
};

// scanCategoryBundles: the ".app" entries of /Applications whose Info.plist
// has a CFBundleIdentifier "com.quarvek.nestora.<one part>", in listing
// order. The display name read on the way is kept for --list. With
// `unnamed`, the paths of the ".app" folders without a readable Info.plist
// are gathered too.
std::vector<CategoryBundle> scanCategoryBundles(std::vector<std::string>* unnamed = nullptr);

// scanCategoryPrefs: identifiers of the entries of the preferences folder
// named "com.quarvek.nestora.<one part>.<extension>", in listing order. The
// tool lists the folder it checked; the form without one opens the folder
// (for programs that run as the folder's owner).
std::vector<std::string> scanCategoryPrefs(const std::optional<privileged::FileDescriptor>& folder);
std::vector<std::string> scanCategoryPrefs();

// collectCategoryIdentifiers: the preferences first, then bundles without one.
std::vector<std::string> collectCategoryIdentifiers(const std::vector<std::string>& prefs,
                                                    const std::vector<CategoryBundle>& bundles);

// printCategoryList (--list).
void printCategoryList(const ToolContext& context);

// showCategory (--show): false when the category has no preferences file.
bool showCategory(const ToolContext& context, std::string_view identifier);

}  // namespace nestora::tool
