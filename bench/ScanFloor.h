#pragma once

// The I/O floor of the installed-app scan: reading the bytes of every file
// the scan reads, with the same listings (the Info.plist of each candidate
// bundle and the preferences file of each category), and nothing else.

#include <cstddef>
#include <string>

#include "platform/Files.h"

namespace nestora::bench {

// The bytes read.
inline std::size_t readBytesOfTheScannedFiles() {
    std::size_t bytes = 0;
    const auto readInfo = [&](const std::string& bundle) {
        if (auto data = nestora::files::readFile(bundle + "/Info.plist")) bytes += data->size();
    };
    if (auto names = nestora::files::listFolder("/Applications")) {
        for (const auto& name : *names) {
            if (name.ends_with(".app") && !name.starts_with('.')) readInfo("/Applications/" + name);
        }
    }
    if (auto containers = nestora::files::listFolder("/var/mobile/Applications")) {
        for (const auto& container : *containers) {
            const std::string folder = "/var/mobile/Applications/" + container;
            if (auto names = nestora::files::listFolder(folder)) {
                for (const auto& name : *names) {
                    if (name.ends_with(".app")) readInfo(folder + "/" + name);
                }
            }
        }
    }
    if (auto names = nestora::files::listFolder("/var/mobile/Library/Preferences")) {
        for (const auto& name : *names) {
            if (name.starts_with("com.quarvek.nestora")) {
                if (auto data = nestora::files::readFile("/var/mobile/Library/Preferences/" + name)) {
                    bytes += data->size();
                }
            }
        }
    }
    return bytes;
}

}  // namespace nestora::bench
