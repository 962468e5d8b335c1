#include "screens/settings/ThemeList.h"

#include "model/Prefs.h"
#include "platform/FileStatus.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::screens {

std::vector<std::string> discoverThemes() {
    std::vector<std::string> themes{std::string(model::kNoThemeName)};
    for (std::string_view folder : model::kThemeFolders) {
        auto entries = files::listFolder(folder);
        if (!entries) {
            continue;
        }
        std::string path;
        for (std::string& entry : *entries) {
            if (!plist::isPlainText(entry)) {
                continue;
            }
            path.assign(folder).append("/").append(entry).append("/Icons");
            // One stat per entry, following links as the launcher does.
            if (platform::fileMode(path)) {
                themes.push_back(std::move(entry));
            }
        }
    }
    return themes;
}

std::string_view themeNameWithoutExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace nestora::screens
