#pragma once

#include <string_view>

namespace nestora::backup {

// Where the app keeps what it makes for the user: the automatic backups and
// the restore journal.
inline constexpr std::string_view kNestoraDataFolder = "/var/mobile/Library/Nestora";

// Makes a folder (a device path) and its missing parents, one level at a
// time. True when it is a folder afterwards.
bool makeFolderWithParents(std::string_view folder);

}  // namespace nestora::backup
