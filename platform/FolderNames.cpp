#include "platform/FolderNames.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string_view>

namespace nestora::platform {

namespace {

// Hands each name of the folder open at `fd` (but "." and "..") to `take`
// until it returns false, straight from the kernel: no directory stream, so
// a bundle's listing costs two calls. False when the folder cannot be read.
template <typename Take>
bool eachNameAt(int fd, Take take) {
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            const std::string_view name = entry->d_name;
            if (name != "." && name != ".." && !take(name)) return true;
            at += entry->d_reclen;
        }
    }
}

}  // namespace

std::optional<std::vector<std::string>> sortedFolderNamesAt(int fd, bool (*keep)(std::string_view)) {
    std::vector<std::string> names;
    if (!eachNameAt(fd, [&](std::string_view name) {
            if (keep == nullptr || keep(name)) names.emplace_back(name);
            return true;
        })) {
        return std::nullopt;
    }
    // std::string compares its chars as unsigned bytes: byte order.
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<bool> folderHoldsNameAt(int fd, bool (*matches)(std::string_view)) {
    bool found = false;
    if (!eachNameAt(fd, [&](std::string_view name) { return !(found = matches(name)); })) {
        return std::nullopt;
    }
    return found;
}

}  // namespace nestora::platform
