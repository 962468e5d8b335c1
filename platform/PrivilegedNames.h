#pragma once

// The checks every privileged file operation makes on a name or an open
// folder before it uses them.

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace nestora::privileged::detail {

inline std::string nameString(std::string_view name) { return std::string(name); }

inline bool isSingleComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// A folder only root can change: a link root put there may be followed.
inline bool isRootOnlyFolder(int fd) {
    struct stat st{};
    if (fstat(fd, &st) != 0) {
        return false;
    }
    return st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace nestora::privileged::detail
