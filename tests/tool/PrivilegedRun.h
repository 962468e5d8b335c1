#pragma once

// NestoraTool installed set-user-id root and run by an unprivileged user, the
// way the app runs it. The run happens in a chroot of the test's device root
// (with the libraries the tool needs copied in), because a set-user-id run
// ignores the device-root variable and works on "/".

#include <gtest/gtest.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/tool/ToolHarness.h"

namespace nestora::test {

inline constexpr const char* kInstalledTool = "/Applications/Nestora.app/NestoraTool";

// How one run is made: by whom (the fixture's user, who owns the preferences
// folder, unless given) and with what stack and address-space limits (the
// invoker's to set).
struct PrivilegedRunOptions {
    std::optional<uid_t> uid = std::nullopt;
    std::optional<gid_t> gid = std::nullopt;
    std::optional<unsigned> stackKiB = std::nullopt;
    std::optional<unsigned> addressSpaceKiB = std::nullopt;
};

class ToolPrivilegedRun : public ::testing::Test {
protected:
    void SetUp() override;

    void install(const std::string& from, const std::string& to, mode_t mode) const;
    // Every shared library ldd names (and the loader) at the same path inside.
    void copyLibrariesOf(const std::string& program) const;
    // The tool loads the checked hide library through /proc/self/fd, so the
    // chroot gets a /proc of its own in a private mount namespace when the
    // machine allows one.
    bool procCanBeMounted() const;

    RunResult runAsUser(const std::vector<std::string>& arguments, const PrivilegedRunOptions& options = {}) const;

    bool withProc = false;

    UnprivilegedUser user;
    ToolDevice device;
};

}  // namespace nestora::test
