#pragma once

// What a directory listing of the platform returns: the names in a folder,
// without "." and "..", sorted by the bytes of their UTF-8 form (the order
// of Unicode code points). The phone's file system hands names back sorted;
// a Linux one in the order of its own hash, so we sort them here, once for
// every listing.

#include <dirent.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::platform {

// Reads the folder open at `fd` (fresh from open, or rewound to the
// folder's start) to its end, straight from the kernel: no directory stream,
// so a bundle's listing costs two calls. The descriptor stays open. None
// when the folder cannot be read to its end.
// With `keep`, only the names it takes are kept (and sorted): a question
// about a few names of a large folder sorts only those.
std::optional<std::vector<std::string>> sortedFolderNamesAt(int fd, bool (*keep)(std::string_view) = nullptr);

// Whether the folder open at `fd` (as above) holds a name `matches` takes,
// looked at as they come, none kept: a question about a folder's names costs
// no list of them. None when the folder cannot be read.
std::optional<bool> folderHoldsNameAt(int fd, bool (*matches)(std::string_view));

}  // namespace nestora::platform
