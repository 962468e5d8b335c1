#pragma once

// Which categories the list screen shows: one per preferences file whose
// name begins "com.quarvek.nestora" and splits at "." into exactly five parts
// (three prefix parts, the category part, the extension) and whose category
// part the tool accepts as a directory name. Rows follow the folder
// listing's order; nothing is sorted.

#include <string>
#include <string_view>
#include <vector>

namespace nestora::app {

// The bundle identifier a preferences file name stands for (the name less
// its last extension), or "" when the file is not a category's.
std::string categoryIdentifierForPreferencesFileName(std::string_view fileName);

// The identifiers for every category file in the preferences folder, in
// listing order; empty when the folder cannot be read.
std::vector<std::string> listCategoryIdentifiers();

}  // namespace nestora::app
