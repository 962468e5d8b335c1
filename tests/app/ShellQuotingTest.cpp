// Quoting and the tool's command lines, judged by /bin/sh: whatever a user
// types, and wherever the device root lies, each operand reaches the program
// as exactly one argument holding exactly that text.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/ShellQuoting.h"
#include "app/ToolCommands.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestDevice.h"

namespace nestora::app {
namespace {

const std::vector<std::string> kHostileTitles = {
    "Games",
    "\"quoted\"",
    "$HOME and ${PATH}",
    "`id` and $(id)",
    "\\",
    "back\\slash\\\\double",
    "\\\"",
    "   ",
    "line one\nline two",
    "Spiele für Käthe — 游戏 🎮",
    "it's a 'single' quote!",
    "-c",
    "semi; colon & amp | pipe > out < in",
    "*",
    "trailing backslash\\",
};

// What /bin/sh makes of one double-quoted word: printf %s prints it back.
std::string shellRoundTrip(const std::string& word) {
    test::RunResult result = test::runProgram({"/bin/sh", "-c", "printf %s " + word});
    EXPECT_EQ(result.exitStatus, 0) << word << result.err;
    return result.out;
}

TEST(AppShellQuoting, EscapesTheFourCharactersInOrder) {
    EXPECT_EQ(escapeForDoubleQuotes("\\"), "\\\\");
    EXPECT_EQ(escapeForDoubleQuotes("$"), "\\$");
    EXPECT_EQ(escapeForDoubleQuotes("`"), "\\`");
    EXPECT_EQ(escapeForDoubleQuotes("\""), "\\\"");
    // The backslash pass comes first: added backslashes are not doubled.
    EXPECT_EQ(escapeForDoubleQuotes("\\$`\""), "\\\\\\$\\`\\\"");
    EXPECT_EQ(escapeForDoubleQuotes("a b\n'ü!"), "a b\n'ü!");
    EXPECT_EQ(escapeForDoubleQuotes(""), "");
}

TEST(AppShellQuoting, ShellTurnsEveryEscapedTitleBackIntoTheTypedText) {
    for (const std::string& title : kHostileTitles) {
        EXPECT_EQ(shellRoundTrip(doubleQuotedWord(title)), title) << title;
    }
}

// A stand-in tool that records each argument it gets on a line of its own,
// with a count first, in a device root whose path itself needs quoting.
class AppRecordingTool : public ::testing::Test {
protected:
    void SetUp() override {
        device_.makeFolder("/Applications/Nestora.app");
        device_.writeFile("/Applications/Nestora.app/NestoraTool",
                          "#!/bin/sh\n"
                          "out=\"$(dirname \"$0\")/args\"\n"
                          "printf '%s\\n' \"$#\" > \"$out\"\n"
                          "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$out\"; done\n");
        ::chmod(device_.host("/Applications/Nestora.app/NestoraTool").c_str(), 0755);
    }

    std::string recorded() const { return device_.readFile("/Applications/Nestora.app/args"); }

    test::TestDevice device_;
};

std::string expectedArgs(const std::vector<std::string>& args) {
    std::string out = std::to_string(args.size()) + "\n";
    for (const std::string& a : args) {
        out += "[" + a + "]\n";
    }
    return out;
}

TEST_F(AppRecordingTool, FourCommandLinesCarryEachOperandAsOneWord) {
    for (const std::string& title : kHostileTitles) {
        ASSERT_TRUE(runToolCommandLine(createCategoryCommandLine(title))) << title;
        EXPECT_EQ(recorded(), expectedArgs({"-c", title}));
        ASSERT_TRUE(runToolCommandLine(renameCategoryCommandLine("com.quarvek.nestora.Category004", title)));
        EXPECT_EQ(recorded(), expectedArgs({"-n", title, "--", "Category004"}));
        ASSERT_TRUE(runToolCommandLine(setIconCommandLine("/var/mobile/Media/Nestora/Icons/" + title + ".png",
                                                          "com.quarvek.nestora.Category004")));
        EXPECT_EQ(recorded(),
                  expectedArgs({"-i", "/var/mobile/Media/Nestora/Icons/" + title + ".png", "--", "Category004"}));
    }
    ASSERT_TRUE(runToolCommandLine(deleteCategoryCommandLine("com.quarvek.nestora.Category012")));
    EXPECT_EQ(recorded(), expectedArgs({"-d", "Category012"}));
}

TEST_F(AppRecordingTool, DirectoryNameFromAHostileFileNameStaysOneWord) {
    // The list is built from file names in a folder the user can write.
    const std::string identifier = "com.quarvek.nestora.`touch${IFS}pwned`;$(touch pwned)";
    ASSERT_TRUE(runToolCommandLine(deleteCategoryCommandLine(identifier)));
    EXPECT_EQ(recorded(), expectedArgs({"-d", "`touch${IFS}pwned`;$(touch pwned)"}));
    EXPECT_FALSE(device_.exists("/Applications/Nestora.app/pwned"));
}

TEST(AppShellQuoting, ToolPathInADeviceRootThatNeedsQuoting) {
    test::TestDevice outer;
    const std::string odd = outer.root() + "/dev $ice `root` \"x\"";
    ::setenv("NESTORA_DEVICE_ROOT", odd.c_str(), 1);
    const std::string tool = odd + "/Applications/Nestora.app/NestoraTool";
    outer.makeFolder("/dev $ice `root` \"x\"/Applications/Nestora.app");
    outer.writeFile("/dev $ice `root` \"x\"/Applications/Nestora.app/NestoraTool", "#!/bin/sh\nexit 0\n");
    ::chmod(tool.c_str(), 0755);
    EXPECT_TRUE(runToolCommandLine(createCategoryCommandLine("Games")));
    EXPECT_EQ(shellRoundTrip(toolWord()), tool);
    ::setenv("NESTORA_DEVICE_ROOT", outer.root().c_str(), 1);
}

TEST(AppShellQuoting, NonZeroStatusIsFailure) {
    test::TestDevice device;  // no tool at all
    EXPECT_FALSE(runToolCommandLine(createCategoryCommandLine("Games")));
}

}  // namespace
}  // namespace nestora::app
