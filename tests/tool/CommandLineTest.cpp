// The command line: usage text, the order options act in, the pending
// name and icon, the parser's diagnostics and the category operand check.

#include <gtest/gtest.h>

#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

const std::string kUsage =
    "Usage: NestoraTool <flag> [extra params]\n"
    "\n"
    "  -l, --list                      List categories\n"
    "  -s, --show <category>           List items in <category>\n"
    "  -c, --create <name>             Create new category named <name>\n"
    "  -d, --delete <category>         Delete category with app. directory\n"
    "                                    named <category>\n"
    "  -i, --icon <file> <category>    Use copy of <file> as icon for <category>\n"
    "  -n, --name <name> <category>    Rename <category> to <name>\n"
    "  -r, --repair <category>         Repair <category> by making sure all required\n"
    "                                    files exist, permissions are set, and format\n"
    "                                    matches latest version of Nestora\n"
    "      --repairall                 Repair all categories\n"
    "  -u, --upgrade <category>        Upgrade <category> to latest version of Nestora\n"
    "                                    software and format\n"
    "      --upgradeall                Upgrade all categories\n";

std::string displayNameOf(const ToolDevice& device, const std::string& directoryName) {
    auto json = device.plistJson(ToolDevice::bundle(directoryName) + "/Info.plist");
    if (!json) {
        return "<unreadable>";
    }
    const std::string key = "\"CFBundleDisplayName\": \"";
    auto start = json->find(key);
    if (start == std::string::npos) {
        return "<missing>";
    }
    start += key.size();
    return json->substr(start, json->find('"', start) - start);
}

TEST(ToolCommandLine, NoArgumentsPrintsUsageAndHelpIsNotListed) {
    ToolDevice device;
    RunResult run = device.tool({});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, kUsage);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(kUsage.find("--help"), std::string::npos);
}

TEST(ToolCommandLine, ActionsRunInOrderAsParsed) {
    ToolDevice device;
    RunResult run = device.tool({"-h", "-l"});
    EXPECT_EQ(run.out, kUsage + "No categories found.\n");

    // -d first, then -c: the freed number is taken again at once.
    device.makeCategory("Category000", "Old");
    run = device.tool({"-d", "Category000", "-c", "Games", "-c", "Music", "--list"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(displayNameOf(device, "Category000"), "Games");
    EXPECT_EQ(displayNameOf(device, "Category001"), "Music");
    EXPECT_NE(run.out.find("Games "), std::string::npos);
}

TEST(ToolCommandLine, OperandMayStandBeforeOrAfterTheOptions) {
    ToolDevice device;
    device.makeCategory("Category000", "Old");
    EXPECT_EQ(device.tool({"Category000", "-n", "Games"}).out, "");
    EXPECT_EQ(displayNameOf(device, "Category000"), "Games");
    EXPECT_EQ(device.tool({"-n", "Music", "Category000", "Ignored"}).out, "");
    EXPECT_EQ(displayNameOf(device, "Category000"), "Music");
    EXPECT_EQ(device.tool({"-n", "A", "-n", "B", "Category000"}).out, "");
    EXPECT_EQ(displayNameOf(device, "Category000"), "B");
    EXPECT_EQ(device.tool({"--name=Equals", "Category000"}).out, "");
    EXPECT_EQ(displayNameOf(device, "Category000"), "Equals");
    // A lone "--" ends the options: what follows is an operand.
    EXPECT_EQ(device.tool({"--na", "Dashes", "--", "Category000"}).out, "");
    EXPECT_EQ(displayNameOf(device, "Category000"), "Dashes");
}

TEST(ToolCommandLine, IconWinsOverNameWhenBothAreGiven) {
    ToolDevice device;
    device.makeCategory("Category000", "Old");
    device.writeFile("/tmp/a.png", pngBytes("new"));
    RunResult run = device.tool({"-i", "/tmp/a.png", "-n", "Games", "Category000"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(device.readFile("/Applications/Category000.app/icon.png"), pngBytes("new"));
    EXPECT_EQ(displayNameOf(device, "Category000"), "Old");
}

TEST(ToolCommandLine, PendingChangeNeedsAnExistingCategory) {
    ToolDevice device;
    RunResult run = device.tool({"-n", "Games"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "ERROR: Must specify directory name of category to change.\n");
    run = device.tool({"-n", "Games", "Category009"});
    EXPECT_EQ(run.out, "ERROR: Category does not exist or application directory is missing.\n");
    EXPECT_FALSE(device.exists("/Applications/Category009.app"));
    // Operands without -i or -n are ignored.
    run = device.tool({"Category009", "extra"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
}

TEST(ToolCommandLine, UpgradeIsNotRepairInEitherSpelling) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    for (const char* option : {"-u", "--upgrade"}) {
        RunResult run = device.tool({option, "Category000"});
        EXPECT_EQ(run.out, "Updating category Category000\n") << option;
        EXPECT_EQ(device.readFile("/Applications/Category000.app/MainWindow.nib"), "MainWindow.nib v2");
        device.writeFile("/Applications/Category000.app/MainWindow.nib", "MainWindow.nib v1");
    }
}

TEST(ToolCommandLine, ParserDiagnosticsGoToStandardErrorOnly) {
    ToolDevice device;
    RunResult run = device.tool({"-x"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");

    run = device.tool({"-s"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");

    // "--rep" could be --repair, --repairall: ambiguous, reported, skipped;
    // the next option still runs.
    run = device.tool({"--rep", "-l"});
    EXPECT_EQ(run.out, "No categories found.\n");
    EXPECT_NE(run.err, "");

    run = device.tool({"--repairall", "--upgradeall", "--help"});
    EXPECT_EQ(run.out, kUsage);
    EXPECT_EQ(run.err, "");
}

TEST(ToolCommandLine, CategoryOperandMustBeOneDirectoryName) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile("/victim/keep.txt", "keep");
    const std::vector<std::vector<std::string>> attempts = {
        {"-d", "../../victim"}, {"-d", "."},           {"-d", ".."},          {"-s", ".."},
        {"-r", "a/b"},          {"-u", "Category000/"}, {"-d", ""},           {"-r", "Cat.egory"},
        {"-n", "X", "../victim"}};
    for (const auto& attempt : attempts) {
        RunResult run = device.tool(attempt);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, "ERROR: Invalid category name: " + attempt.back() + "\n") << attempt.back();
    }
    // A refused name is echoed with its control characters made visible.
    EXPECT_EQ(device.tool({"-d", "Cate\ngory\x1b[2J"}).out, "ERROR: Invalid category name: Cate\\x0agory\\x1b[2J\n");
    EXPECT_EQ(device.readFile("/victim/keep.txt"), "keep");
    EXPECT_FALSE(device.exists("/Applications/a"));
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));
    // Only that operation is skipped: the rest of the command line runs.
    RunResult run = device.tool({"-d", "..", "-s", "Category000"});
    EXPECT_EQ(run.out, "ERROR: Invalid category name: ..\nCategory is empty.\n");
}

TEST(ToolCommandLine, OperandsThatReadAsOptionsOrAreNotTextAreRefused) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000", "{'items': ['com.apple.mobilesafari']}");
    // A name that getopt would read as "-d Category000" if it were ever
    // placed before the options end.
    RunResult run = device.tool({"-n", "Renamed", "--", "-dCategory000"});
    EXPECT_EQ(run.out, "ERROR: Invalid category name: -dCategory000\n");
    EXPECT_EQ(device.tool({"-d", "-dCategory000", "-r", "-", "-s", "Category000"}).out,
              "ERROR: Invalid category name: -dCategory000\n"
              "ERROR: Invalid category name: -\n"
              "(null)            com.apple.mobilesafari\n");
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));

    // Not UTF-8: the bundle could never get an Info.plist, so nothing is made.
    const std::string latin1("Caf\xe9", 4);
    EXPECT_EQ(device.tool({"-r", latin1}).out, "ERROR: Invalid category name: Caf\\xe9\n");
    EXPECT_FALSE(device.exists("/Applications/" + latin1 + ".app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile(latin1)));
    // A C1 control (CSI, U+009B) is valid UTF-8 but drives terminals all the same.
    EXPECT_EQ(device.tool({"-r", "\xc2\x9b" "2J"}).out, "ERROR: Invalid category name: \\xc2\\x9b2J\n");
    EXPECT_FALSE(device.exists("/Applications/\xc2\x9b" "2J.app"));
    // Text beyond ASCII is fine, for a category its preferences file names.
    device.writeFile(ToolDevice::prefsFile("Caf\xc3\xa9"), "");
    EXPECT_EQ(device.tool({"-r", "Caf\xc3\xa9"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Caf\xc3\xa9.app/Info.plist"));
}

TEST(ToolCommandLine, NamesAreStoredAsTextEveryPropertyListReaderAccepts) {
    ToolDevice device;
    // Not UTF-8, and a control character that XML cannot carry at all.
    RunResult run = device.tool({"-c", std::string("Caf\xe9 \"quoted\" \xc3\xa9\x01\tend", 21)});
    EXPECT_EQ(run.out, "");
    auto json = device.plistJson("/Applications/Category000.app/Info.plist");
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find("\"CFBundleDisplayName\": \"Caf\xef\xbf\xbd \\\"quoted\\\" \xc3\xa9\xef\xbf\xbd\\tend\""),
              std::string::npos)
        << *json;
    EXPECT_EQ(device.tool({"-n", std::string("\x1b[31mred", 8), "Category000"}).out, "");
    json = device.plistJson("/Applications/Category000.app/Info.plist");
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find("\"CFBundleDisplayName\": \"\xef\xbf\xbd[31mred\""), std::string::npos) << *json;
}

}  // namespace
}  // namespace nestora::test
