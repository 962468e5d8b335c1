// --name and --icon: only CFBundleDisplayName changes; the icon source is a
// PNG read with the caller's rights; a failed write leaves the old file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TestPng.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

const std::string kInfo = "/Applications/Category000.app/Info.plist";
const std::string kIcon = "/Applications/Category000.app/icon.png";

TEST(ToolRename, ChangesOnlyTheDisplayName) {
    ToolDevice device;
    device.makeCategory("Category000", "Old");
    ASSERT_TRUE(device.plistJson(kInfo).has_value());
    std::string before = *device.plistJson(kInfo);
    EXPECT_EQ(device.tool({"-n", "New 'name' \xe2\x98\x83", "Category000"}).out, "");
    std::string expected = before;
    expected.replace(expected.find("\"Old\""), 5, "\"New 'name' \xe2\x98\x83\"");
    EXPECT_EQ(device.plistJson(kInfo), expected);

    EXPECT_EQ(device.tool({"-n", "", "Category000"}).out, "");
    expected.replace(expected.find("\"New"), std::string("\"New 'name' \xe2\x98\x83\"").size(), "\"\"");
    EXPECT_EQ(device.plistJson(kInfo), expected);
    EXPECT_EQ(device.modeOf(kInfo), 0644);
}

TEST(ToolRename, RebuildsAnInfoPlistThatCannotBeRead) {
    ToolDevice device;
    device.makeCategory("Category000", "Old");
    device.writeFile(kInfo, "<plist><dict><key>Broken");
    EXPECT_EQ(device.tool({"-n", "Games", "Category000"}).out, "");
    auto json = device.plistJson(kInfo);
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find("\"CFBundleDisplayName\": \"Games\""), std::string::npos);
    EXPECT_NE(json->find("\"CFBundleIdentifier\": \"com.quarvek.nestora.Category000\""), std::string::npos);
    EXPECT_NE(json->find("\"CFBundleExecutable\": \"NestoraLauncher\""), std::string::npos);
}

TEST(ToolRename, AFailedWriteLeavesTheOldInfoPlist) {
    auto user = unprivilegedUser();
    if (!user) {
        GTEST_SKIP() << "needs root to run the tool as a user who cannot write the bundle";
    }
    ToolDevice device;
    device.makeCategory("Category000", "Old");
    device.giveFolderTo(kPrefsFolder, user->uid, user->gid);  // the tool serves the folder's owner
    const std::string before = device.readFile(kInfo);
    RunResult run = device.toolAs(user->uid, user->gid, {"-n", "New", "Category000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "ERROR: Unable to write file: /Applications/Category000.app/Info.plist\n");
    EXPECT_EQ(device.readFile(kInfo), before);
}

TEST(ToolIcon, CopiesAPngAndReplacesTheOldIcon) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile("/Icons/first.png", pngBytes("first"));
    device.writeFile("/Icons/second.png", pngBytes("second"));
    EXPECT_EQ(device.tool({"-i", "/Icons/first.png", "Category000"}).out, "");
    EXPECT_EQ(device.readFile(kIcon), pngBytes("first"));
    EXPECT_EQ(device.tool({"--icon", "/Icons/second.png", "Category000"}).out, "");
    EXPECT_EQ(device.readFile(kIcon), pngBytes("second"));
    EXPECT_EQ(device.modeOf(kIcon), 0644);
    // Nothing but icon.png is left behind.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(device.host("/Applications/Category000.app"))) {
        ++entries;
    }
    EXPECT_EQ(entries, 7u);
}

// The optimised PNG form of the phone's build tools is a valid icon on the
// phone: the tool takes it as it is, byte for byte, for the app to draw.
TEST(ToolIcon, TakesAnOptimisedPngByteForByte) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    const auto optimised = optimisedPng(standardPng(patternPicture(57, 57, true)));
    ASSERT_TRUE(optimised.has_value());
    device.writeFile("/Icons/optimised.png", *optimised);
    EXPECT_EQ(device.tool({"-i", "/Icons/optimised.png", "Category000"}).out, "");
    EXPECT_EQ(device.readFile(kIcon), *optimised);
}

TEST(ToolIcon, RefusesWhatIsNotAReadablePngAndKeepsTheIcon) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile(kIcon, pngBytes("current"));
    device.writeFile("/Icons/text.png", "just text, no image");
    device.makeFolder("/Icons/folder.png");

    const std::string text = "/Icons/text.png";
    EXPECT_EQ(device.tool({"-i", text, "Category000"}).out, "ERROR: Icon file is not a PNG image: " + text + "\n");
    const std::string missing = "/Icons/missing.png";
    EXPECT_EQ(device.tool({"-i", missing, "Category000"}).out, "ERROR: Unable to read icon file: " + missing + "\n");
    const std::string folder = "/Icons/folder.png";
    EXPECT_EQ(device.tool({"-i", folder, "Category000"}).out, "ERROR: Unable to read icon file: " + folder + "\n");
    const std::string fifo = "/Icons/fifo.png";
    ASSERT_EQ(mkfifo(device.host(fifo).c_str(), 0644), 0);
    EXPECT_EQ(device.tool({"-i", fifo, "Category000"}).out, "ERROR: Unable to read icon file: " + fifo + "\n");
    // A name chosen to drive the terminal is echoed harmless.
    EXPECT_EQ(device.tool({"-i", "/Icons/\x1b]2;x\x07.png", "Category000"}).out,
              "ERROR: Unable to read icon file: /Icons/\\x1b]2;x\\x07.png\n");
    EXPECT_EQ(device.readFile(kIcon), pngBytes("current"));
}

TEST(ToolIcon, AFailedWriteLeavesTheOldIcon) {
    auto user = unprivilegedUser();
    if (!user) {
        GTEST_SKIP() << "needs root to run the tool as a user who cannot write the bundle";
    }
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile(kIcon, pngBytes("current"));
    device.writeFile("/Icons/new.png", pngBytes("new"));
    device.giveFolderTo(kPrefsFolder, user->uid, user->gid);
    RunResult run = device.toolAs(user->uid, user->gid, {"-i", "/Icons/new.png", "Category000"});
    EXPECT_EQ(run.out, "ERROR: Unable to write file: /Applications/Category000.app/icon.png\n");
    EXPECT_EQ(device.readFile(kIcon), pngBytes("current"));
}

}  // namespace
}  // namespace nestora::test
