#include "home/CategoryContents.h"

#include "home/HomeInventory.h"
#include "model/CategoryItems.h"
#include "model/Prefs.h"
#include "platform/Files.h"

namespace nestora::home {

namespace {

// A name that can stand as one component of a path: the stored theme name
// and the app's names come from files anyone may write.
bool isPlainComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace

std::vector<HomeIcon> categoryItems(const platform::Preferences& preferences, const platform::AppServices& services,
                                    std::string_view categoryBundleIdentifier) {
    std::vector<HomeIcon> items;
    const auto stored = preferences.copyAppValue(model::kItemsKey, categoryBundleIdentifier);
    if (!stored || !stored->isArray()) return items;
    for (const plist::Value& entry : *stored->array()) {
        const std::string* id = entry.string();
        if (id == nullptr) continue;
        if (auto icon = installedIcon(services, *id)) items.push_back(std::move(*icon));
    }
    return items;
}

std::optional<std::string> themeIconPath(std::string_view themeName, const HomeIcon& app) {
    if (themeName == model::kNoThemeName || !isPlainComponent(themeName)) return std::nullopt;
    for (std::string_view folder : model::kThemeFolders) {
        const std::string icons = std::string(folder) + "/" + std::string(themeName) + "/Icons/";
        for (const std::string& name : {app.displayIdentifier, app.name}) {
            if (!isPlainComponent(name)) continue;
            std::string path = icons + name + ".png";
            if (files::isRegularFile(path)) return path;
        }
    }
    return std::nullopt;
}

}  // namespace nestora::home
