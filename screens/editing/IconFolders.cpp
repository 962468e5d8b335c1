#include "screens/editing/IconFolders.h"

#include "platform/Files.h"

namespace nestora::screens {

std::vector<std::string> iconFolders(std::string_view appBundlePath) {
    return {std::string(appBundlePath) + "/icons", std::string(kUserIconsFolder)};
}

std::vector<std::string> findIconPaths(std::string_view appBundlePath) {
    std::vector<std::string> paths;
    for (const std::string& folder : iconFolders(appBundlePath)) {
        if (auto names = files::listFolder(folder)) {
            for (const std::string& name : *names) {
                paths.push_back(folder + "/" + name);
            }
        }
    }
    return paths;
}

}  // namespace nestora::screens
