#include "screens/editing/CategoryDisplayName.h"

#include "common/CategoryNaming.h"
#include "platform/Plist.h"

namespace nestora::screens {

std::optional<std::string> categoryDisplayName(std::string_view categoryBundleIdentifier) {
    const auto info =
        plist::readDictionaryKeys(bundlePathForIdentifier(categoryBundleIdentifier) + "/Info.plist",
                                  {"CFBundleDisplayName"});
    if (!info) {
        return std::nullopt;
    }
    const auto it = info->find("CFBundleDisplayName");
    if (it == info->end() || it->second.string() == nullptr) {
        return std::nullopt;
    }
    return *it->second.string();
}

}  // namespace nestora::screens
