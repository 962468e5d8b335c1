#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/DeviceRoot.h"
#include "platform/FolderNames.h"
#include "platform/OpenFolder.h"
#include "platform/UniqueFd.h"

namespace nestora::files {

using platform::hostPath;
using platform::UniqueFd;

namespace {

bool writeAll(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
        ssize_t written = ::write(fd, bytes, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Splits a host path into its folder and last component ("/a/b" -> "/a", "b").
std::pair<std::string, std::string> splitLast(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return {".", trimmed};
    std::string folder = slash == 0 ? "/" : trimmed.substr(0, slash);
    return {folder, trimmed.substr(slash + 1)};
}

// Removes `name` inside the open folder `dirFd`; folders are opened with
// O_NOFOLLOW|O_DIRECTORY, so the walk never leaves the tree through a link.
// Depth is bounded by the process's file-descriptor limit.
bool removeAt(int dirFd, const char* name) {
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        return ::unlinkat(dirFd, name, 0) == 0 || errno == ENOENT;
    }
    int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    // Collect first: removing while iterating may make readdir skip entries.
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view n = entry->d_name;
        if (n == "." || n == "..") continue;
        names.emplace_back(n);
    }
    for (const auto& n : names) {
        if (!removeAt(::dirfd(dir), n.c_str())) ok = false;
    }
    ::closedir(dir);
    if (!ok) return false;
    return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

}  // namespace

bool exists(std::string_view path) {
    struct stat st {};
    return ::lstat(hostPath(path).c_str(), &st) == 0;
}

bool isRegularFile(std::string_view path) {
    struct stat st {};
    return ::stat(hostPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(std::string_view path) {
    struct stat st {};
    return ::stat(hostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::string>> listFolder(std::string_view path) {
    const UniqueFd folder(::open(hostPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return std::nullopt;
    return platform::sortedFolderNamesAt(folder.get());
}

bool createFolder(std::string_view path, mode_t mode) {
    return ::mkdir(hostPath(path).c_str(), mode) == 0;
}

bool syncFolder(std::string_view path) {
    UniqueFd folder(::open(hostPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder && ::fsync(folder.get()) == 0;
}

bool copyFile(std::string_view source, std::string_view destination) {
    UniqueFd in(::open(hostPath(source).c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) return false;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::string target = hostPath(destination);
    UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out) return false;
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        if (!writeAll(out.get(), buffer, static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    // The copy keeps the source's permission bits, but never set-id bits.
    if (ok) ok = ::fchmod(out.get(), st.st_mode & 0777) == 0;
    if (!ok) ::unlink(target.c_str());
    return ok;
}

bool setMode(std::string_view path, mode_t mode) {
    const std::string host = hostPath(path);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
    UniqueFd fd(::open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return false;
    return ::fchmod(fd.get(), mode) == 0;
}

bool setOwner(std::string_view path, const std::string& user, const std::string& group) {
    std::vector<char> buffer(16384);
    passwd pw {};
    passwd* pwResult = nullptr;
    if (::getpwnam_r(user.c_str(), &pw, buffer.data(), buffer.size(), &pwResult) != 0 || pwResult == nullptr) {
        return false;
    }
    const uid_t uid = pw.pw_uid;
    ::group gr {};
    ::group* grResult = nullptr;
    if (::getgrnam_r(group.c_str(), &gr, buffer.data(), buffer.size(), &grResult) != 0 || grResult == nullptr) {
        return false;
    }
    return ::lchown(hostPath(path).c_str(), uid, gr.gr_gid) == 0;
}

bool createEmptyFile(std::string_view path) {
    UniqueFd fd(::open(hostPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return static_cast<bool>(fd);
}

namespace {

// A file written under its temporary name beside its target, not yet
// flushed or renamed.
struct PendingReplacement {
    std::string temporary;  // host paths
    std::string target;
    std::string folder;
};

// Writes the bytes to ".<name>.XXXXXX" beside the path. When a file was
// there, the new one keeps its mode and, where the process may, its owner;
// otherwise it gets `newFileMode` less the umask. Flushed when `flush`.
std::optional<PendingReplacement> writeReplacement(std::string_view path, std::string_view bytes, mode_t newFileMode,
                                                   bool flush) {
    const std::string target = hostPath(path);
    auto [folder, name] = splitLast(target);
    if (name.empty() || name == "." || name == "..") return std::nullopt;

    struct stat old {};
    const bool hadOld = ::lstat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) return std::nullopt;

    std::string temp = folder + "/." + name + ".XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) return std::nullopt;
    bool ok = writeAll(fd.get(), bytes.data(), bytes.size());
    if (ok) {
        if (hadOld && S_ISREG(old.st_mode)) {
            // A root process rewriting a user's file must leave it the user's.
            if (::geteuid() == 0) (void)::fchown(fd.get(), old.st_uid, old.st_gid);
            ok = ::fchmod(fd.get(), old.st_mode & 07777 & ~(S_ISUID | S_ISGID)) == 0;
        } else {
            ok = ::fchmod(fd.get(), newFileMode & ~currentUmask()) == 0;
        }
    }
    if (ok && flush) ok = ::fsync(fd.get()) == 0;
    if (ok) ok = ::close(fd.release()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return std::nullopt;
    }
    return PendingReplacement{std::move(temp), target, std::move(folder)};
}

void flushFolder(const std::string& hostFolder) {
    UniqueFd dir(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) (void)::fsync(dir.get());
}

}  // namespace

namespace {

// Writes the replacement and renames it over the target; the folder is
// flushed after when the file was.
bool replaceFile(std::string_view path, std::string_view bytes, mode_t newFileMode, bool flush) {
    auto pending = writeReplacement(path, bytes, newFileMode, flush);
    if (!pending) return false;
    if (::rename(pending->temporary.c_str(), pending->target.c_str()) != 0) {
        ::unlink(pending->temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    if (flush) flushFolder(pending->folder);
    return true;
}

}  // namespace

bool writeFileAtomically(std::string_view path, std::string_view bytes, mode_t newFileMode) {
    return replaceFile(path, bytes, newFileMode, true);
}

bool writeFileUnflushed(std::string_view path, std::string_view bytes, mode_t newFileMode) {
    return replaceFile(path, bytes, newFileMode, false);
}

struct AtomicWriteBatch::Pending : PendingReplacement {
    std::string devicePath;
};

AtomicWriteBatch::AtomicWriteBatch() = default;

AtomicWriteBatch::~AtomicWriteBatch() {
    for (const Pending& pending : pending_) ::unlink(pending.temporary.c_str());
}

bool AtomicWriteBatch::add(std::string_view path, std::string_view bytes, mode_t newFileMode) {
    auto written = writeReplacement(path, bytes, newFileMode, false);
    if (!written) return false;
    pending_.push_back(Pending{std::move(*written), std::string(path)});
    return true;
}

std::vector<std::string> AtomicWriteBatch::commit() {
    std::vector<std::string> failed;
    std::vector<std::string> folders;
    for (const Pending& pending : pending_) {
        if (std::find(folders.begin(), folders.end(), pending.folder) == folders.end()) folders.push_back(pending.folder);
    }
    // Every temporary file on disk before any takes its name: one syncfs per
    // file system, however many files.
    std::vector<dev_t> flushed;
    bool onDisk = true;
    for (const std::string& folder : folders) {
        UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        if (!dir || ::fstat(dir.get(), &st) != 0) {
            onDisk = false;
            continue;
        }
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) != flushed.end()) continue;
        if (::syncfs(dir.get()) != 0) onDisk = false;
        flushed.push_back(st.st_dev);
    }
    for (const Pending& pending : pending_) {
        if (!onDisk || ::rename(pending.temporary.c_str(), pending.target.c_str()) != 0) {
            ::unlink(pending.temporary.c_str());
            failed.push_back(pending.devicePath);
        }
    }
    pending_.clear();
    for (const std::string& folder : folders) flushFolder(folder);
    return failed;
}

bool isAtomicWriteTemporaryFor(std::string_view entry, std::string_view name) {
    static constexpr std::size_t kRandomPart = 6;  // mkostemp's XXXXXX
    if (entry.size() != name.size() + 2 + kRandomPart || !entry.starts_with('.') ||
        entry.substr(1, name.size()) != name || entry[1 + name.size()] != '.') {
        return false;
    }
    const std::string_view random = entry.substr(entry.size() - kRandomPart);
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

bool removeRecursively(std::string_view path) {
    auto [folder, name] = splitLast(hostPath(path));
    if (name.empty() || name == "." || name == ".." || name == "/") return false;
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        struct stat st {};
        return ::lstat(hostPath(path).c_str(), &st) != 0 && errno == ENOENT;
    }
    return removeAt(dir.get(), name.c_str());
}

namespace {

// The open file at `path` when it is a regular file, with its status.
UniqueFd openRegularFile(std::string_view path, int extraFlags, struct stat& st) {
    return openRegularFileAt(AT_FDCWD, hostPath(path).c_str(), extraFlags, st);
}

std::optional<std::string> readOpenedFile(std::string_view path, std::size_t limit, int extraFlags) {
    struct stat st {};
    const UniqueFd fd = openRegularFile(path, extraFlags, st);
    if (!fd) return std::nullopt;
    return readRegularFile(fd.get(), st, limit);
}

}  // namespace

std::optional<std::string> readFile(std::string_view path, std::size_t limit) { return readOpenedFile(path, limit, 0); }

std::optional<std::string> readFileNotThroughLink(std::string_view path, std::size_t limit) {
    return readOpenedFile(path, limit, O_NOFOLLOW);
}

std::optional<std::string> readFileStart(std::string_view path, std::size_t count) {
    struct stat st {};
    UniqueFd fd = openRegularFile(path, 0, st);
    if (!fd) return std::nullopt;
    std::string bytes(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, count - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace nestora::files
