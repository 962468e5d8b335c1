// The folder half of the privileged file handling (PrivilegedFiles.h):
// opening folders without following planted links, listing, making, moving
// and removing entries.

#include "platform/PrivilegedFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/DeviceRoot.h"
#include "platform/FolderNames.h"
#include "platform/PrivilegedNames.h"

namespace nestora::privileged {

using detail::isRootOnlyFolder;
using detail::isSingleComponent;
using detail::nameString;

namespace {

// Deep enough for any real bundle; a deeper tree is refused rather than
// letting a planted structure exhaust descriptors or stack.
constexpr int kMaxRemovalDepth = 64;

bool removeContents(int folderFd, int depth);

bool removeEntry(int folderFd, const char* name, int depth) {
    if (unlinkat(folderFd, name, 0) == 0 || errno == ENOENT) {
        return true;
    }
    if (errno != EISDIR && errno != EPERM) {
        return false;
    }
    if (depth >= kMaxRemovalDepth) {
        return false;
    }
    int child = openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0) {
        return false;
    }
    bool emptied = removeContents(child, depth + 1);  // takes ownership of child
    return emptied && (unlinkat(folderFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT);
}

bool removeContents(int folderFd, int depth) {
    DIR* dir = fdopendir(folderFd);
    if (dir == nullptr) {
        close(folderFd);
        return false;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    bool ok = true;
    for (const std::string& name : names) {
        ok = removeEntry(dirfd(dir), name.c_str(), depth) && ok;
    }
    closedir(dir);
    return ok;
}

}  // namespace

std::optional<FileDescriptor> openFolder(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') {
        return std::nullopt;
    }
    FileDescriptor current(open(platform::hostPath("/").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) {
        return std::nullopt;
    }
    std::size_t pos = 0;
    while (pos < devicePath.size()) {
        std::size_t end = devicePath.find('/', pos);
        if (end == std::string_view::npos) {
            end = devicePath.size();
        }
        std::string_view component = devicePath.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            return std::nullopt;
        }
        const std::string name = nameString(component);
        int next = openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && (errno == ELOOP || errno == ENOTDIR) && isRootOnlyFolder(current.get())) {
            next = openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (next < 0) {
            return std::nullopt;
        }
        current = FileDescriptor(next);
    }
    return current;
}

std::optional<FileDescriptor> openFolderAt(const FileDescriptor& folder, std::string_view name) {
    if (!isSingleComponent(name)) {
        return std::nullopt;
    }
    FileDescriptor fd(openat(folder.get(), nameString(name).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    return fd;
}

std::optional<FileDescriptor> openParentFolder(const FileDescriptor& folder) {
    FileDescriptor fd(openat(folder.get(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    return fd;
}

std::optional<FileDescriptor> duplicate(const FileDescriptor& open) {
    FileDescriptor fd(fcntl(open.get(), F_DUPFD_CLOEXEC, 0));
    if (!fd) {
        return std::nullopt;
    }
    return fd;
}

std::optional<std::vector<std::string>> listFolderAt(const FileDescriptor& folder, bool (*keep)(std::string_view)) {
    // Read through the caller's descriptor, from the start: nothing here
    // reads a folder through a descriptor but this, so its offset is free.
    if (lseek(folder.get(), 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    return platform::sortedFolderNamesAt(folder.get(), keep);
}

std::optional<bool> folderHoldsNameAt(const FileDescriptor& folder, bool (*matches)(std::string_view)) {
    if (lseek(folder.get(), 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    return platform::folderHoldsNameAt(folder.get(), matches);
}

EntryKind entryKind(const FileDescriptor& folder, std::string_view name) {
    if (!isSingleComponent(name)) {
        return EntryKind::Unknown;
    }
    struct stat st{};
    if (fstatat(folder.get(), nameString(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Unknown;
    }
    if (S_ISREG(st.st_mode)) {
        return EntryKind::RegularFile;
    }
    if (S_ISDIR(st.st_mode)) {
        return EntryKind::Folder;
    }
    if (S_ISLNK(st.st_mode)) {
        return EntryKind::SymbolicLink;
    }
    return EntryKind::Other;
}

bool makeFolderAt(const FileDescriptor& folder, std::string_view name, mode_t mode) {
    return isSingleComponent(name) && mkdirat(folder.get(), nameString(name).c_str(), mode) == 0;
}

MoveResult moveEntryAt(const FileDescriptor& folder, std::string_view from, std::string_view to) {
    if (!isSingleComponent(from) || !isSingleComponent(to)) {
        return MoveResult::Failed;
    }
    if (renameat2(folder.get(), nameString(from).c_str(), folder.get(), nameString(to).c_str(), RENAME_NOREPLACE) !=
        0) {
        return errno == EEXIST ? MoveResult::Taken : MoveResult::Failed;
    }
    syncFolder(folder);
    return MoveResult::Moved;
}

bool syncFolder(const FileDescriptor& folder) { return fsync(folder.get()) == 0; }

bool removeTreeAt(const FileDescriptor& folder, std::string_view name) {
    if (!isSingleComponent(name)) {
        return false;
    }
    return removeEntry(folder.get(), nameString(name).c_str(), 0);
}

}  // namespace nestora::privileged
