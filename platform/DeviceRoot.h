#pragma once

#include <string>
#include <string_view>

namespace nestora::platform {

// The host directory that device paths ("/Applications/...") map onto.
// Read from NESTORA_DEVICE_ROOT with secure_getenv, so that a set-user-id
// run always works on the real "/"; an empty or unset variable means "/".
// Read on every call: tests point each case at a fresh root.
std::string deviceRoot();
// Whether deviceRoot() is `root`, without making a string of it (a lookup
// asks on every call).
bool isDeviceRoot(std::string_view root);

// The host path of a device path. Device paths are absolute; a relative
// path is taken as it stands (it names something relative to the working
// directory, as a command-line argument does), and the root is not
// prefixed to it.
std::string hostPath(std::string_view devicePath);

}  // namespace nestora::platform
