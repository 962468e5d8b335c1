#pragma once

// A fresh device root for one tool test, with helpers to lay out categories
// the way earlier runs or older versions left them, and to run the built
// NestoraTool on it.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestDevice.h"

namespace nestora::test {

inline constexpr std::string_view kPrefsFolder = "/var/mobile/Library/Preferences";
inline constexpr std::string_view kLauncherFolder = "/Applications/Nestora.app/Launcher";
inline const std::vector<std::string> kLauncherFileNames = {"blank.png", "NestoraLauncher", "Default.png",
                                                           "background.png", "MainWindow.nib"};

class ToolDevice : public TestDevice {
public:
    // The launcher folder with five small files (content "<name> v2"), and
    // the empty preferences folder.
    ToolDevice();
    // A copy of another device root, folders, files and links as they are
    // (a census lays out one device and runs on a fresh copy each time).
    explicit ToolDevice(const std::string& copyOfRoot);

    RunResult tool(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment = {}) const;
    // The same program run with other user and group ids (needs root), no
    // supplementary groups; the device lock file laid by a run as root first.
    RunResult toolAs(uid_t uid, gid_t gid, const std::vector<std::string>& arguments,
                     const std::string& program = NESTORA_TOOL_PATH) const;

    static std::string bundle(std::string_view directoryName);       // "/Applications/<name>.app"
    static std::string prefsFile(std::string_view directoryName);    // the category preferences file
    static std::string identifier(std::string_view directoryName);  // "com.quarvek.nestora.<name>"

    // A category bundle as create leaves it (no tool run), optionally with
    // its empty preferences file.
    void makeCategory(std::string_view directoryName, std::string_view displayName, bool withPrefs = true) const;
    // The preferences file written by plistlib (binary) from a Python literal.
    void writePrefs(std::string_view directoryName, const std::string& pythonLiteral) const;

    // Python's reading of a property list in the device, as sorted JSON.
    std::optional<std::string> plistJson(std::string_view devicePath) const;

    // Copies a hide library to /usr/lib/hide.dylib.
    void installHideLibrary(const std::string& builtPath) const;
    // Lines the recording hide library wrote.
    std::vector<std::string> hideCalls() const;

    mode_t modeOf(std::string_view devicePath) const;  // permission bits, lstat
    void giveFolderTo(std::string_view devicePath, uid_t uid, gid_t gid) const;  // lchown
};

// An unprivileged user to run programs as: "nobody" when there is one.
struct UnprivilegedUser {
    uid_t uid = 0;
    gid_t gid = 0;
};
std::optional<UnprivilegedUser> unprivilegedUser();

// The bytes of a tiny valid-looking PNG (signature and IHDR).
std::string pngBytes(std::string_view marker);

// Lines of a text.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace nestora::test
