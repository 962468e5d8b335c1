#include "tests/tool/ToolHarness.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "tests/support/PythonPlist.h"

namespace nestora::test {

ToolDevice::ToolDevice() {
    for (const std::string& name : kLauncherFileNames) {
        writeFile(std::string(kLauncherFolder) + "/" + name, name + " v2");
    }
    makeFolder(kPrefsFolder);
}

ToolDevice::ToolDevice(const std::string& copyOfRoot) {
    std::filesystem::copy(copyOfRoot, root(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
}

RunResult ToolDevice::tool(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& extraEnvironment) const {
    std::vector<std::string> argv{NESTORA_TOOL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, extraEnvironment);
}

RunResult ToolDevice::toolAs(uid_t uid, gid_t gid, const std::vector<std::string>& arguments,
                             const std::string& program) const {
    // Without root's rights the tool cannot lay the device lock file; a run
    // as root lays it first, as any earlier run on a device has.
    (void)tool({"--"});
    std::vector<std::string> argv{"/usr/bin/setpriv", "--reuid=" + std::to_string(uid),
                                  "--regid=" + std::to_string(gid), "--clear-groups", program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv);
}

std::optional<UnprivilegedUser> unprivilegedUser() {
    if (geteuid() != 0) {
        return std::nullopt;
    }
    if (const passwd* user = getpwnam("nobody"); user != nullptr && user->pw_uid != 0) {
        return UnprivilegedUser{user->pw_uid, user->pw_gid};
    }
    // No "nobody": make a user of our own for these runs.
    runProgram({"/usr/sbin/useradd", "--system", "--no-create-home", "nestora-test"});
    if (const passwd* user = getpwnam("nestora-test"); user != nullptr && user->pw_uid != 0) {
        return UnprivilegedUser{user->pw_uid, user->pw_gid};
    }
    return std::nullopt;
}

std::string ToolDevice::bundle(std::string_view directoryName) {
    return "/Applications/" + std::string(directoryName) + ".app";
}

std::string ToolDevice::identifier(std::string_view directoryName) {
    return "com.quarvek.nestora." + std::string(directoryName);
}

std::string ToolDevice::prefsFile(std::string_view directoryName) {
    return std::string(kPrefsFolder) + "/" + identifier(directoryName) + ".plist";
}

void ToolDevice::makeCategory(std::string_view directoryName, std::string_view displayName, bool withPrefs) const {
    const std::string folder = bundle(directoryName);
    for (const std::string& name : kLauncherFileNames) {
        writeFile(folder + "/" + name, name + " v1");
    }
    const std::string literal = "{'CFBundleIdentifier': '" + identifier(directoryName) + "', 'CFBundleName': '" +
                                std::string(directoryName) + "', 'CFBundleDisplayName': '" + std::string(displayName) +
                                "', 'CFBundleExecutable': 'NestoraLauncher', 'NSMainNibFile': 'MainWindow'}";
    ASSERT_TRUE(plistlibWrite(host(folder + "/Info.plist"), literal, "xml"));
    if (withPrefs) {
        writeFile(prefsFile(directoryName), "");
    }
}

void ToolDevice::writePrefs(std::string_view directoryName, const std::string& pythonLiteral) const {
    ASSERT_TRUE(plistlibWrite(host(prefsFile(directoryName)), pythonLiteral, "binary"));
}

std::optional<std::string> ToolDevice::plistJson(std::string_view devicePath) const {
    return plistlibJson(host(devicePath));
}

void ToolDevice::installHideLibrary(const std::string& builtPath) const {
    makeFolder("/usr/lib");
    makeFolder("/var/log");
    std::filesystem::copy_file(builtPath, host("/usr/lib/hide.dylib"),
                               std::filesystem::copy_options::overwrite_existing);
}

std::vector<std::string> ToolDevice::hideCalls() const { return linesOf(readFile("/var/log/hide-calls.log")); }

mode_t ToolDevice::modeOf(std::string_view devicePath) const {
    struct stat st{};
    if (lstat(host(devicePath).c_str(), &st) != 0) {
        return 0;
    }
    return st.st_mode & 07777;
}

void ToolDevice::giveFolderTo(std::string_view devicePath, uid_t uid, gid_t gid) const {
    ASSERT_EQ(lchown(host(devicePath).c_str(), uid, gid), 0);
}

std::string pngBytes(std::string_view marker) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    bytes.append(marker);
    return bytes;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace nestora::test
