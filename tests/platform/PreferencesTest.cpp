#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/Plist.h"
#include "platform/Preferences.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using plist::Array;
using plist::Value;
using platform::Preferences;
using test::TestDevice;

constexpr const char* kDomain = "com.quarvek.nestora.Category000";
constexpr const char* kFile = "/var/mobile/Library/Preferences/com.quarvek.nestora.Category000.plist";

class PlatformPreferences : public ::testing::Test {
protected:
    void SetUp() override { device.makeFolder("/var/mobile/Library/Preferences"); }
    TestDevice device;
};

TEST_F(PlatformPreferences, SetStaysInMemoryUntilSynchronize) {
    device.writeFile(kFile, "");
    Preferences prefs;
    prefs.setAppValue("items", Value(Array{Value("com.apple.mobilesafari")}), kDomain);
    EXPECT_EQ(device.readFile(kFile), "") << "nothing written before synchronize";
    ASSERT_TRUE(prefs.copyAppValue("items", kDomain));
    EXPECT_TRUE(prefs.appSynchronize(kDomain));
    EXPECT_EQ(device.readFile(kFile).rfind("bplist00", 0), 0u);
    EXPECT_EQ(test::plistlibJson(device.host(kFile)), R"({"items": ["com.apple.mobilesafari"]})");

    Preferences fresh;  // another process
    auto items = fresh.copyAppValue("items", kDomain);
    ASSERT_TRUE(items && items->array());
    EXPECT_EQ(items->array()->size(), 1u);
}

TEST_F(PlatformPreferences, NoValueRemovesTheKey) {
    ASSERT_TRUE(test::plistlibWrite(device.host(kFile), "{'items': ['a'], 'keepResident': True}", "binary"));
    Preferences prefs;
    prefs.setAppValue("items", std::nullopt, kDomain);
    EXPECT_FALSE(prefs.copyAppValue("items", kDomain)) << "the pending removal is what this process sees";
    EXPECT_TRUE(prefs.appSynchronize(kDomain));
    EXPECT_EQ(test::plistlibJson(device.host(kFile)), R"({"keepResident": true})");
}

TEST_F(PlatformPreferences, KeysAnotherWriterStoredMeanwhileSurvive) {
    device.writeFile(kFile, "");
    Preferences app;
    Preferences tool;
    app.setAppValue("showIconLabels", Value(false), kDomain);
    tool.setAppValue("items", Value(Array{Value("x")}), kDomain);
    ASSERT_TRUE(tool.appSynchronize(kDomain));
    // A third process (Python) writes between our set and our synchronize.
    ASSERT_TRUE(test::plistlibWrite(device.host(kFile), "{'items': ['x'], 'iconThemeName': 'Glass'}", "xml"));
    ASSERT_TRUE(app.appSynchronize(kDomain));
    EXPECT_EQ(test::plistlibJson(device.host(kFile)),
              R"({"iconThemeName": "Glass", "items": ["x"], "showIconLabels": false})");
}

TEST_F(PlatformPreferences, ZeroByteAndMalformedFilesHoldNoValues) {
    Preferences prefs;
    device.writeFile(kFile, "");
    EXPECT_FALSE(prefs.copyAppValue("items", kDomain));
    device.writeFile(kFile, "<plist><dict><key>items</key>");
    EXPECT_FALSE(prefs.copyAppValue("items", kDomain));
    prefs.setAppValue("leftRightRowsPerColumn", Value(2), kDomain);
    EXPECT_TRUE(prefs.appSynchronize(kDomain));
    EXPECT_EQ(test::plistlibJson(device.host(kFile)), R"({"leftRightRowsPerColumn": 2})");
    EXPECT_FALSE(prefs.copyAppValue("items", "com.quarvek.nestora.Missing"));
}

TEST_F(PlatformPreferences, SynchronizeWithoutChangesWritesNothing) {
    Preferences prefs;
    EXPECT_TRUE(prefs.appSynchronize(kDomain));
    EXPECT_FALSE(device.exists(kFile));
}

TEST_F(PlatformPreferences, FailedWriteKeepsTheOldFileAndThePendingChange) {
    device.writeFile(kFile, "");
    Preferences prefs;
    prefs.setAppValue("items", Value(Array{Value("a")}), kDomain);
    ASSERT_EQ(::chmod(device.host("/var/mobile/Library/Preferences").c_str(), 0555), 0);
    const bool writable = ::access(device.host("/var/mobile/Library/Preferences").c_str(), W_OK) == 0;
    if (!writable) {
        EXPECT_FALSE(prefs.appSynchronize(kDomain));
        EXPECT_EQ(device.readFile(kFile), "");
    }
    ASSERT_EQ(::chmod(device.host("/var/mobile/Library/Preferences").c_str(), 0755), 0);
    EXPECT_TRUE(prefs.appSynchronize(kDomain)) << "the change was kept for the next try";
    EXPECT_EQ(test::plistlibJson(device.host(kFile)), R"({"items": ["a"]})");
}

TEST_F(PlatformPreferences, AProcessKilledWhileSynchronizingLeavesTheOldFileWhole) {
    ASSERT_TRUE(test::plistlibWrite(device.host(kFile), "{'items': ['old']}", "binary"));
    const std::string before = device.readFile(kFile);
    // The child's write stops half way: it may not grow a file beyond 4 KiB,
    // and the kernel kills it (SIGXFSZ) when it tries.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_DFL);
        Preferences prefs;
        Array big;
        for (int i = 0; i < 2000; ++i) big.emplace_back("com.example.app" + std::to_string(i));
        prefs.setAppValue("items", Value(std::move(big)), kDomain);
        prefs.appSynchronize(kDomain);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child should have been stopped mid-write";
    EXPECT_EQ(device.readFile(kFile), before);
    EXPECT_EQ(test::plistlibJson(device.host(kFile)), R"({"items": ["old"]})");
}

TEST_F(PlatformPreferences, UserDefaultsLiveInTheAppsOwnDomain) {
    Preferences prefs;
    platform::UserDefaults defaults(prefs, "com.quarvek.nestora");
    EXPECT_FALSE(defaults.boolForKey("needRespring"));
    defaults.setBool(true, "needRespring");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(test::plistlibJson(device.host("/var/mobile/Library/Preferences/com.quarvek.nestora.plist")),
              R"({"needRespring": true})");
    Preferences other;
    EXPECT_TRUE(platform::UserDefaults(other, "com.quarvek.nestora").boolForKey("needRespring"));
}

}  // namespace
}  // namespace nestora
