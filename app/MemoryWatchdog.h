#pragma once

// The arithmetic of the free-memory watchdog, apart from its timer.

#include <cstdint>
#include <optional>
#include <string>

namespace nestora::app {

// Below this many whole free megabytes the app stops itself: a home-screen
// restart with so little memory freezes the device.
inline constexpr std::int64_t kLowMemoryStopMegabytes = 7;

struct MemoryReading {
    std::int64_t freeMegabytes = 0;  // whole megabytes, truncated
    bool mustStop = false;           // below kLowMemoryStopMegabytes
};

// Free bytes to a reading. The arithmetic is 64-bit: a 32-bit product of
// page count and page size wraps past 2 GB and would read as almost nothing.
MemoryReading readingForFreeBytes(std::uint64_t freeBytes);

// "Free: %dMB"
std::string freeMemoryText(std::int64_t freeMegabytes);

// The log line written just before the low-memory stop.
inline constexpr const char* kLowMemoryStopLogLine =
    "Crashing app to kill it without respring (respring will cause a system freeze with no memory\n";

}  // namespace nestora::app
