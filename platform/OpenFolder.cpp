#include "platform/OpenFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/DeviceRoot.h"
#include "platform/FolderNames.h"

namespace nestora::files {

platform::UniqueFd openRegularFileAt(int folder, const char* path, int extraFlags, struct stat& status) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it then fails
    // the regular-file test. Reads of a regular file ignore the flag.
    platform::UniqueFd fd(::openat(folder, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | extraFlags));
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return platform::UniqueFd();
    return fd;
}

std::optional<std::string> readRegularFile(int fd, const struct stat& status, std::size_t limit) {
    if (static_cast<std::uint64_t>(status.st_size) > limit) return std::nullopt;
    // The file as large as it was when looked at: one read, as a rule. A
    // file the status gives no size (as /proc's) is read to its end.
    const auto size = static_cast<std::size_t>(status.st_size);
    std::string bytes(size > 0 ? size : 4096, '\0');
    std::size_t got = 0;
    while (size == 0 || got < size) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (got > limit) return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

std::optional<OpenFolder> OpenFolder::open(std::string_view devicePath) {
    platform::UniqueFd fd(::open(platform::hostPath(devicePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    return OpenFolder(std::move(fd));
}

std::optional<std::vector<std::string>> OpenFolder::list() const {
    // A descriptor of its own, at the folder's start, whatever was read before.
    const platform::UniqueFd listing(::openat(fd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing) return std::nullopt;
    return platform::sortedFolderNamesAt(listing.get());
}

std::optional<std::string> OpenFolder::readFile(std::string_view relativePath, std::size_t limit) const {
    struct stat status {};
    const platform::UniqueFd fd = openRegularFileAt(fd_.get(), std::string(relativePath).c_str(), 0, status);
    if (!fd) return std::nullopt;
    return readRegularFile(fd.get(), status, limit);
}

std::optional<struct stat> OpenFolder::statusOf(std::string_view relativePath) const {
    struct stat status {};
    if (::fstatat(fd_.get(), std::string(relativePath).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return status;
}

platform::UniqueFd OpenFolder::openRegularFile(std::string_view relativePath, struct stat& status) const {
    return openRegularFileAt(fd_.get(), std::string(relativePath).c_str(), O_NOFOLLOW, status);
}

}  // namespace nestora::files
