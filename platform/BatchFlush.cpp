#include "platform/BatchFlush.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace nestora::privileged {

namespace {

bool isSingleComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool writeUnflushedFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes, mode_t mode) {
    if (!isSingleComponent(name)) return false;
    const std::string target(name);
    FileDescriptor fd(::openat(folder.get(), target.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (!fd) return false;
    // The mode first, as a flushed create does: a file cut short never has
    // the whole content with its mode still to come.
    if (::fchmod(fd.get(), mode & 07777) == 0 && writeAll(fd.get(), bytes)) return true;
    fd = FileDescriptor();
    ::unlinkat(folder.get(), target.c_str(), 0);
    return false;
}

MoveResult renameUnflushedAt(const FileDescriptor& folder, std::string_view from, std::string_view to) {
    if (!isSingleComponent(from) || !isSingleComponent(to)) return MoveResult::Failed;
    if (::renameat2(folder.get(), std::string(from).c_str(), folder.get(), std::string(to).c_str(),
                    RENAME_NOREPLACE) != 0) {
        return errno == EEXIST ? MoveResult::Taken : MoveResult::Failed;
    }
    return MoveResult::Moved;
}

bool syncFileSystem(const FileDescriptor& anyEntry) { return ::syncfs(anyEntry.get()) == 0; }

bool onSameFileSystem(const FileDescriptor& a, const FileDescriptor& b) {
    struct stat first {};
    struct stat second {};
    return ::fstat(a.get(), &first) == 0 && ::fstat(b.get(), &second) == 0 && first.st_dev == second.st_dev;
}

}  // namespace nestora::privileged
