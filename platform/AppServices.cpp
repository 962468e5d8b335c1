#include "platform/AppServices.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>
#include <vector>

#include "platform/DeviceRoot.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"
#include "platform/UniqueFd.h"

namespace nestora::platform {

namespace {

constexpr std::string_view kSystemApplications = "/Applications";
constexpr std::string_view kUserApplications = "/var/mobile/Applications";

struct Bundle {
    std::string folder;      // device path of the bundle folder
    std::string parent;      // the folder holding it
    std::string executable;  // CFBundleExecutable (may be empty)
    std::optional<std::string> name;
    std::unordered_map<std::string, std::string> roleNames;  // UIRoleDisplayNames
};

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

struct DeviceAppServices::Index {
    std::unordered_map<std::string, Bundle> bundles;  // by bundle identifier; first found wins
};

struct DeviceAppServices::State {
    Index index;
    bool built = false;
    std::string root;  // the device root the index was built for
    UniqueFd watch;    // inotify; becomes readable when a watched folder changes

    void addBundle(const std::string& parent, const std::string& name) {
        std::string folder = parent + "/" + name;
        auto keys = plist::readDictionaryKeys(folder + "/Info.plist", {"CFBundleIdentifier", "CFBundleExecutable",
                                                                       "CFBundleDisplayName", "CFBundleName",
                                                                       "UIRoleDisplayNames"});
        if (!keys) return;
        const plist::Value info(std::move(*keys));
        auto identifier = info.stringForKey("CFBundleIdentifier");
        if (!identifier || index.bundles.contains(*identifier)) return;
        Bundle bundle;
        bundle.folder = std::move(folder);
        bundle.parent = parent;
        bundle.executable = info.stringForKey("CFBundleExecutable").value_or("");
        bundle.name = info.stringForKey("CFBundleDisplayName");
        if (!bundle.name) bundle.name = info.stringForKey("CFBundleName");
        if (const plist::Value* roles = info.find("UIRoleDisplayNames"); roles && roles->dictionary()) {
            for (const auto& [role, roleName] : *roles->dictionary()) {
                if (roleName.string()) bundle.roleNames.emplace(role, *roleName.string());
            }
        }
        index.bundles.emplace(*identifier, std::move(bundle));
    }

    void addWatch(std::string_view folder) {
        if (!watch) return;
        constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_CLOSE_WRITE | IN_ONLYDIR;
        (void)inotify_add_watch(watch.get(), hostPath(folder).c_str(), kEvents);
    }

    void rebuild() {
        index.bundles.clear();
        root = deviceRoot();
        // The containers are the user's: a set-user-id caller lists and reads
        // them with the user's rights, so a link there to a root-only file
        // or folder shows nothing. (Info.plists are read without following a
        // final link, and never by waiting on a FIFO.)
        privileged::InvokerRights asInvoker;
        if (!asInvoker.active()) {
            built = true;
            return;
        }
        watch.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        // Watch first, then read, so a change during the scan is not lost.
        addWatch(kSystemApplications);
        addWatch(kUserApplications);
        for (const auto& name : files::listFolder(kSystemApplications).value_or(std::vector<std::string>{})) {
            if (!endsWith(name, ".app")) continue;
            // Category bundles are renamed in place; watch them for a new Info.plist.
            addWatch(std::string(kSystemApplications) + "/" + name);
            addBundle(std::string(kSystemApplications), name);
        }
        for (const auto& container : files::listFolder(kUserApplications).value_or(std::vector<std::string>{})) {
            const std::string containerPath = std::string(kUserApplications) + "/" + container;
            addWatch(containerPath);
            for (const auto& name : files::listFolder(containerPath).value_or(std::vector<std::string>{})) {
                if (endsWith(name, ".app")) addBundle(containerPath, name);
            }
        }
        built = true;
    }

    // True when a watched folder changed since the last build (or the watch
    // could not be set up, in which case every lookup rebuilds).
    bool stale() {
        if (!built || root != deviceRoot()) return true;
        if (!watch) return true;
        alignas(inotify_event) char buffer[4096];
        bool changed = false;
        for (;;) {
            ssize_t got = ::read(watch.get(), buffer, sizeof buffer);
            if (got > 0) {
                changed = true;
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            break;
        }
        return changed;
    }
};

DeviceAppServices::DeviceAppServices() : state_(std::make_unique<State>()) {}
DeviceAppServices::~DeviceAppServices() = default;

const DeviceAppServices::Index& DeviceAppServices::current() const {
    if (state_->stale()) state_->rebuild();
    return state_->index;
}

namespace {

struct Resolved {
    const Bundle* bundle = nullptr;
    std::string role;  // empty for the bundle itself
};

Resolved resolve(const std::unordered_map<std::string, Bundle>& bundles, std::string_view displayIdentifier) {
    if (auto it = bundles.find(std::string(displayIdentifier)); it != bundles.end()) {
        return {&it->second, {}};
    }
    const auto dash = displayIdentifier.rfind('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == displayIdentifier.size()) return {};
    auto it = bundles.find(std::string(displayIdentifier.substr(0, dash)));
    if (it == bundles.end()) return {};
    std::string role(displayIdentifier.substr(dash + 1));
    // Only the roles a bundle declares exist.
    if (!it->second.roleNames.contains(role)) return {};
    return {&it->second, std::move(role)};
}

}  // namespace

std::optional<std::string> DeviceAppServices::executablePathForDisplayIdentifier(std::string_view displayIdentifier) const {
    Resolved found = resolve(current().bundles, displayIdentifier);
    if (found.bundle == nullptr || found.bundle->executable.empty()) return std::nullopt;
    if (!found.role.empty()) {
        std::string rolePath = found.bundle->parent + "/" + found.role + ".app/" + found.bundle->executable;
        if (files::exists(rolePath)) return rolePath;
    }
    return found.bundle->folder + "/" + found.bundle->executable;
}

std::optional<std::string> DeviceAppServices::localizedApplicationNameForDisplayIdentifier(
    std::string_view displayIdentifier) const {
    Resolved found = resolve(current().bundles, displayIdentifier);
    if (found.bundle == nullptr) return std::nullopt;
    if (found.role.empty()) return found.bundle->name;
    return found.bundle->roleNames.at(found.role);
}

std::size_t DeviceAppServices::bundleCount() const { return current().bundles.size(); }

}  // namespace nestora::platform
