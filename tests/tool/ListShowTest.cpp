// --list and --show: column formats, (null) columns, byte cuts, which
// preferences names count, and the items of a category.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

std::string listLine(const char* name, const char* path, const char* third) {
    char line[256];
    std::snprintf(line, sizeof line, "%-17.17s %-35.35s %s\n", name, path, third);
    return line;
}

TEST(ToolList, EmptyDeviceHasNoCategories) {
    ToolDevice device;
    EXPECT_EQ(device.tool({"-l"}).out, "No categories found.\n");
    // Without the folders at all, too.
    std::filesystem::remove_all(device.host("/var"));
    EXPECT_EQ(device.tool({"--list"}).out, "No categories found.\n");
}

TEST(ToolList, CompleteCategoryShowsAllThreeColumns) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    EXPECT_EQ(device.tool({"-l"}).out,
              "Games             /Applications/Category000.app       com.quarvek.nestora.Category000\n");
}

TEST(ToolList, MissingPartsPrintAsNull) {
    ToolDevice device;
    device.makeCategory("Category001", "No prefs", false);
    EXPECT_EQ(device.tool({"-l"}).out,
              listLine("No prefs", "/Applications/Category001.app", "(null)"));
    std::filesystem::remove_all(device.host("/Applications/Category001.app"));
    device.writeFile(ToolDevice::prefsFile("Category005"), "");
    EXPECT_EQ(device.tool({"-l"}).out, listLine("(null)", "(null)", "com.quarvek.nestora.Category005"));
}

TEST(ToolList, NamesAreCutOrPaddedToSeventeenBytes) {
    ToolDevice device;
    device.makeCategory("Category000", "Twenty characters!!");
    std::string out = device.tool({"-l"}).out;
    EXPECT_EQ(out, "Twenty characters /Applications/Category000.app       com.quarvek.nestora.Category000\n");
    // Bytes, not characters: a two-byte letter at byte 17 is cut in half.
    device.makeCategory("Category000", "Sixteen letters \xc3\xa9!");
    out = device.tool({"-l"}).out;
    EXPECT_EQ(out.substr(0, 18), std::string("Sixteen letters \xc3 ", 18));
}

TEST(ToolList, OnlyFivePartPreferencesNamesCountAndRecentIsOne) {
    ToolDevice device;
    device.writeFile(std::string(kPrefsFolder) + "/com.quarvek.nestora.Category005.plist.bak", "");
    device.writeFile(std::string(kPrefsFolder) + "/com.other.app.Category005.plist", "");
    EXPECT_EQ(device.tool({"-l"}).out, "No categories found.\n");

    device.writeFile(std::string(kPrefsFolder) + "/com.quarvek.nestora.Category005.old", "");
    // The identifier counts, but its ".plist" file does not exist.
    EXPECT_EQ(device.tool({"-l"}).out, listLine("(null)", "(null)", "(null)"));

    std::filesystem::remove(device.host(std::string(kPrefsFolder) + "/com.quarvek.nestora.Category005.old"));
    device.writeFile(ToolDevice::prefsFile("Recent"), "");
    EXPECT_EQ(device.tool({"-l"}).out, listLine("(null)", "(null)", "com.quarvek.nestora.Recent"));
    device.makeCategory("Recent", "Recent");
    EXPECT_EQ(device.tool({"-l"}).out,
              listLine("Recent", "/Applications/Recent.app", "com.quarvek.nestora.Recent"));
}

TEST(ToolList, BundlesAreRecognisedByTheirInfoPlistIdentifier) {
    ToolDevice device;
    device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari");
    device.makeApp("/Applications/Five.app", "com.quarvek.nestora.Category000.extra", "Five parts");
    device.makeFolder("/Applications/NoInfo.app");
    device.writeFile("/Applications/Broken.app/Info.plist", "<plist><dict><key>");
    EXPECT_EQ(device.tool({"-l"}).out, "No categories found.\n");
    // The identifier comes from the folder name, not from the Info.plist.
    device.makeApp("/Applications/Games.app", "com.quarvek.nestora.Category042", "Games");
    EXPECT_EQ(device.tool({"-l"}).out, listLine("Games", "/Applications/Games.app", "(null)"));
}

TEST(ToolList, IdentifiersStoredAsUtf16OrWithEntitiesAreFound) {
    ToolDevice device;
    // A binary list stores a non-ASCII string as UTF-16.
    device.makeFolder("/Applications/Bin\xc3\xa9.app");
    ASSERT_TRUE(plistlibWrite(device.host("/Applications/Bin\xc3\xa9.app/Info.plist"),
                              "{'CFBundleIdentifier': 'com.quarvek.nestora.Bin\\u00e9', 'CFBundleDisplayName': 'Binary'}",
                              "binary"));
    EXPECT_EQ(device.tool({"-l"}).out, listLine("Binary", "/Applications/Bin\xc3\xa9.app", "(null)"));
    std::filesystem::remove_all(device.host("/Applications/Bin\xc3\xa9.app"));
    device.writeFile("/Applications/Ent.app/Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                     "<key>CFBundleIdentifier</key><string>com.quar&#118;ek.nestora.Ent</string>"
                     "<key>CFBundleDisplayName</key><string>Entity &amp; co</string></dict></plist>\n");
    EXPECT_EQ(device.tool({"-l"}).out, listLine("Entity & co", "/Applications/Ent.app", "(null)"));
}

TEST(ToolList, PreferencesFilesComeFirstEachCategoryOnceAndInNameOrder) {
    ToolDevice device;
    // Made out of order: the listing sorts by name, as the phone's does.
    for (int i : {2, 0, 3, 1}) {
        device.makeCategory("Category00" + std::to_string(i), "Both" + std::to_string(i));
    }
    for (int i : {6, 4, 7, 5}) {
        device.makeCategory("Category00" + std::to_string(i), "Bundle" + std::to_string(i), false);
    }
    std::vector<std::string> lines = linesOf(device.tool({"-l"}).out);
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string name = (i < 4 ? "Both" : "Bundle") + std::to_string(i);
        EXPECT_TRUE(lines[i].starts_with(name + " ")) << lines[i];
        EXPECT_NE(lines[i].find("/Applications/Category00" + std::to_string(i) + ".app"), std::string::npos) << lines[i];
    }
}

TEST(ToolShow, ListsItemsWithTheirAppNamesInStoredOrder) {
    ToolDevice device;
    device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
    device.makeApp("/var/mobile/Applications/ABC-123/Longer Than Seventeen.app", "com.example.long",
                   "A name longer than seventeen", "Long");
    device.makeCategory("Category000", "Web");
    device.writePrefs("Category000",
                      "{'items': ['com.example.long', 'com.apple.mobilesafari', 'com.gone.app', "
                      "'com.apple.mobilesafari']}");
    RunResult run = device.tool({"-s", "Category000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out,
              "A name longer tha com.example.long\n"
              "Safari            com.apple.mobilesafari\n"
              "(null)            com.gone.app\n"
              "Safari            com.apple.mobilesafari\n");
}

TEST(ToolShow, NamesAppsWhoseInfoPlistStartsWithAByteOrderMark) {
    ToolDevice device;
    device.makeApp("/var/mobile/Applications/C1/Marked.app", "com.example.marked", "Marked \xc3\xa9");
    const std::string info = "/var/mobile/Applications/C1/Marked.app/Info.plist";
    ASSERT_TRUE(writeEncodedText(device.host(info), device.readFile(info), "utf-8-bom"));
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000", "{'items': ['com.example.marked']}");
    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "Marked \xc3\xa9         com.example.marked\n");
}

TEST(ToolShow, AFifoForAnInfoPlistHangsNothing) {
    ToolDevice device;
    device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
    device.makeFolder("/var/mobile/Applications/STUCK/Stuck.app");
    ASSERT_EQ(mkfifo(device.host("/var/mobile/Applications/STUCK/Stuck.app/Info.plist").c_str(), 0644), 0);
    device.makeCategory("Category000", "Web");
    device.writePrefs("Category000", "{'items': ['com.apple.mobilesafari']}");
    device.makeCategory("Category001", "Legacy", false);
    device.writeFile("/Applications/Category001.app/list.txt", "Stuck.app\nMobileSafari.app\n");
    // Bounded, so that a hang fails the test instead of stopping it.
    auto bounded = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{"/usr/bin/timeout", "20", NESTORA_TOOL_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return runProgram(argv);
    };
    RunResult run = bounded({"-s", "Category000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Safari            com.apple.mobilesafari\n");
    run = bounded({"-u", "Category001", "-d", "Category000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Updating category Category001\n");
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category001")), "{\"items\": [\"com.apple.mobilesafari\"]}");
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
}

TEST(ToolShow, EmptyMissingOrDamagedItems) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "Category is empty.\n");
    device.writePrefs("Category000", "{'items': {'a': 'b'}}");
    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "Category is empty.\n");
    device.writePrefs("Category000", "{'items': []}");
    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "Category is empty.\n");
    // A file that cannot be read is damaged, never empty.
    device.writeFile(ToolDevice::prefsFile("Category000"), "<plist>broken");
    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "ERROR: Category does not exist or is damaged.\n");

    // A bundle without preferences file cannot be shown; preferences without
    // a bundle can.
    device.makeCategory("Category001", "No prefs", false);
    EXPECT_EQ(device.tool({"-s", "Category001"}).out, "ERROR: Category does not exist or is damaged.\n");
    device.writePrefs("Category002", "{'items': ['com.gone.app']}");
    EXPECT_EQ(device.tool({"-s", "Category002"}).out, "(null)            com.gone.app\n");
}

// Nothing printed may drive a terminal: every byte below 0x20 but the line
// ends, DEL, and the C1 controls must be gone.
void expectNoControls(const std::string& out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        EXPECT_FALSE((byte < 0x20 && byte != '\n') || byte == 0x7f ||
                     (byte == 0xc2 && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) < 0xa0))
            << "byte " << i << " of:\n" << out;
    }
}

TEST(ToolListShow, ControlCharactersArePrintedEscaped) {
    ToolDevice device;
    device.makeApp("/Applications/Evil.app", "com.example.evil");
    ASSERT_TRUE(plistlibWrite(device.host("/Applications/Evil.app/Info.plist"),
                              "{'CFBundleIdentifier': 'com.example.evil', 'CFBundleDisplayName': 'Ev\\x1b]0;pwned\\x07il'}",
                              "binary"));
    device.makeCategory("Category000", "Games");
    ASSERT_TRUE(plistlibWrite(device.host("/Applications/Category000.app/Info.plist"),
                              "{'CFBundleIdentifier': 'com.quarvek.nestora.Category000', "
                              "'CFBundleDisplayName': '\\x1b[2JGames'}",
                              "binary"));
    device.writePrefs("Category000", "{'items': ['com.example.evil', 'com.\\x1b[31mred\\u009b', 'plain']}");
    // A preferences file name anyone with the folder can choose.
    device.writeFile(std::string(kPrefsFolder) + "/com.quarvek.nestora.\x1b[5m\xff.plist", "");

    RunResult show = device.tool({"-s", "Category000"});
    expectNoControls(show.out);
    EXPECT_EQ(show.out,
              "Ev\\x1b]0;pwned\\x0 com.example.evil\n"
              "(null)            com.\\x1b[31mred\\xc2\\x9b\n"
              "(null)            plain\n");

    RunResult list = device.tool({"-l"});
    expectNoControls(list.out);
    std::vector<std::string> lines = linesOf(list.out);
    std::sort(lines.begin(), lines.end());
    ASSERT_EQ(lines.size(), 2u) << list.out;
    // Widths count the bytes as printed.
    EXPECT_EQ(lines[0], "(null)            (null)                              com.quarvek.nestora.\\x1b[5m\\xff");
    EXPECT_EQ(lines[1], "\\x1b[2JGames      /Applications/Category000.app       com.quarvek.nestora.Category000");
}

TEST(ToolShow, FiveHundredItemsAreAllNamed) {
    ToolDevice device;
    for (int i = 0; i < 50; ++i) {
        device.makeApp("/Applications/App" + std::to_string(i) + ".app", "com.example.app" + std::to_string(i),
                       "App " + std::to_string(i));
    }
    std::string items = "{'items': [";
    for (int i = 0; i < 500; ++i) {
        items += "'com.example.app" + std::to_string(i % 50) + "',";
    }
    items += "]}";
    device.makeCategory("Category000", "Many");
    device.writePrefs("Category000", items);
    RunResult run = device.tool({"-s", "Category000"});
    std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines[499], "App 49            com.example.app49");
}

}  // namespace
}  // namespace nestora::test
