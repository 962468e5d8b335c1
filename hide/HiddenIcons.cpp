#include "hide/HiddenIcons.h"

#include "hide/HiddenIconsFile.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::hide {

std::vector<std::string> hiddenInfoPlistPaths() {
    const std::optional<std::string> bytes = files::readFile(kHiddenIconsPath, kMaxHiddenIconsBytes);
    if (!bytes) return {};
    return hiddenPathsOfList(*bytes);
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
