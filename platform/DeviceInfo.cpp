#include "platform/DeviceInfo.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/Plist.h"

namespace nestora::platform {

std::string deviceModel() {
    auto profile = plist::readFile(kDeviceProfilePath);
    if (profile) {
        if (auto model = profile->stringForKey("Model")) return *model;
    }
    return "iPhone Simulator";
}

namespace {

// MemAvailable from /proc/meminfo, in bytes (64-bit: hosts have more than 4 GB).
std::optional<std::uint64_t> hostAvailableMemory() {
    std::FILE* meminfo = std::fopen("/proc/meminfo", "re");
    if (meminfo != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, meminfo)) {
            unsigned long long kib = 0;
            if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
                std::fclose(meminfo);
                return static_cast<std::uint64_t>(kib) * 1024u;
            }
        }
        std::fclose(meminfo);
    }
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages < 0 || pageSize <= 0) return std::nullopt;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

}  // namespace

std::optional<std::uint64_t> freeMemoryBytes() {
    if (auto profile = plist::readFile(kDeviceProfilePath)) {
        if (const plist::Value* free = profile->find("FreeMemoryBytes")) {
            if (auto bytes = free->integer(); bytes && *bytes >= 0) return static_cast<std::uint64_t>(*bytes);
        }
    }
    return hostAvailableMemory();
}

}  // namespace nestora::platform
