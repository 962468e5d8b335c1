#include "platform/TreeOwnership.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace nestora::privileged {

namespace {

// The change goes to the open entry itself: a descriptor of a link names the
// link, so nothing it points to is touched.
bool giveTo(const FileDescriptor& entry, const FileOwner& owner) {
    return fchownat(entry.get(), "", owner.uid, owner.gid, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == 0;
}

FileDescriptor openSubfolder(const FileDescriptor& folder, const std::string& name) {
    return FileDescriptor(openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// A handle on the entry itself (O_PATH: nothing is opened for reading, a
// device or a FIFO included) for checking and changing it.
FileDescriptor openEntry(const FileDescriptor& folder, const std::string& name) {
    return FileDescriptor(openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
}

// Only files and links with one name are handed over: with a second name the
// same file may be someone else's anywhere on this file system.
bool isSingleNamedFileOrLink(const struct stat& st) {
    return (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && st.st_nlink == 1;
}

struct PendingFolder {
    FileDescriptor folder;
    std::vector<std::string> names;
    std::size_t next = 0;
};

}  // namespace

std::optional<HandOverCount> handTreeToOwner(std::string_view devicePath, FileOwner owner) {
    std::optional<FileDescriptor> top = openFolder(devicePath);
    if (!top) {
        return std::nullopt;
    }
    HandOverCount count;
    auto tally = [&count](bool changed) { ++(changed ? count.changed : count.skipped); };
    tally(giveTo(*top, owner));

    // Iterative, so a deep tree costs descriptors (bounded by the depth
    // limit), never stack.
    std::vector<PendingFolder> pending;
    if (auto names = listFolderAt(*top)) {
        pending.push_back({std::move(*top), std::move(*names)});
    }
    while (!pending.empty()) {
        PendingFolder& current = pending.back();
        if (current.next == current.names.size()) {
            pending.pop_back();
            continue;
        }
        const std::string name = current.names[current.next++];
        if (FileDescriptor folder = openSubfolder(current.folder, name)) {
            tally(giveTo(folder, owner));
            if (pending.size() >= kMaxHandOverDepth) {
                ++count.skipped;  // its contents are not reached
                continue;
            }
            if (auto names = listFolderAt(folder)) {
                pending.push_back({std::move(folder), std::move(*names)});
            }
            continue;
        }
        const FileDescriptor entry = openEntry(current.folder, name);
        struct stat st{};
        if (!entry || fstat(entry.get(), &st) != 0 || !isSingleNamedFileOrLink(st)) {
            ++count.skipped;
            continue;
        }
        tally(giveTo(entry, owner));
    }
    return count;
}

bool setModeOfEntry(std::string_view devicePath, mode_t mode) {
    const std::size_t slash = devicePath.rfind('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    const std::string_view parent = slash == 0 ? std::string_view("/") : devicePath.substr(0, slash);
    const std::string name(devicePath.substr(slash + 1));
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const std::optional<FileDescriptor> folder = openFolder(parent);
    if (!folder) {
        return false;
    }
    if (const FileDescriptor subfolder = openSubfolder(*folder, name)) {
        return fchmod(subfolder.get(), mode) == 0;
    }
    const FileDescriptor entry = openEntry(*folder, name);
    struct stat checked{};
    if (!entry || fstat(entry.get(), &checked) != 0 || !S_ISREG(checked.st_mode) || checked.st_nlink != 1) {
        return false;
    }
    // fchmod needs a descriptor opened for real; the open must find the very
    // file that was checked, else it was swapped meanwhile.
    const FileDescriptor file(
        openat(folder->get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened{};
    if (!file || fstat(file.get(), &opened) != 0 || opened.st_dev != checked.st_dev ||
        opened.st_ino != checked.st_ino || opened.st_nlink != 1) {
        return false;
    }
    return fchmod(file.get(), mode) == 0;
}

}  // namespace nestora::privileged
