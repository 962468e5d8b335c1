#pragma once

// Handing a user's folder back to the user, done by a process that may run
// with root rights while the user can change the folder under it. Nothing is
// looked up by path twice: every entry is opened once, without following a
// link, and what was checked on that descriptor is what gets changed.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/PrivilegedFiles.h"

namespace nestora::privileged {

struct HandOverCount {
    std::size_t changed = 0;  // entries that now belong to the new owner
    std::size_t skipped = 0;  // entries left as they were (see handTreeToOwner)
};

// Folders nested deeper than this below the top are not entered.
inline constexpr std::size_t kMaxHandOverDepth = 128;

// Gives the folder at `devicePath` and everything in it to `owner`. The
// folder itself is opened as openFolder does (only links root placed are
// followed); below it nothing is followed: a symbolic link is given over
// itself, never what it points to. Skipped, and counted as such: a file or
// link with more than one name (another name may sit outside the folder, a
// hard link to a file of root's, say), anything that is neither folder, file
// nor link, folders deeper than kMaxHandOverDepth, entries that vanish or
// refuse the change. None when the folder cannot be opened.
std::optional<HandOverCount> handTreeToOwner(std::string_view devicePath, FileOwner owner);

// Sets the permission bits of a folder, or of a regular file with a single
// name, never through a final symbolic link. False for anything else, and
// when the change fails.
bool setModeOfEntry(std::string_view devicePath, mode_t mode);

}  // namespace nestora::privileged
