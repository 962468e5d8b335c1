#include "platform/Notifications.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/DeviceRoot.h"
#include "platform/Files.h"
#include "platform/SystemLog.h"
#include "platform/UniqueFd.h"

namespace nestora::platform {

bool notifyPost(std::string_view name) {
    systemLog("notify_post %.*s\n", static_cast<int>(name.size()), name.data());
    const std::string path = hostPath(kNotificationLogPath);
    // One append of a whole line: concurrent posters never interleave.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd) return false;
    std::string line(name);
    line += '\n';
    return ::write(fd.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

std::vector<std::string> postedNotifications() {
    std::vector<std::string> names;
    auto bytes = files::readFile(kNotificationLogPath);
    if (!bytes) return names;
    std::size_t start = 0;
    while (start < bytes->size()) {
        auto end = bytes->find('\n', start);
        if (end == std::string::npos) end = bytes->size();
        names.push_back(bytes->substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace nestora::platform
