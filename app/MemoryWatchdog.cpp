#include "app/MemoryWatchdog.h"

namespace nestora::app {

MemoryReading readingForFreeBytes(std::uint64_t freeBytes) {
    MemoryReading reading;
    reading.freeMegabytes = static_cast<std::int64_t>(freeBytes / (1024u * 1024u));
    reading.mustStop = reading.freeMegabytes < kLowMemoryStopMegabytes;
    return reading;
}

std::string freeMemoryText(std::int64_t freeMegabytes) {
    return "Free: " + std::to_string(freeMegabytes) + "MB";
}

}  // namespace nestora::app
