// The stand-in for the outside icon-hiding library. It keeps the set of
// hidden apps (by Info.plist path) in a property list of its own in the
// device root; the home screen of a sample device would read it from there.

#include <algorithm>
#include <string>

#include "platform/Files.h"
#include "platform/Plist.h"

namespace {

constexpr const char* kHiddenIconsPath = "/var/lib/nestora/hidden-icons.plist";

nestora::plist::Array readHidden() {
    auto value = nestora::plist::readFile(kHiddenIconsPath);
    if (value && value->array()) return *value->array();
    return {};
}

bool changeHidden(const char* infoPlistPath, bool hide) {
    if (infoPlistPath == nullptr) return false;
    nestora::plist::Array hidden = readHidden();
    const std::string path(infoPlistPath);
    auto it = std::find_if(hidden.begin(), hidden.end(), [&](const nestora::plist::Value& v) {
        return v.string() && *v.string() == path;
    });
    const bool present = it != hidden.end();
    if (hide == present) return false;
    if (hide) {
        hidden.emplace_back(path);
    } else {
        hidden.erase(it);
    }
    for (const char* folder : {"/var", "/var/lib", "/var/lib/nestora"}) (void)nestora::files::createFolder(folder);
    return nestora::plist::writeXmlAtomically(kHiddenIconsPath, nestora::plist::Value(std::move(hidden)));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool HideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, true);
}

extern "C" __attribute__((visibility("default"))) bool UnHideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, false);
}
