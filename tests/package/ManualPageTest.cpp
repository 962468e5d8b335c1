// The manual pages render without a warning (as lintian checks them) and
// say what a user of each program must know.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunProgram.h"

namespace nestora::test {
namespace {

std::string page(const std::string& name) { return std::string(NESTORA_TEST_SOURCE_DIR) + "/resources/man/" + name; }

// What man (through groff) says about the page on standard error.
std::string warningsFor(const std::string& path) {
    RunResult result = runProgram({"/usr/bin/man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", path},
                                  {"LC_ALL=C.UTF-8", "MANWIDTH=80"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.err;
}

std::string textOf(const std::string& path) {
    RunResult result = runProgram({"/usr/bin/man", "-l", path}, {"LC_ALL=C.UTF-8", "MANWIDTH=80", "MANPAGER=cat", "PAGER=cat"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

TEST(ManualPages, RenderWithoutWarnings) {
    for (const char* name : {"NestoraTool.8", "nestora-backup.1"}) {
        EXPECT_EQ(warningsFor(page(name)), "") << name;
    }
}

TEST(ManualPages, StateTheExitStatusTheDeviceRootAndWhatACrashLeaves) {
    const std::string tool = textOf(page("NestoraTool.8"));
    EXPECT_NE(tool.find("EXIT STATUS"), std::string::npos);
    EXPECT_NE(tool.find("exits 0 whenever it returns normally"), std::string::npos) << tool;
    EXPECT_NE(tool.find("NESTORA_DEVICE_ROOT"), std::string::npos);
    EXPECT_NE(tool.find("AFTER A CRASH"), std::string::npos);
    EXPECT_NE(tool.find("--repairall"), std::string::npos);
    EXPECT_NE(tool.find("whole"), std::string::npos);

    const std::string backup = textOf(page("nestora-backup.1"));
    EXPECT_NE(backup.find("EXIT STATUS"), std::string::npos);
    EXPECT_NE(backup.find("exits 0 on success"), std::string::npos) << backup;
    EXPECT_NE(backup.find("NESTORA_DEVICE_ROOT"), std::string::npos);
    EXPECT_NE(backup.find("AFTER A CRASH"), std::string::npos);
}

}  // namespace
}  // namespace nestora::test
