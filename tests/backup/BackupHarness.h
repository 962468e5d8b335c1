#pragma once

// A sample device with the built NestoraTool, nestora-backup and hide library
// installed where the device has them, helpers to lay out categories the way
// the app makes them, and the device's state as Python's plistlib reads it,
// to compare a device before a backup with the device after a restore.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestDevice.h"

namespace nestora::test {

inline constexpr std::string_view kInstalledTool = "/Applications/Nestora.app/NestoraTool";
inline constexpr std::string_view kInstalledBackup = "/Applications/Nestora.app/nestora-backup";
inline constexpr std::string_view kPreferencesFolder = "/var/mobile/Library/Preferences";

class BackupDevice : public TestDevice {
public:
    // A copy of the sample device (scripts/make-device, made once per test
    // program) with the programs installed; or a copy of another device root.
    BackupDevice();
    explicit BackupDevice(const std::string& copyOfRoot);

    RunResult tool(const std::vector<std::string>& arguments) const;
    RunResult backup(const std::vector<std::string>& arguments) const;

    // A category made the way the app makes one: created and named by the
    // tool, given an icon when one is passed, its items and settings written
    // to its preferences domain, and its items hidden through the hide
    // library. Returns the directory name.
    std::string makeCategory(const std::string& displayName, const std::vector<std::string>& items,
                             const plist::Dictionary& settings = {}, const std::string& icon = {}) const;

    // Removes a file or folder of the device, with what is in it.
    void removeAll(std::string_view devicePath) const;

    // Deletes every category with the tool, as a user of the app would.
    void deleteEveryCategory() const;

    // The categories (the bytes of the Info.plist, icon and launcher files,
    // the preferences domain by value) and the hidden apps, as text. Two
    // devices with the same categories and hidden set give the same text.
    std::string state() const;
    // The same as Python's plistlib reads it (Info.plist by value too): the
    // independent judge, slower.
    std::string judgedState() const;

    // Every path of the device (folders, files with their bytes, links with
    // their targets), to see what a run wrote.
    std::map<std::string, std::string> tree() const;

    // Directory names of the categories on the device, sorted.
    std::vector<std::string> categoryNames() const;

    // The apps the hide library holds hidden (Info.plist paths).
    std::vector<std::string> hiddenApps() const;
};

// Bytes that pass for a PNG image (the signature, then `marker`).
std::string pngImage(std::string_view marker);

// The paths whose entries differ between two trees (added, removed or changed).
std::vector<std::string> changedPaths(const std::map<std::string, std::string>& before,
                                      const std::map<std::string, std::string>& after);

// The first line of a text that contains `part`, or "" when none does.
std::string lineWith(const std::string& text, std::string_view part);

}  // namespace nestora::test
