#pragma once

// Repair (recreate a missing bundle or preferences file) and upgrade (convert
// the legacy format and refresh the launcher files), each for one category
// or for all of them. A bundle that is no category (CategoryIdentity.h) is
// refused with one line and left as it is.

#include <cstdio>
#include <string_view>

#include "tool/ToolContext.h"

namespace nestora::tool {

// repairCategory (--repair). A missing bundle is made only for a category:
// a name the tool numbers its categories with, or one with a preferences
// file. Any other name is no category, and the tool must not occupy the
// folder of an app yet to be installed: "ERROR: Category does not exist or
// is damaged." and nothing is made.
void repairCategory(const ToolContext& context, std::string_view identifier);

// repairEveryCategory (--repairall): every identifier of
// collectCategoryIdentifiers, in order.
void repairEveryCategory(const ToolContext& context);

// upgradeCategory (--upgrade): true when every launcher file was replaced.
bool upgradeCategory(const ToolContext& context, std::string_view identifier);

// upgradeEveryCategory (--upgradeall): every category with a preferences file.
void upgradeEveryCategory(const ToolContext& context);

// convertLegacyCategory: writes the preferences file from the legacy files
// when it does not exist, then removes the legacy files. When the file cannot
// be written the legacy files stay (they hold the only copy) and it fails.
bool convertLegacyCategory(const ToolContext& context, std::string_view identifier);

}  // namespace nestora::tool
