#pragma once

// What a directory listing of the platform returns: the names in a folder,
// without "." and "..", sorted by the bytes of their UTF-8 form (the order
// of Unicode code points). The phone's file system hands names back sorted;
// a Linux one in the order of its own hash, so we sort them here, once for
// every listing.

#include <dirent.h>

#include <string>
#include <vector>

namespace nestora::platform {

// Reads the rest of an open directory stream.
std::vector<std::string> sortedFolderNames(DIR* dir);

}  // namespace nestora::platform
