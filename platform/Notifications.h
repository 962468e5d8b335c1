#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nestora::platform {

// notify_post: posts are appended, one name per line, to this log in the
// device root, where the sample device and tests observe them.
inline constexpr std::string_view kNotificationLogPath = "/var/run/nestora-notifications.log";

bool notifyPost(std::string_view name);

// The names posted so far, oldest first (empty when none).
std::vector<std::string> postedNotifications();

}  // namespace nestora::platform
