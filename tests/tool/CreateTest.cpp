// --create: the lowest free number, the bundle's files and modes, the
// Info.plist, the empty preferences file, the limit and the rollback.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>

#include "tests/tool/ToolHarness.h"
#include "tool/CategoryStore.h"

namespace nestora::test {
namespace {

std::vector<std::string> folderNames(const ToolDevice& device, std::string_view devicePath) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(device.host(devicePath))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ToolCreate, FreshCategoryHasTheLauncherFilesInfoPlistAndEmptyPrefs) {
    ToolDevice device;
    RunResult run = device.tool({"-c", "Games & \"Fun\" \xc3\xa9t\xc3\xa9"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");

    EXPECT_EQ(folderNames(device, "/Applications/Category000.app"),
              (std::vector<std::string>{"Default.png", "Info.plist", "MainWindow.nib", "NestoraLauncher",
                                        "background.png", "blank.png"}));
    for (const std::string& name : kLauncherFileNames) {
        EXPECT_EQ(device.readFile("/Applications/Category000.app/" + name), name + " v2");
    }
    EXPECT_EQ(device.modeOf("/Applications/Category000.app/NestoraLauncher"), 0755);
    auto info = device.plistJson("/Applications/Category000.app/Info.plist");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(*info,
              "{\"CFBundleDevelopmentRegion\": \"en\", \"CFBundleDisplayName\": \"Games & \\\"Fun\\\" \xc3\xa9t\xc3\xa9\", "
              "\"CFBundleExecutable\": \"NestoraLauncher\", \"CFBundleIdentifier\": \"com.quarvek.nestora.Category000\", "
              "\"CFBundleInfoDictionaryVersion\": \"6.0\", \"CFBundleName\": \"Category000\", "
              "\"CFBundlePackageType\": \"APPL\", \"CFBundleVersion\": \"1.0\", \"DTPlatformName\": \"iphoneos\", "
              "\"NSMainNibFile\": \"MainWindow\", \"UIStatusBarStyle\": \"UIStatusBarStyleBlackTranslucent\"}");
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category000")));
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category000")), "");
}

TEST(ToolCreate, NothingCreatedIsWritableByOthersWhateverTheCallersUmask) {
    ToolDevice device;
    const mode_t previous = umask(0);
    RunResult run = device.tool({"-c", "Games"});
    umask(previous);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(device.modeOf("/Applications/Category000.app"), 0755);
    EXPECT_EQ(device.modeOf("/Applications/Category000.app/Info.plist"), 0644);
    EXPECT_EQ(device.modeOf("/Applications/Category000.app/NestoraLauncher"), 0755);
    EXPECT_EQ(device.modeOf(ToolDevice::prefsFile("Category000")), 0644);
}

TEST(ToolCreate, TakesTheLowestFreeNumberAndCountsAnyEntryAsTaken) {
    ToolDevice device;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(device.tool({"-c", "C" + std::to_string(i)}).out, "");
    }
    ASSERT_EQ(device.tool({"-d", "Category002"}).out, "");
    EXPECT_EQ(device.tool({"-c", "Again"}).out, "");
    auto info = device.plistJson("/Applications/Category002.app/Info.plist");
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->find("\"CFBundleIdentifier\": \"com.quarvek.nestora.Category002\""), std::string::npos);
    EXPECT_NE(info->find("\"CFBundleDisplayName\": \"Again\""), std::string::npos);

    // A plain file takes a number; so does a preferences file left without
    // its bundle (that category's items stay until it is repaired or deleted).
    device.writeFile("/Applications/Category005.app", "not a folder");
    device.writePrefs("Category006", "{'items': ['com.apple.MobileSafari']}");
    EXPECT_EQ(device.tool({"-c", "Next"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Category007.app/Info.plist"));
    EXPECT_EQ(device.readFile("/Applications/Category005.app"), "not a folder");
    EXPECT_FALSE(device.exists("/Applications/Category006.app"));
    EXPECT_NE(device.plistJson(ToolDevice::prefsFile("Category006"))->find("MobileSafari"), std::string::npos);
}

TEST(ToolCreate, StopsAtTheLimitOfOneThousand) {
    ToolDevice device;
    for (int i = 0; i < 1000; ++i) {
        device.makeFolder(tool::categoryBundlePathForNumber(i));
    }
    RunResult run = device.tool({"-c", "Overflow"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "ERROR: Category limit reached (1000 categories)\n");
    EXPECT_TRUE(folderNames(device, "/var/mobile/Library/Preferences").empty());

    std::filesystem::remove(device.host("/Applications/Category999.app"));
    EXPECT_EQ(device.tool({"-c", "Last"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Category999.app/Info.plist"));
}

TEST(ToolCreate, RollsBackWhenALauncherFileIsMissing) {
    ToolDevice device;
    std::filesystem::remove(device.host("/Applications/Nestora.app/Launcher/MainWindow.nib"));
    RunResult run = device.tool({"-c", "Games"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "ERROR: Unable to copy to dest: /Applications/Category000.app/MainWindow.nib\n");
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category000")));
}

TEST(ToolCreate, RollbackRemovesOnlyWhatThisRunMade) {
    ToolDevice device;
    device.makeFolder("/Applications/Category000.app");
    device.writeFile("/Applications/Category000.app/mine.txt", "keep");
    std::filesystem::remove(device.host("/Applications/Nestora.app/Launcher/background.png"));
    RunResult run = device.tool({"-c", "Games"});
    EXPECT_EQ(run.out, "ERROR: Unable to copy to dest: /Applications/Category001.app/background.png\n");
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    EXPECT_EQ(device.readFile("/Applications/Category000.app/mine.txt"), "keep");
    EXPECT_TRUE(folderNames(device, "/var/mobile/Library/Preferences").empty());
}

TEST(ToolCreate, CreatesAtTheSameTimeAllSucceedWithDistinctNumbers) {
    ToolDevice device;
    constexpr int kRuns = 8;
    constexpr int kPerRun = 25;
    std::vector<std::future<RunResult>> runs;
    for (int r = 0; r < kRuns; ++r) {
        runs.push_back(std::async(std::launch::async, [&device, r] {
            std::vector<std::string> arguments;
            for (int i = 0; i < kPerRun; ++i) {
                arguments.insert(arguments.end(), {"-c", "R" + std::to_string(r) + "-" + std::to_string(i)});
            }
            return device.tool(arguments);
        }));
    }
    for (auto& run : runs) {
        EXPECT_EQ(run.get().out, "");
    }
    for (int n = 0; n < kRuns * kPerRun; ++n) {
        const std::string bundle = tool::categoryBundlePathForNumber(n);
        EXPECT_TRUE(device.exists(bundle + "/Info.plist")) << bundle;
        EXPECT_TRUE(device.exists(bundle + "/NestoraLauncher")) << bundle;
    }
    EXPECT_FALSE(device.exists(tool::categoryBundlePathForNumber(kRuns * kPerRun)));
    EXPECT_EQ(folderNames(device, "/var/mobile/Library/Preferences").size(), std::size_t{kRuns * kPerRun});
}

}  // namespace
}  // namespace nestora::test
