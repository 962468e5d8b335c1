#include "platform/IndexedInfoPlist.h"

#include <algorithm>
#include <string_view>

#include "platform/AppBundlePath.h"
#include "platform/PlainPlist.h"
#include "platform/Plist.h"

namespace nestora::platform {

namespace {

// The keys of an Info.plist the index keeps.
constexpr std::string_view kIndexedKeys[] = {"CFBundleIdentifier", "CFBundleExecutable", "CFBundleDisplayName",
                                             "CFBundleName", "UIRoleDisplayNames"};

// The index's entries from an Info.plist's keys, however they were read:
// `text` gives a key's string, `roles` the role names.
template <typename Text>
ReadInfoPlist indexEntries(const FileIdentity& identity, const std::string& parent, std::string folder, Text text,
                           std::unordered_map<std::string, std::string> roles) {
    ReadInfoPlist read{identity, std::nullopt, {}};
    // The executable and the roles name files beside the Info.plist: a name
    // that is no plain path component would lead out of the bundle, so the
    // app (or that role) is unknown.
    const std::optional<std::string> executable = text("CFBundleExecutable");
    if (executable && !isPlainPathComponent(*executable)) return read;
    read.identifier = text("CFBundleIdentifier");
    Bundle& bundle = read.bundle;
    bundle.folder = std::move(folder);
    bundle.parent = parent;
    bundle.executable = executable.value_or("");
    bundle.name = text("CFBundleDisplayName");
    if (!bundle.name) bundle.name = text("CFBundleName");
    std::erase_if(roles, [](const auto& role) { return !isPlainPathComponent(role.first); });
    bundle.roleNames = std::move(roles);
    return read;
}

}  // namespace

ReadInfoPlist readInfoPlist(const FileIdentity& identity, const std::string& parent, std::string folder,
                            const std::optional<std::string>& bytes) {
    if (!bytes) return ReadInfoPlist{identity, std::nullopt, {}};
    // Most Info.plists are plain dictionaries of strings: their keys are
    // taken as they lie in the bytes. Roles, or any indexed key that is not
    // a string there, take the way through values.
    if (auto plain = plist::readPlainDictionaryView(*bytes)) {
        const bool onlyStrings = std::none_of(plain->otherKeys.begin(), plain->otherKeys.end(), [](std::string_view key) {
            return std::find(std::begin(kIndexedKeys), std::end(kIndexedKeys), key) != std::end(kIndexedKeys);
        });
        if (onlyStrings && !plain->stringForKey("UIRoleDisplayNames")) {
            const auto text = [&](std::string_view key) -> std::optional<std::string> {
                auto found = plain->stringForKey(key);
                return found ? std::optional<std::string>(*found) : std::nullopt;
            };
            return indexEntries(identity, parent, std::move(folder), text, {});
        }
    }
    auto keys = plist::dictionaryKeysOf(*bytes, {kIndexedKeys[0], kIndexedKeys[1], kIndexedKeys[2], kIndexedKeys[3],
                                                 kIndexedKeys[4]});
    if (!keys) return ReadInfoPlist{identity, std::nullopt, {}};
    const plist::Value info(std::move(*keys));
    std::unordered_map<std::string, std::string> roles;
    if (const plist::Value* declared = info.find("UIRoleDisplayNames"); declared && declared->dictionary()) {
        for (const auto& [role, roleName] : *declared->dictionary()) {
            if (roleName.string()) roles.emplace(role, *roleName.string());
        }
    }
    return indexEntries(identity, parent, std::move(folder),
                        [&](std::string_view key) { return info.stringForKey(key); }, std::move(roles));
}


}  // namespace nestora::platform
