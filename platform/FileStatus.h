#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace nestora::platform {

// The mode bits (type and permissions, as stat reports them) of the file at
// a device path, following symbolic links; none when it cannot be examined.
std::optional<mode_t> fileMode(std::string_view devicePath);

}  // namespace nestora::platform
