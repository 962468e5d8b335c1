#include "platform/AppServices.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/AppBundlePath.h"
#include "platform/DeviceRoot.h"
#include "platform/FileStatus.h"
#include "platform/IndexedInfoPlist.h"
#include "platform/Files.h"
#include "platform/OpenFolder.h"
#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"
#include "platform/UniqueFd.h"

namespace nestora::platform {

namespace {

constexpr std::string_view kSystemApplications = "/Applications";
constexpr std::string_view kUserApplications = "/var/mobile/Applications";

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
    UniqueFd watch;    // inotify; readable when a watched folder changes

    // What the folders held at the last look, in listing order, and what
    // each bundle's Info.plist gave. A change reported by inotify has only
    // its own folder listed again and only changed Info.plists read again:
    // a category created or renamed costs one listing of /Applications and
    // one read, not a read of every app on the device.
    std::unordered_map<int, std::string> watched;  // watch descriptor -> device folder
    std::vector<std::string> systemBundles;        // "<name>.app" in /Applications
    std::optional<files::OpenFolder> systemFolder;  // /Applications as last listed
    std::vector<std::string> containers;           // device paths under /var/mobile/Applications
    std::unordered_map<std::string, std::vector<std::string>> containerBundles;
    std::unordered_map<std::string, ReadInfoPlist> read;  // by bundle folder

    // The batch of lookups under way (AppServices::Batch): its number, how
    // deeply it is nested, and what it has looked at once already.
    std::uint64_t batch = 0;
    int batchDepth = 0;
    bool refreshedInBatch = false;
    bool unnamedCheckedInBatch = false;
    std::uint64_t currentBatch() const { return batchDepth > 0 ? batch : 0; }

    void addWatch(const std::string& folder) {
        if (!watch) return;
        constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_CLOSE_WRITE | IN_ONLYDIR;
        const int descriptor = inotify_add_watch(watch.get(), hostPath(folder).c_str(), kEvents);
        if (descriptor >= 0) watched.insert_or_assign(descriptor, folder);
    }

    // Reads a bundle's Info.plist again unless its file is the one read last.
    // The parent folder is opened here unless the caller holds it open (a
    // scan reads thousands of Info.plists: each is opened relative to its
    // folder, and its identity taken from the file opened).
    void refreshBundle(const std::string& parent, const std::string& name,
                       const files::OpenFolder* parentFolder = nullptr) {
        const std::string folder = parent + "/" + name;
        std::optional<files::OpenFolder> opened;
        if (parentFolder == nullptr && (opened = files::OpenFolder::open(parent))) parentFolder = &*opened;
        struct stat status {};
        const UniqueFd file = parentFolder ? parentFolder->openRegularFile(name + "/Info.plist", status) : UniqueFd();
        if (!file) {
            read.erase(folder);
            return;
        }
        const FileIdentity identity = identityOf(status);
        auto known = read.find(folder);
        if (known == read.end() || !(known->second.identity == identity)) {
            read.insert_or_assign(folder, readInfoPlist(identity, parent, folder,
                                                        files::readRegularFile(file.get(), status, plist::kMaxInputBytes)));
        }
    }

    static std::vector<std::string> bundleNames(const std::optional<files::OpenFolder>& folder) {
        std::vector<std::string> names;
        for (auto& name : (folder ? folder->list() : std::nullopt).value_or(std::vector<std::string>{})) {
            if (endsWith(name, ".app")) names.push_back(std::move(name));
        }
        return names;
    }

    // Lists a folder of bundles and reads what changed in it.
    std::vector<std::string> refreshFolder(const std::string& parent) {
        const std::optional<files::OpenFolder> folder = files::OpenFolder::open(parent);
        if (!folder) return {};
        std::vector<std::string> names = bundleNames(folder);
        for (const auto& name : names) refreshBundle(parent, name, &*folder);
        return names;
    }

    void listSystemBundles() {
        // Held open for the lookups that look at an Info.plist in it again
        // (a new build opens it anew: /Applications replaced is seen there).
        systemFolder = files::OpenFolder::open(kSystemApplications);
        systemBundles = refreshFolder(std::string(kSystemApplications));
    }

    // The identity of a bundle's Info.plist in /Applications, looked at
    // relative to the folder held open: a few components to walk, not the
    // whole device path.
    std::optional<FileIdentity> systemInfoPlistIdentity(const std::string& bundleName) const {
        if (!systemFolder) return regularFileIdentity(std::string(kSystemApplications) + "/" + bundleName + "/Info.plist");
        const auto status = systemFolder->statusOf(bundleName + "/Info.plist");
        if (!status || !S_ISREG(status->st_mode)) return std::nullopt;
        return identityOf(*status);
    }

    // Bundles in /Applications are not watched one by one (a device holds
    // thousands; inotify allows a user a few thousand watches in all): an
    // Info.plist written in place there (a category renamed) is found by
    // looking at the file's identity when a lookup lands on its bundle, and
    // one that appeared in a bundle that had none when a lookup finds
    // nothing. True when the index changed.
    bool revalidateSystemBundle(const std::string& folder) {
        auto known = read.find(folder);
        const std::uint64_t inBatch = currentBatch();
        if (inBatch != 0 && known != read.end() && known->second.checkedInBatch == inBatch) return false;
        const auto identity = systemInfoPlistIdentity(folder.substr(kSystemApplications.size() + 1));
        if (known != read.end() && identity && known->second.identity == *identity) {
            known->second.checkedInBatch = inBatch;
            return false;
        }
        privileged::InvokerRights asInvoker;
        if (!asInvoker.active()) return false;
        refreshBundle(std::string(kSystemApplications), folder.substr(kSystemApplications.size() + 1));
        if (auto again = read.find(folder); again != read.end()) again->second.checkedInBatch = inBatch;
        makeIndex();
        return true;
    }

    bool revalidateUnnamedSystemBundles() {
        if (currentBatch() != 0) {
            if (unnamedCheckedInBatch) return false;
            unnamedCheckedInBatch = true;
        }
        bool changed = false;
        for (const auto& name : systemBundles) {
            const std::string folder = std::string(kSystemApplications) + "/" + name;
            auto known = read.find(folder);
            if (known != read.end() && known->second.identifier) continue;
            const auto identity = systemInfoPlistIdentity(name);
            if (!identity || (known != read.end() && known->second.identity == *identity)) continue;
            privileged::InvokerRights asInvoker;
            if (!asInvoker.active()) return false;
            refreshBundle(std::string(kSystemApplications), name);
            changed = true;
        }
        if (changed) makeIndex();
        return changed;
    }

    void listContainer(const std::string& container) { containerBundles[container] = refreshFolder(container); }

    void listContainers() {
        containers.clear();
        for (const auto& name : files::listFolder(kUserApplications).value_or(std::vector<std::string>{})) {
            containers.push_back(std::string(kUserApplications) + "/" + name);
        }
        for (const auto& container : containers) {
            // Watch first, then read, so a change during the listing is not lost.
            addWatch(container);
            listContainer(container);
        }
    }

    // The index from what the folders hold, in the order they list: the
    // first bundle found with an identifier is the one the index keeps.
    void makeIndex() {
        index.bundles.clear();
        std::unordered_map<std::string, ReadInfoPlist> held;
        const auto add = [this, &held](const std::string& parent, const std::string& name) {
            auto found = read.find(parent + "/" + name);
            if (found == read.end()) return;
            auto& kept = held.insert_or_assign(found->first, std::move(found->second)).first->second;
            if (kept.identifier) index.bundles.try_emplace(*kept.identifier, kept.bundle);
        };
        for (const auto& name : systemBundles) add(std::string(kSystemApplications), name);
        for (const auto& container : containers) {
            for (const auto& name : containerBundles[container]) add(container, name);
        }
        // What no folder holds any more is forgotten.
        read = std::move(held);
    }

    void rebuild() {
        index.bundles.clear();
        watched.clear();
        systemBundles.clear();
        systemFolder.reset();
        containers.clear();
        containerBundles.clear();
        if (root != deviceRoot()) read.clear();
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
        addWatch(std::string(kSystemApplications));
        addWatch(std::string(kUserApplications));
        listSystemBundles();
        listContainers();
        makeIndex();
        built = true;
    }

    // Applies what inotify reported since the last look: each folder that
    // changed is listed again. False when the index must be built anew (the
    // queue overflowed, or a watched top folder itself went away).
    bool applyChanges(const std::vector<int>& changedWatches) {
        privileged::InvokerRights asInvoker;
        if (!asInvoker.active()) return false;
        bool systemChanged = false;
        bool containersChanged = false;
        std::vector<std::string> containerChanged;
        for (int descriptor : changedWatches) {
            auto folder = watched.find(descriptor);
            if (folder == watched.end()) continue;  // a watch since dropped
            const std::string& path = folder->second;
            if (path == kSystemApplications) {
                systemChanged = true;
            } else if (path == kUserApplications) {
                containersChanged = true;
            } else if (containerBundles.contains(path)) {
                containerChanged.push_back(path);
            }
        }
        if (systemChanged) listSystemBundles();
        if (containersChanged) {
            containerBundles.clear();
            listContainers();
        } else {
            for (const auto& container : containerChanged) listContainer(container);
        }
        makeIndex();
        return true;
    }

    // Brings the index up to date; lookups then cost no file-system access
    // until a watched folder changes.
    void refresh() {
        if (!built || !isDeviceRoot(root) || !watch) {
            rebuild();
            return;
        }
        alignas(inotify_event) char buffer[4096];
        std::vector<int> changed;
        bool overflowed = false;  // or anything else that needs a new build
        for (;;) {
            const ssize_t got = ::read(watch.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW) overflowed = true;
                // A top folder moved or gone is watched again only by a new
                // build (the watch followed the old folder).
                if (event->mask & (IN_IGNORED | IN_MOVE_SELF | IN_DELETE_SELF)) {
                    auto folder = watched.find(event->wd);
                    if (folder != watched.end() &&
                        (folder->second == kSystemApplications || folder->second == kUserApplications)) {
                        overflowed = true;
                    }
                }
                if (event->mask & IN_IGNORED) {
                    watched.erase(event->wd);
                } else if (event->wd >= 0) {
                    changed.push_back(event->wd);
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (changed.empty() && !overflowed) return;
        if (overflowed || !applyChanges(changed)) rebuild();
    }
};

DeviceAppServices::DeviceAppServices() : state_(std::make_unique<State>()) {}
DeviceAppServices::~DeviceAppServices() = default;

const DeviceAppServices::Index& DeviceAppServices::current() const {
    if (state_->currentBatch() == 0 || !state_->refreshedInBatch) {
        state_->refresh();
        state_->refreshedInBatch = state_->currentBatch() != 0;
    }
    return state_->index;
}

void DeviceAppServices::beginBatch() const {
    if (state_->batchDepth++ == 0) {
        ++state_->batch;
        state_->refreshedInBatch = false;
        state_->unnamedCheckedInBatch = false;
    }
}

void DeviceAppServices::endBatch() const { --state_->batchDepth; }

namespace {

struct Found {
    const Bundle* bundle = nullptr;
    std::string role;  // empty for the bundle itself
};

Found resolve(const std::unordered_map<std::string, Bundle>& bundles, std::string_view displayIdentifier) {
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

struct DeviceAppServices::Resolved : Found {};

DeviceAppServices::Resolved DeviceAppServices::resolved(std::string_view displayIdentifier) const {
    Found found = resolve(current().bundles, displayIdentifier);
    // Looked up again only when the check changed the index.
    const bool changed = found.bundle != nullptr
                             ? found.bundle->parent == kSystemApplications &&
                                   state_->revalidateSystemBundle(found.bundle->folder)
                             : state_->revalidateUnnamedSystemBundles();
    return Resolved{changed ? resolve(state_->index.bundles, displayIdentifier) : std::move(found)};
}

std::optional<std::vector<std::string>> DeviceAppServices::scannedBundleIdentifiers() const {
    current();
    std::vector<std::string> identifiers;
    const auto add = [&](const std::string& folder) {
        auto found = state_->read.find(folder);
        if (found != state_->read.end() && found->second.identifier && !found->second.identifier->empty()) {
            identifiers.push_back(*found->second.identifier);
        }
    };
    for (const auto& name : state_->systemBundles) {
        if (!name.starts_with('.')) add(std::string(kSystemApplications) + "/" + name);
    }
    for (const auto& container : state_->containers) {
        for (const auto& name : state_->containerBundles[container]) add(container + "/" + name);
    }
    return identifiers;
}

std::optional<std::string> DeviceAppServices::executablePathForDisplayIdentifier(std::string_view displayIdentifier) const {
    const Resolved found = resolved(displayIdentifier);
    if (found.bundle == nullptr || found.bundle->executable.empty()) return std::nullopt;
    if (!found.role.empty()) {
        if (auto rolePath = roleExecutablePath(found.bundle->parent, found.role, found.bundle->executable)) {
            return rolePath;
        }
    }
    return found.bundle->folder + "/" + found.bundle->executable;
}

std::optional<std::string> DeviceAppServices::localizedApplicationNameForDisplayIdentifier(
    std::string_view displayIdentifier) const {
    const Resolved found = resolved(displayIdentifier);
    if (found.bundle == nullptr) return std::nullopt;
    if (found.role.empty()) return found.bundle->name;
    return found.bundle->roleNames.at(found.role);
}

std::size_t DeviceAppServices::bundleCount() const { return current().bundles.size(); }

}  // namespace nestora::platform
