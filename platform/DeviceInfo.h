#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nestora::platform {

// The device profile of a device root: an XML or binary property list with
// "Model" (string, e.g. "iPhone" or "iPod touch") and optionally
// "FreeMemoryBytes" (integer) to simulate the free memory of the device.
inline constexpr std::string_view kDeviceProfilePath = "/etc/nestora/DeviceProfile.plist";

// The device model text; "iPhone Simulator" when there is no profile.
std::string deviceModel();

// Free memory in bytes: from the profile when it sets it, else the host's
// available memory. Read afresh on every call. None when neither is known.
std::optional<std::uint64_t> freeMemoryBytes();

}  // namespace nestora::platform
