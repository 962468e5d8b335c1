#include "platform/RootRun.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/DeviceRoot.h"
#include "platform/Preferences.h"
#include "platform/UniqueFd.h"

namespace nestora::platform {

namespace {

// Owned by root and writable by nobody else: no user can have changed it.
bool isRootsAlone(const struct stat& st) { return st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0; }

struct OpenedFolder {
    UniqueFd folder;
    bool wayIsRootsAlone = true;  // every folder on the way, the device root included
};

// Opens the folder one component at a time. A link is followed only where
// it sits in a folder that is root's alone (root put it there); anywhere
// else the walk stops.
std::optional<OpenedFolder> openWithoutUserLinks(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') return std::nullopt;
    OpenedFolder opened{UniqueFd(::open(hostPath("/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), true};
    std::size_t position = 0;
    while (opened.folder && position < devicePath.size()) {
        std::size_t end = devicePath.find('/', position);
        if (end == std::string_view::npos) end = devicePath.size();
        const std::string name(devicePath.substr(position, end - position));
        position = end + 1;
        if (name.empty() || name == ".") continue;
        if (name == "..") return std::nullopt;
        struct stat here {};
        if (::fstat(opened.folder.get(), &here) != 0) return std::nullopt;
        const bool hereIsRootsAlone = isRootsAlone(here);
        opened.wayIsRootsAlone = opened.wayIsRootsAlone && hereIsRootsAlone;
        int next = ::openat(opened.folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && (errno == ELOOP || errno == ENOTDIR) && hereIsRootsAlone) {
            next = ::openat(opened.folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        opened.folder = UniqueFd(next);
    }
    if (!opened.folder) return std::nullopt;
    return opened;
}

struct UserEntry {
    std::string name;
    gid_t gid = 0;
};

std::optional<UserEntry> userEntry(uid_t uid) {
    passwd storage{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &storage, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    return UserEntry{found->pw_name, found->pw_gid};
}

// The user's groups as the group database lists them, the user's own first.
std::optional<std::vector<gid_t>> groupsOf(const UserEntry& user) {
    int count = 16;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (::getgrouplist(user.name.c_str(), user.gid, groups.data(), &count) < 0) {
        if (count <= static_cast<int>(groups.size()) || count > 65536) return std::nullopt;
        groups.resize(static_cast<std::size_t>(count));
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

// Groups first: once the user id is gone, so is the right to change them.
// Afterwards every id, real, effective and saved, must be the user's, so
// nothing can take root back.
bool switchTo(uid_t uid, const UserEntry& user) {
    const auto groups = groupsOf(user);
    if (!groups || ::setgroups(groups->size(), groups->data()) != 0) return false;
    if (::setresgid(user.gid, user.gid, user.gid) != 0 || ::setresuid(uid, uid, uid) != 0) return false;
    uid_t real = 0, effective = 0, saved = 0;
    gid_t realGroup = 0, effectiveGroup = 0, savedGroup = 0;
    return ::getresuid(&real, &effective, &saved) == 0 && real == uid && effective == uid && saved == uid &&
           ::getresgid(&realGroup, &effectiveGroup, &savedGroup) == 0 && realGroup == user.gid &&
           effectiveGroup == user.gid && savedGroup == user.gid;
}

RootRun refused(std::string problem) { return RootRun{RootRunOutcome::Refused, 0, std::move(problem)}; }

}  // namespace

RootRun leaveRootForFolderOwner(std::string_view devicePath) {
    if (::geteuid() != 0 && ::getuid() != 0) return RootRun{};
    const std::string shown(devicePath);
    const auto opened = openWithoutUserLinks(devicePath);
    if (!opened) return refused(shown + " is missing, not a folder, or reached through a link");
    struct stat st {};
    if (::fstat(opened->folder.get(), &st) != 0) return refused(shown + " cannot be examined");
    if (st.st_uid == 0) {
        if (opened->wayIsRootsAlone && isRootsAlone(st)) return RootRun{RootRunOutcome::KeptRoot, 0, {}};
        return refused(shown + " belongs to root where another user can change it");
    }
    const auto user = userEntry(st.st_uid);
    if (!user) return refused(shown + " belongs to user id " + std::to_string(st.st_uid) + ", which is no user");
    if (!switchTo(st.st_uid, *user)) return refused("cannot become " + user->name + ", the owner of " + shown);
    return RootRun{RootRunOutcome::BecameOwner, st.st_uid, {}};
}

std::string rootRunRefusal(std::string_view program, const RootRun& run) {
    return std::string(program) + ": refusing to run as root: " + run.problem + "\n";
}

bool leaveRootForPreferencesOwner(std::string_view program, std::FILE* err) {
    const RootRun run = leaveRootForFolderOwner(kPreferencesFolder);
    if (run.outcome != RootRunOutcome::Refused) return true;
    std::fputs(rootRunRefusal(program, run).c_str(), err);
    return false;
}

}  // namespace nestora::platform
