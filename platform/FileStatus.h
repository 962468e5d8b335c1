#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>

#include <optional>
#include <string_view>

namespace nestora::platform {

// The mode bits (type and permissions, as stat reports them) of the file at
// a device path, following symbolic links; none when it cannot be examined.
std::optional<mode_t> fileMode(std::string_view devicePath);

// What tells one version of a file from another without reading it: which
// file it is and when and how it last changed. A file replaced by rename or
// written in place gets another identity.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    struct timespec changed {};

    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
               a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

// The identity of the regular file at a device path, not following a final
// symbolic link; none when there is no regular file there.
std::optional<FileIdentity> regularFileIdentity(std::string_view devicePath);
// The identity in a status already taken.
FileIdentity identityOf(const struct stat& status);

}  // namespace nestora::platform
