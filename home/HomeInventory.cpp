#include "home/HomeInventory.h"

#include <unordered_set>

#include "common/CategoryNaming.h"
#include "common/IconHiding.h"
#include "hide/HiddenIcons.h"
#include "model/AppInventory.h"
#include "platform/Files.h"
#include "ui/BundleImages.h"

namespace nestora::home {

namespace {

// A category is a bundle the tool made: a well-formed category identifier
// whose bundle sits where the identifier says. Another app that merely
// claims such an identifier is an ordinary app.
bool isCategory(std::string_view identifier, std::string_view bundlePath) {
    if (!identifier.starts_with(kCategoryIdentifierPrefix) || dotComponentCount(identifier) != 4) return false;
    const std::string directory = categoryDirectoryName(identifier);
    return !directory.empty() && directory.find('/') == std::string::npos &&
           bundlePath == bundlePathForIdentifier(identifier);
}

std::string folderName(std::string_view bundlePath) {
    std::string_view name = bundlePath.substr(bundlePath.rfind('/') + 1);
    if (name.ends_with(".app")) name.remove_suffix(4);
    return std::string(name);
}

// The icon of an app whose executable and name the services gave.
std::optional<HomeIcon> iconForExecutable(std::string_view displayIdentifier, const std::string& executable,
                                          const std::optional<std::string>& name) {
    const auto slash = executable.rfind('/');
    if (slash == std::string::npos || slash == 0 || !files::isRegularFile(executable)) return std::nullopt;
    HomeIcon icon;
    icon.displayIdentifier = std::string(displayIdentifier);
    icon.bundlePath = executable.substr(0, slash);
    icon.name = name.value_or(folderName(icon.bundlePath));
    if (icon.bundlePath == ui::kAppBundlePath) {
        icon.kind = HomeIcon::Kind::Nestora;
    } else if (isCategory(displayIdentifier, icon.bundlePath)) {
        icon.kind = HomeIcon::Kind::Category;
    }
    return icon;
}

}  // namespace

std::optional<HomeIcon> installedIcon(const platform::AppServices& services, std::string_view displayIdentifier) {
    const auto executable = services.executablePathForDisplayIdentifier(displayIdentifier);
    if (!executable) return std::nullopt;
    return iconForExecutable(displayIdentifier, *executable,
                             services.localizedApplicationNameForDisplayIdentifier(displayIdentifier));
}

std::vector<HomeIcon> homeScreenIcons(const platform::AppServices& services, std::string_view deviceModel) {
    // The names, executables and pages of one reload come from one look at
    // the device.
    const platform::AppServices::Batch batch(services);
    const std::vector<std::string> hiddenPaths = hide::hiddenInfoPlistPaths();
    const std::unordered_set<std::string> hidden(hiddenPaths.begin(), hiddenPaths.end());
    std::unordered_set<std::string> seen;
    std::vector<HomeIcon> icons;
    // The names the apps were sorted by are the names they show.
    for (const model::NamedApp& app :
         model::sortedWithLocalizedNames(services, model::scanInstalledApps(services, deviceModel))) {
        const std::string& id = app.displayIdentifier;
        if (!seen.insert(id).second) continue;
        const auto executable = services.executablePathForDisplayIdentifier(id);
        if (!executable) continue;
        // The hide library knows an app by the Info.plist path it was handed:
        // the executable's folder and "Info.plist", as setIconHidden forms it.
        if (hidden.contains(infoPlistPathForExecutable(*executable))) continue;
        if (auto icon = iconForExecutable(id, *executable, app.name)) icons.push_back(std::move(*icon));
    }
    return icons;
}

}  // namespace nestora::home
