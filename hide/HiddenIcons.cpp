#include "hide/HiddenIcons.h"

#include "hide/HiddenIconsFile.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::hide {

std::vector<std::string> hiddenInfoPlistPaths() {
    std::vector<std::string> paths;
    const auto value = plist::readFile(kHiddenIconsPath);
    if (!value || !value->isArray()) return paths;
    for (const plist::Value& entry : *value->array()) {
        if (const std::string* path = entry.string()) paths.push_back(*path);
    }
    return paths;
}

bool writeHiddenInfoPlistPaths(const std::vector<std::string>& paths) {
    // The folders of the file, outermost first; existing ones simply fail.
    const std::string_view file = kHiddenIconsPath;
    for (std::size_t slash = file.find('/', 1); slash != std::string_view::npos; slash = file.find('/', slash + 1)) {
        (void)files::createFolder(file.substr(0, slash));
    }
    return files::writeFileAtomically(kHiddenIconsPath, hiddenIconsFileBytes(paths, 0, 0));
}

}  // namespace nestora::hide
