#include "platform/AppBundlePath.h"

#include <algorithm>
#include <vector>

#include "platform/PrivilegedFiles.h"

namespace nestora::platform {

namespace {

constexpr std::string_view kInfoPlist = "Info.plist";

// The components of an absolute path; none when one of them is not plain.
std::optional<std::vector<std::string_view>> plainComponents(std::string_view path) {
    if (!path.starts_with('/')) return std::nullopt;
    std::vector<std::string_view> components;
    path.remove_prefix(1);
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view component = path.substr(0, slash);
        if (!isPlainPathComponent(component)) return std::nullopt;
        components.push_back(component);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return components;
}

// Whether bundles may lie in the folder: /Applications, or a container
// directly in /var/mobile/Applications.
bool holdsBundles(const std::vector<std::string_view>& folder) {
    const auto system = plainComponents(kSystemApplicationsFolder);
    const auto user = plainComponents(kUserApplicationsFolder);
    return folder == *system ||
           (folder.size() == user->size() + 1 && std::equal(user->begin(), user->end(), folder.begin()));
}

}  // namespace

bool isPlainPathComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::optional<std::string> roleExecutablePath(std::string_view folder, std::string_view role,
                                              std::string_view executable) {
    const auto components = plainComponents(folder);
    if (!components || !isPlainPathComponent(role) || !isPlainPathComponent(executable)) return std::nullopt;
    if (!holdsBundles(*components)) return std::nullopt;
    const std::string roleFolder = std::string(role) + ".app";
    privileged::InvokerRights asInvoker;
    if (!asInvoker.active()) return std::nullopt;
    const auto opened = privileged::openFolder(std::string(folder) + "/" + roleFolder);
    if (!opened || privileged::entryKind(*opened, executable) != privileged::EntryKind::RegularFile) {
        return std::nullopt;
    }
    return std::string(folder) + "/" + roleFolder + "/" + std::string(executable);
}

bool isAppBundleInfoPlistPath(std::string_view path) {
    auto components = plainComponents(path);
    if (!components || components->size() < 2 || components->back() != kInfoPlist) return false;
    components->pop_back();
    const std::string_view bundle = components->back();
    if (!bundle.ends_with(".app")) return false;
    components->pop_back();
    if (!holdsBundles(*components)) return false;
    privileged::InvokerRights asInvoker;
    if (!asInvoker.active()) return false;
    const auto opened = privileged::openFolder(path.substr(0, path.size() - kInfoPlist.size() - 1));
    if (!opened) return false;
    const auto kind = privileged::entryKind(*opened, kInfoPlist);
    return kind == privileged::EntryKind::RegularFile || kind == privileged::EntryKind::Missing;
}

}  // namespace nestora::platform
