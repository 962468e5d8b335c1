// --restore <list>: many categories made in one run under the names the list
// gives, each with its display name and icon; whatever in the list is bad is
// refused on its own and the rest is made.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Plist.h"
#include "tests/tool/ToolHarness.h"
#include "tool/CategoryRestore.h"

namespace nestora::test {
namespace {

constexpr std::string_view kList = "/var/mobile/Media/list.plist";

plist::Value entry(const std::string& directoryName, const std::string& displayName,
                   const std::optional<std::string>& icon = std::nullopt) {
    plist::Dictionary value;
    value[std::string(tool::kListDirectoryNameKey)] = directoryName;
    value[std::string(tool::kListDisplayNameKey)] = displayName;
    if (icon) value[std::string(tool::kListIconKey)] = plist::Data(icon->begin(), icon->end());
    return plist::Value(std::move(value));
}

void writeList(const ToolDevice& device, plist::Array entries) {
    device.writeFile(kList, plist::toBinary(plist::Value(std::move(entries))));
}

std::vector<std::string> dotEntriesOfApplications(const ToolDevice& device) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(device.host("/Applications"))) {
        if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path().filename().string());
    }
    return names;
}

// `made`: by this run, with the installed launcher files (a category that
// was there keeps its own).
void expectWhole(const ToolDevice& device, const std::string& name, const std::string& displayName,
                 bool made = true) {
    for (const std::string& file : kLauncherFileNames) {
        const std::string path = ToolDevice::bundle(name) + "/" + file;
        EXPECT_TRUE(device.exists(path)) << path;
        if (made) {
            EXPECT_EQ(device.readFile(path), device.readFile(std::string(kLauncherFolder) + "/" + file)) << path;
        }
    }
    if (made) {
        EXPECT_EQ(device.modeOf(ToolDevice::bundle(name) + "/NestoraLauncher"), 0755);
    }
    const auto info = plist::readFile(ToolDevice::bundle(name) + "/Info.plist");
    ASSERT_TRUE(info.has_value()) << name;
    EXPECT_EQ(info->stringForKey("CFBundleIdentifier"), ToolDevice::identifier(name));
    EXPECT_EQ(info->stringForKey("CFBundleName"), name);
    EXPECT_EQ(info->stringForKey("CFBundleDisplayName"), displayName);
    if (made) {
        EXPECT_EQ(info->dictionary()->size(), 11u);
    }
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile(name))) << name;
}

TEST(ToolRestoreList, MakesEachCategoryWholeWithItsNameAndIconAndFinishesOnesThatAreThere) {
    ToolDevice device;
    device.makeCategory("Category001", "Old");
    device.writePrefs("Category001", "{'items': ['com.example.kept']}");
    // A name of another form is a category only when its preferences file is
    // there; otherwise the list may not make a bundle of that name.
    device.writePrefs("Work", "{}");
    writeList(device, {entry("Category000", "Games", pngBytes("games")), entry("Category001", "Music", pngBytes("music")),
                       entry("Work", "Ünï \"quoted\""), entry("MobileMail", "Mail")});
    const RunResult run = device.tool({"--restore", std::string(kList)});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "ERROR: Category does not exist or is damaged.\n");
    EXPECT_FALSE(device.exists("/Applications/MobileMail.app"));
    expectWhole(device, "Category000", "Games");
    expectWhole(device, "Category001", "Music", false);
    expectWhole(device, "Work", "Ünï \"quoted\"");
    EXPECT_EQ(device.readFile("/Applications/Category000.app/icon.png"), pngBytes("games"));
    EXPECT_EQ(device.readFile("/Applications/Category001.app/icon.png"), pngBytes("music"));
    EXPECT_FALSE(device.exists("/Applications/Work.app/icon.png"));
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category000")), "") << "a new category's preferences are empty";
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category001")), "{\"items\": [\"com.example.kept\"]}")
        << "an existing preferences file is kept";
    EXPECT_EQ(dotEntriesOfApplications(device), std::vector<std::string>{}) << "nothing left under a staging name";

    // The same list again changes nothing.
    const std::string before = device.readFile("/Applications/Category000.app/Info.plist");
    EXPECT_EQ(device.tool({"--restore", std::string(kList)}).out, "ERROR: Category does not exist or is damaged.\n");
    EXPECT_EQ(device.readFile("/Applications/Category000.app/Info.plist"), before);
}

TEST(ToolRestoreList, GivesACategoryThatIsThereTheLauncherFilesItLacks) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    std::filesystem::remove(device.host("/Applications/Category000.app/MainWindow.nib"));
    writeList(device, {entry("Category000", "Games")});
    EXPECT_EQ(device.tool({"--restore", std::string(kList)}).out,
              "Restored missing file: /Applications/Category000.app/MainWindow.nib\n");
    expectWhole(device, "Category000", "Games", false);
}

TEST(ToolRestoreList, RefusesWhatIsNoListAndPassesOverEachBadEntry) {
    ToolDevice device;
    EXPECT_EQ(device.tool({"--restore", "/var/mobile/Media/none.plist"}).out,
              "ERROR: Unable to read category list: /var/mobile/Media/none.plist\n");
    device.writeFile(kList, "\x1b[2J not a list");
    EXPECT_EQ(device.tool({"--restore", std::string(kList)}).out,
              "ERROR: Unable to read category list: /var/mobile/Media/list.plist\n");
    device.writeFile(kList, plist::toBinary(plist::Value(plist::Dictionary{})));
    EXPECT_EQ(device.tool({"--restore", std::string(kList)}).out,
              "ERROR: Unable to read category list: /var/mobile/Media/list.plist\n");

    // An app that merely sits where a category would.
    device.makeApp("/Applications/Category007.app", "com.example.squatter", "", "Squatter");
    const std::string squatter = device.readFile("/Applications/Category007.app/Info.plist");
    plist::Dictionary noName{{std::string(tool::kListDirectoryNameKey), plist::Value("Category003")}};
    writeList(device, {entry("../Evil", "x"), plist::Value(std::move(noName)), plist::Value("text"),
                       entry("Category004", "Picture", "GIF89a not a png"), entry("Category007", "Taken"),
                       entry("Category002", "Good")});
    EXPECT_EQ(device.tool({"--restore", std::string(kList)}).out,
              "ERROR: Invalid category name: ../Evil\n"
              "ERROR: Damaged entry in category list: /var/mobile/Media/list.plist\n"
              "ERROR: Damaged entry in category list: /var/mobile/Media/list.plist\n"
              "ERROR: Icon file is not a PNG image: /var/mobile/Media/list.plist (Category004)\n"
              "ERROR: Not a category: Category007\n");
    expectWhole(device, "Category002", "Good");
    for (const char* name : {"Category003", "Category004"}) {
        EXPECT_FALSE(device.exists(ToolDevice::bundle(name))) << name;
        EXPECT_FALSE(device.exists(ToolDevice::prefsFile(name))) << name;
    }
    EXPECT_EQ(device.readFile("/Applications/Category007.app/Info.plist"), squatter);
    EXPECT_FALSE(device.exists("/Evil.app"));
}

TEST(ToolRestoreList, IsReadWithTheRightsOfWhoRanTheTool) {
    auto user = unprivilegedUser();
    if (!user) GTEST_SKIP() << "needs root to run the tool as another user";
    ToolDevice device;
    device.giveFolderTo(kPrefsFolder, user->uid, user->gid);  // the tool serves the folder's owner
    writeList(device, {entry("Category000", "Secret")});
    std::filesystem::permissions(device.host(kList), std::filesystem::perms::owner_read);
    const RunResult run = device.toolAs(user->uid, user->gid, {"--restore", std::string(kList)});
    EXPECT_EQ(run.out, "ERROR: Unable to read category list: /var/mobile/Media/list.plist\n");
    EXPECT_FALSE(device.exists(ToolDevice::bundle("Category000")));
}

}  // namespace
}  // namespace nestora::test
