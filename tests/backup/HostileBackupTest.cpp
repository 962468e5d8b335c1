// Backup files come from anywhere. Whatever one holds, a restore refuses it
// whole or skips the parts the tool would refuse, says so, and writes
// nothing outside the categories.

#include <gtest/gtest.h>
#include <unistd.h>

#include "backup/BackupFormat.h"
#include "tests/backup/BackupHarness.h"
#include "tests/support/ExpandingPlist.h"

namespace nestora::test {
namespace {

constexpr const char* kBackupFile = "/var/mobile/Media/hostile.plist";

plist::Value entry(std::initializer_list<std::pair<const std::string, plist::Value>> fields) {
    return plist::Value(plist::Dictionary(fields));
}

std::string backupOf(plist::Array categories, std::int64_t format = 1) {
    plist::Dictionary top;
    top["NestoraBackupFormat"] = plist::Value(format);
    top["Categories"] = plist::Value(std::move(categories));
    return plist::toBinary(plist::Value(std::move(top)));
}

plist::Data bytesOf(std::string_view text) { return plist::Data(text.begin(), text.end()); }

// What a restore may write: categories, its own folder, and (through the
// hide library) the library's state.
bool restoreMayWrite(const std::string& path) {
    return path.starts_with("/Applications/Category") ||
           path.starts_with(std::string(kPreferencesFolder) + "/com.quarvek.nestora.Category") ||
           path.starts_with("/var/mobile/Library/Nestora") || path.starts_with("/var/lib");
}

class HostileBackup : public ::testing::Test {
protected:
    RunResult restoreBytes(const std::string& bytes) {
        device.writeFile(kBackupFile, bytes);
        before = device.tree();
        return device.backup({"restore", kBackupFile});
    }

    void expectRefusedWhole(const std::string& bytes, const std::string& why) {
        SCOPED_TRACE(why);
        RunResult result = restoreBytes(bytes);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find(why), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("is refused"), std::string::npos) << result.err;
        EXPECT_EQ(changedPaths(before, device.tree()), std::vector<std::string>{});
    }

    BackupDevice device;
    std::map<std::string, std::string> before;
};

TEST_F(HostileBackup, FilesThatAreNoBackupAreRefusedWholeAndChangeNothing) {
    const std::string good = backupOf({entry({{"DirectoryName", "Category000"}, {"DisplayName", "Games"}})});
    expectRefusedWhole("", "the file is empty");
    expectRefusedWhole("\x01\x02 not a property list at all", "not a readable property list");
    expectRefusedWhole(good.substr(0, good.size() / 2), "not a readable property list");
    expectRefusedWhole(good.substr(0, good.size() - 1), "not a readable property list");
    expectRefusedWhole(plist::toBinary(plist::Value(plist::Array{})), "not a Nestora backup");
    expectRefusedWhole(backupOf({}, 2), "the backup has format 2, which this version cannot read");

    // Nested far deeper than any reader may recurse, in both encodings.
    std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>NestoraBackupFormat</key>"
                       "<integer>1</integer><key>Categories</key>";
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    for (int i = 0; i < 100000; ++i) deep += "</array>";
    deep += "</dict></plist>";
    expectRefusedWhole(deep, "not a readable property list");
    plist::Value nested = plist::Array{};
    for (int i = 0; i < 600; ++i) nested = plist::Value(plist::Array{std::move(nested)});
    plist::Dictionary top{{"NestoraBackupFormat", plist::Value(1)}, {"Categories", std::move(nested)}};
    expectRefusedWhole(plist::toBinary(plist::Value(std::move(top))), "not a readable property list");
}

TEST_F(HostileBackup, AFileLargerThanABackupCanBeIsNotRead) {
    device.writeFile(kBackupFile, "");
    ASSERT_EQ(::truncate(device.host(kBackupFile).c_str(), static_cast<off_t>(backup::kMaxBackupBytes) + 1), 0);
    before = device.tree();
    RunResult result = device.backup({"restore", kBackupFile});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("larger than 64 MB"), std::string::npos) << result.err;
}

TEST_F(HostileBackup, AFileThatWouldExpandPastMemoryIsRefusedWhole) {
    // Under 1 MB, its categories one 900 KB string named 40,000 times.
    expectRefusedWhole(expandingList("Categories"), "the file is not a readable property list");
    device.writeFile(kBackupFile, expandingList("Categories"));
    RunResult listed = device.backup({"list", kBackupFile});
    EXPECT_EQ(listed.exitStatus, 1);
    EXPECT_NE(listed.err.find("is refused"), std::string::npos) << listed.err;
}

TEST_F(HostileBackup, PartsTheToolWouldRefuseAreSkippedAndNothingIsWrittenOutsideTheCategories) {
    const plist::Array categories = {
        entry({{"DirectoryName", "../../../etc/evil"}, {"DisplayName", "Evil"}}),
        entry({{"DirectoryName", "Category001/../../x"}, {"DisplayName", "Evil"}}),
        entry({{"DirectoryName", ""}, {"DisplayName", "Evil"}}),
        entry({{"DirectoryName", "."}, {"DisplayName", "Evil"}}),
        entry({{"DirectoryName", "Cat\x1b[2Jegory"}, {"DisplayName", "Evil"}}),
        entry({{"DirectoryName", plist::Value(42)}, {"DisplayName", "Evil"}}),
        plist::Value("not a category"),
        entry({{"DirectoryName", "Category007"}, {"Preferences", plist::Value(plist::Array{})}}),
        entry({{"DirectoryName", "Category008"}, {"DisplayName", plist::Value(8)}}),
        // Restored, without the parts that cannot be what they claim.
        entry({{"DirectoryName", "Category005"},
               {"DisplayName", "../../Applications/MobileSafari.app"},
               {"Icon", plist::Value(bytesOf("GIF89a not a png"))}}),
        entry({{"DirectoryName", "Category006"},
               {"DisplayName", "Bad\aName"},
               {"Icon", plist::Value("PNG, but as text")},
               {"Preferences",
                plist::Value(plist::Dictionary{
                    {"items", plist::Value(plist::Array{"com.apple.mobilesafari", "../../etc/passwd",
                                                        "com.example.x\x1b]0;pwn\a", plist::Value(42), ""})},
                    {"iconFontColor", plist::Value(2)}})}}),
    };
    const std::string bytes = backupOf(categories);
    ASSERT_FALSE(bytes.empty());
    RunResult result = restoreBytes(bytes);
    EXPECT_EQ(result.exitStatus, 1) << "parts were left out";
    EXPECT_EQ(lineWith(result.out, "restored"), "2 categories restored, 0 already present, 0 skipped, 0 failed.");
    EXPECT_NE(lineWith(result.out, "parts of the backup refused"), "");
    for (const char* expected : {"category 1 (../../../etc/evil) skipped: not a category directory name",
                                 "category 5 (Cat\\x1b[2Jegory) skipped: not a category directory name",
                                 "category 6 skipped: no directory name", "category 7 skipped: not a dictionary",
                                 "category 8 (Category007) skipped: its preferences are not a dictionary",
                                 "category 9 (Category008) skipped: its display name is not text",
                                 "category 10 (Category005): icon skipped: not a PNG image",
                                 "category 11 (Category006): icon skipped: not a PNG image",
                                 "item \"../../etc/passwd\" skipped", "item \"com.example.x\\x1b]0;pwn\\x07\" skipped",
                                 "item of the wrong type skipped", "item \"\" skipped"}) {
        EXPECT_NE(result.err.find(expected), std::string::npos) << expected << "\n" << result.err;
    }
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << "nothing reaches the terminal raw";

    for (const std::string& path : changedPaths(before, device.tree())) {
        EXPECT_TRUE(restoreMayWrite(path)) << path << " was written";
    }
    EXPECT_EQ(device.categoryNames(), (std::vector<std::string>{"Category005", "Category006"}));
    EXPECT_FALSE(device.exists("/Applications/Category005.app/icon.png"));
    EXPECT_NE(lineWith(device.tool({"-l"}).out, "Category006"), "");
    EXPECT_EQ(device.tool({"-s", "Category006"}).out, "Safari            com.apple.mobilesafari\n");
    // The name the tool stores for a control character compares equal the
    // next time: a second restore makes nothing twice.
    RunResult again = device.backup({"restore", kBackupFile});
    EXPECT_EQ(lineWith(again.out, "restored"), "0 categories restored, 2 already present, 0 skipped, 0 failed.");
}

TEST_F(HostileBackup, ListingShowsNamesWithoutDrivingTheTerminal) {
    // The tool stores C0 controls but tab, line feed and carriage return as
    // U+FFFD; the rest, DEL and C1 controls (CSI among them), stay in a name.
    device.writeFile(kBackupFile, backupOf({entry({{"DirectoryName", "Category000"},
                                                  {"DisplayName", "\tTab\x7f\xc2\x9b" "31mRed\\"}})}));
    RunResult listed = device.backup({"list", kBackupFile});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(lineWith(listed.out, "Category000"), "\\x09Tab\\x7f\\xc2\\x9b31mRed\\\\ Category000  0 items");
}

}  // namespace
}  // namespace nestora::test
