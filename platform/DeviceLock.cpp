#include "platform/DeviceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <thread>

#include "platform/DeviceRoot.h"
#include "platform/PrivilegedFiles.h"

namespace nestora::platform {

namespace {

constexpr std::string_view kLockFileName = "categories.lock";
// Descriptors a parent may have handed down are looked for below this.
constexpr int kMostInheritedDescriptors = 1024;

// A folder a root run may keep the lock in: root's, and nobody else may
// change it. A run without root's rights (on a device root of its own)
// works with its own files and can spoil no one's lock but its own.
bool trustedFolder(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return geteuid() != 0 || (st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0);
}

// Opens the lock folder one component at a time from the device root,
// making what is missing (0755), never through a link, and, for a root
// run, only through folders that belong to root and that nobody else may
// change.
UniqueFd openLockFolder() {
    UniqueFd current(open(hostPath("/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string_view rest = kDeviceLockFolder;
    while (current && !rest.empty()) {
        const auto start = rest.find_first_not_of('/');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::string component(rest.substr(0, rest.find('/')));
        rest.remove_prefix(component.size());
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        int next = openat(current.get(), component.c_str(), kFlags);
        if (next < 0 && errno == ENOENT && (mkdirat(current.get(), component.c_str(), 0755) == 0 || errno == EEXIST)) {
            next = openat(current.get(), component.c_str(), kFlags);
        }
        current.reset(next);
        if (current && !trustedFolder(current.get())) current.reset();
    }
    return current;
}

// The lock file, laid when missing and given to the owner of the user's
// folder (0600).
UniqueFd openLockFileAsRoot(std::string_view usersFolder) {
    uid_t owner = 0;
    gid_t group = 0;
    if (auto users = privileged::openFolder(usersFolder)) {
        struct stat st {};
        if (fstat(users->get(), &st) == 0) {
            owner = st.st_uid;
            group = st.st_gid;
        }
    }
    const UniqueFd folder = openLockFolder();
    if (!folder) return UniqueFd();
    UniqueFd file(openat(folder.get(), std::string(kLockFileName).c_str(),
                         O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    struct stat st {};
    if (!file || fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) return UniqueFd();
    // A run without root's rights cannot give the file away, and need not.
    if ((st.st_uid != owner || st.st_gid != group) && geteuid() == 0 && fchown(file.get(), owner, group) != 0) {
        return UniqueFd();
    }
    if ((st.st_mode & 07777) != 0600 && fchmod(file.get(), 0600) != 0) return UniqueFd();
    return file;
}

bool tryLock(int fd) {
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// Waits for the lock on `fd`, polling with short pauses, up to `wait`.
DeviceLockError waitForLock(int fd, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (tryLock(fd)) return DeviceLockError::None;
        if (errno != EWOULDBLOCK) return DeviceLockError::Unavailable;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return DeviceLockError::Busy;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(25));
    }
}

// An inherited descriptor of the same lock file that holds the lock: the
// lock a parent took and handed down. `own` is this run's descriptor of the
// file, which is no inheritance.
bool lockHandedDown(int own, const struct stat& lockFile) {
    rlimit limit {};
    int most = kMostInheritedDescriptors;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < static_cast<rlim_t>(most)) {
        most = static_cast<int>(limit.rlim_cur);
    }
    for (int fd = 0; fd < most; ++fd) {
        struct stat st {};
        if (fd == own || fstat(fd, &st) != 0 || st.st_dev != lockFile.st_dev || st.st_ino != lockFile.st_ino) {
            continue;
        }
        // Succeeds on the open file that holds the lock; fails while
        // another run holds it. (Where nobody holds it, it takes it, for
        // this run and the parent alike, which serialises as well.)
        if (tryLock(fd)) return true;
    }
    return false;
}

}  // namespace

DeviceLock::Result DeviceLock::takeForTool(std::string_view usersFolder, std::chrono::milliseconds wait) {
    UniqueFd file = openLockFileAsRoot(usersFolder);
    struct stat st {};
    if (!file || fstat(file.get(), &st) != 0) return {std::nullopt, DeviceLockError::Unavailable};
    // Free: nobody holds it, the parent neither; no need to look for a
    // descriptor handed down.
    if (tryLock(file.get())) return {DeviceLock(std::move(file), false), DeviceLockError::None};
    if (lockHandedDown(file.get(), st)) return {DeviceLock(UniqueFd(), true), DeviceLockError::None};
    if (const DeviceLockError error = waitForLock(file.get(), wait); error != DeviceLockError::None) {
        return {std::nullopt, error};
    }
    return {DeviceLock(std::move(file), false), DeviceLockError::None};
}

bool DeviceLock::layLockFile(std::string_view usersFolder) {
    return static_cast<bool>(openLockFileAsRoot(usersFolder));
}

DeviceLock::Result DeviceLock::takeForChildren(std::chrono::milliseconds wait) {
    // No O_CLOEXEC: the tool runs this process starts inherit it.
    UniqueFd file(open(hostPath(kDeviceLockPath).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (!file || fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {std::nullopt, DeviceLockError::Unavailable};
    }
    if (const DeviceLockError error = waitForLock(file.get(), wait); error != DeviceLockError::None) {
        return {std::nullopt, error};
    }
    return {DeviceLock(std::move(file), false), DeviceLockError::None};
}

}  // namespace nestora::platform
