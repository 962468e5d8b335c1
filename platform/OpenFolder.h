#pragma once

// A folder held open, to list it and read files below it by paths relative
// to it: the device path is walked once, not once for every file read
// (a scan of /Applications reads thousands of Info.plists). Reads follow
// the same rules as files::readFile: regular files only, never waiting on a
// FIFO, no more than a limit.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "platform/UniqueFd.h"

namespace nestora::files {

// The regular file at `path` (relative to the folder open at `folder`, or
// to the working directory for AT_FDCWD), opened never waiting on a FIFO,
// with `extraFlags` (O_NOFOLLOW) and its status in `status`; none when it is
// no regular file or cannot be opened.
platform::UniqueFd openRegularFileAt(int folder, const char* path, int extraFlags, struct stat& status);

// The bytes of the regular file open at `fd`, whose status was `status`,
// at most `limit` of them; none when it is larger or cannot be read.
std::optional<std::string> readRegularFile(int fd, const struct stat& status, std::size_t limit);

class OpenFolder {
public:
    // None when the folder at the device path cannot be opened.
    static std::optional<OpenFolder> open(std::string_view devicePath);

    // The names in the folder, sorted by their bytes, without "." and "..";
    // none when it cannot be read.
    std::optional<std::vector<std::string>> list() const;
    // The file at a path relative to the folder.
    std::optional<std::string> readFile(std::string_view relativePath, std::size_t limit = SIZE_MAX) const;
    // The regular file at a relative path, opened without following a link
    // at its last component and never waiting on a FIFO, with its status in
    // `status`; none when it is no regular file or cannot be opened.
    platform::UniqueFd openRegularFile(std::string_view relativePath, struct stat& status) const;
    // The status of what is at a relative path, not following a link at its
    // last component; none when there is nothing.
    std::optional<struct stat> statusOf(std::string_view relativePath) const;

private:
    explicit OpenFolder(platform::UniqueFd fd) : fd_(std::move(fd)) {}
    platform::UniqueFd fd_;
};

}  // namespace nestora::files
