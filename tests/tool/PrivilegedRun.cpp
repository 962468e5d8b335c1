#include "tests/tool/PrivilegedRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

namespace nestora::test {

namespace fs = std::filesystem;

void ToolPrivilegedRun::SetUp() {
    if (geteuid() != 0) {
        GTEST_SKIP() << "installing a set-user-id root program and running it as another user needs root";
    }
    auto found = unprivilegedUser();
    if (!found) {
        GTEST_SKIP() << "no unprivileged user exists and none could be created";
    }
    user = *found;
    install(NESTORA_TOOL_PATH, kInstalledTool, 04755);
    install(NESTORA_HIDE_LIBRARY, "/usr/lib/hide.dylib", 0755);
    copyLibrariesOf(NESTORA_TOOL_PATH);
    copyLibrariesOf(NESTORA_HIDE_LIBRARY);
    const std::string uid = std::to_string(user.uid);
    const std::string gid = std::to_string(user.gid);
    device.writeFile("/etc/passwd", "root:x:0:0:root:/:/bin/sh\nmobile:x:" + uid + ":" + gid + "::/var/mobile:/bin/sh\n");
    device.writeFile("/etc/group", "root:x:0:\nmobile:x:" + gid + ":\n");
    for (const char* folder : {"/var/mobile", "/var/mobile/Library", "/var/mobile/Library/Preferences"}) {
        ASSERT_EQ(chown(device.host(folder).c_str(), user.uid, user.gid), 0);
    }
    device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
    device.makeCategory("Category000", "Games");
    // A second tree the caller would like the tool to work on instead.
    device.makeFolder("/decoy/Applications/Nestora.app/Launcher");
    device.makeFolder("/decoy/var/mobile/Library/Preferences");
    device.writeFile("/decoy/var/mobile/Library/Preferences/com.quarvek.nestora.Decoy.plist", "");
    withProc = procCanBeMounted();
}

void ToolPrivilegedRun::install(const std::string& from, const std::string& to, mode_t mode) const {
    device.makeFolder(fs::path(to).parent_path().string());
    fs::copy_file(from, device.host(to), fs::copy_options::overwrite_existing);
    ASSERT_EQ(chown(device.host(to).c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(device.host(to).c_str(), mode), 0);
}

void ToolPrivilegedRun::copyLibrariesOf(const std::string& program) const {
    RunResult ldd = runProgram({"/usr/bin/ldd", program});
    ASSERT_EQ(ldd.exitStatus, 0) << ldd.err;
    static const std::regex kPath(R"((/[^ ]+) \(0x)");
    for (const std::string& line : linesOf(ldd.out)) {
        std::smatch match;
        if (std::regex_search(line, match, kPath) && !device.exists(match[1].str())) {
            device.makeFolder(fs::path(match[1].str()).parent_path().string());
            fs::copy_file(match[1].str(), device.host(match[1].str()));
        }
    }
}

bool ToolPrivilegedRun::procCanBeMounted() const {
    device.makeFolder("/proc");
    return runProgram({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/mount", "-t", "proc", "proc",
                       device.host("/proc")})
               .exitStatus == 0;
}

RunResult ToolPrivilegedRun::runAsUser(const std::vector<std::string>& arguments,
                                       const PrivilegedRunOptions& options) const {
    const std::string uid = std::to_string(options.uid.value_or(user.uid));
    const std::string gid = std::to_string(options.gid.value_or(user.gid));
    const std::string asUser = "--userspec=" + uid + ":" + gid;
    const std::string groups = "--groups=" + gid;
    // Limits pass through the set-user-id exec unchanged.
    std::string limit = options.stackKiB ? "ulimit -s " + std::to_string(*options.stackKiB) + " && " : "";
    if (options.addressSpaceKiB) limit += "ulimit -v " + std::to_string(*options.addressSpaceKiB) + " && ";
    const std::string mountProc = withProc ? "mount -t proc proc \"$0/proc\" && " : "";
    std::vector<std::string> argv = {"/bin/sh", "-c",
                                     mountProc + limit + "exec /usr/sbin/chroot " + asUser + " " + groups +
                                         " \"$0\" \"$@\"",
                                     device.root(), kInstalledTool};
    if (withProc) {
        argv.insert(argv.begin(), {"/usr/bin/unshare", "--mount", "--propagation", "private"});
    }
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, {"NESTORA_DEVICE_ROOT=/decoy"});
}

}  // namespace nestora::test
