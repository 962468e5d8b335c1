#include "platform/FolderNames.h"

#include <algorithm>
#include <string_view>

namespace nestora::platform {

std::vector<std::string> sortedFolderNames(DIR* dir) {
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    // std::string compares its chars as unsigned bytes: byte order.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace nestora::platform
