// The legacy readers on bytes: the 110-byte record read field by field and
// list.txt read in 126-byte pieces.

#include <gtest/gtest.h>

#include "tool/LegacyFormat.h"

namespace nestora::test {
namespace {

using tool::legacyListEntries;
using tool::legacyPrefsFromBytes;

std::string record(std::size_t length) {
    std::string bytes(tool::kLegacyPrefsRecordSize, '\0');
    bytes[0] = 0;      // showCategoryName
    bytes[1] = 2;      // showIconLabels: any non-zero byte is true
    bytes[2] = 0;      // saveImageOnExit
    bytes[3] = 1;      // useBackgroundImage
    bytes[4] = 0;      // leftRightScroll
    bytes[5] = '\xff';  // leftRightRowsPerColumn = -1
    bytes[6] = '\xff';
    bytes[7] = '\xff';
    bytes[8] = '\xff';
    bytes[9] = 10;  // iconFontColor = 10
    bytes.replace(13, 5, "Theme");
    bytes[109] = 1;  // keepResident
    return bytes.substr(0, length);
}

TEST(ToolLegacyPrefs, FullRecord) {
    const plist::Dictionary prefs = legacyPrefsFromBytes(record(110), "Category004");
    EXPECT_EQ(prefs.at("showCategoryName"), plist::Value(false));
    EXPECT_EQ(prefs.at("showIconLabels"), plist::Value(true));
    EXPECT_EQ(prefs.at("saveImageOnExit"), plist::Value(false));
    EXPECT_EQ(prefs.at("useBackgroundImage"), plist::Value(true));
    EXPECT_EQ(prefs.at("leftRightScroll"), plist::Value(false));
    EXPECT_EQ(prefs.at("leftRightRowsPerColumn"), plist::Value(-1));
    EXPECT_EQ(prefs.at("iconFontColor"), plist::Value(10));
    EXPECT_EQ(prefs.at("iconThemeName"), plist::Value("Theme"));
    EXPECT_EQ(prefs.at("keepResident"), plist::Value(true));
    EXPECT_EQ(prefs.at("categoryName"), plist::Value("Category004"));
    EXPECT_EQ(prefs.size(), 10u);
}

TEST(ToolLegacyPrefs, FieldsThatAreNotThereInFullKeepTheirDefaults) {
    plist::Dictionary prefs = legacyPrefsFromBytes(record(8), "C");
    EXPECT_EQ(prefs.at("useBackgroundImage"), plist::Value(true));
    EXPECT_EQ(prefs.at("leftRightRowsPerColumn"), plist::Value(4));
    EXPECT_EQ(prefs.at("iconThemeName"), plist::Value("No Theme"));
    prefs = legacyPrefsFromBytes(record(109), "C");
    EXPECT_EQ(prefs.at("iconThemeName"), plist::Value("Theme"));
    EXPECT_EQ(prefs.at("keepResident"), plist::Value(false));
    prefs = legacyPrefsFromBytes("", "C");
    EXPECT_EQ(prefs.at("showCategoryName"), plist::Value(true));
    EXPECT_EQ(prefs.at("saveImageOnExit"), plist::Value(true));
    EXPECT_EQ(prefs.at("leftRightScroll"), plist::Value(true));
    EXPECT_EQ(prefs.at("iconFontColor"), plist::Value(0));
}

TEST(ToolLegacyPrefs, ThemeNameFillingTheFieldOrNotUtf8) {
    std::string bytes = record(110);
    bytes.replace(13, 96, std::string(96, 'x'));
    EXPECT_EQ(legacyPrefsFromBytes(bytes, "C").at("iconThemeName"), plist::Value(std::string(96, 'x')));
    bytes.replace(13, 4, std::string("Caf\xe9", 4));
    bytes[17] = '\0';
    EXPECT_EQ(legacyPrefsFromBytes(bytes, "C").at("iconThemeName"), plist::Value("Caf\xc3\xa9"));
}

TEST(ToolLegacyList, LinesAreStrippedAtTheEndOnly) {
    EXPECT_EQ(legacyListEntries("Notes.app   \r\n\r\nCamera.app\r\r\n  Lead.app\nLast.app"),
              (std::vector<std::string>{"Notes.app", "\r", "Camera.app", "  Lead.app", "Last.app"}));
    // Never down to nothing: a lone space or line feed stays one character.
    EXPECT_EQ(legacyListEntries(" \n\n"), (std::vector<std::string>{" ", "\n"}));
    EXPECT_TRUE(legacyListEntries("").empty());
}

TEST(ToolLegacyList, LongLinesAreReadIn126BytePieces) {
    const std::string longName(300, 'a');
    const std::vector<std::string> entries = legacyListEntries(longName + "\nNext.app\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], std::string(126, 'a'));
    EXPECT_EQ(entries[1], std::string(126, 'a'));
    EXPECT_EQ(entries[2], std::string(48, 'a'));
    EXPECT_EQ(entries[3], "Next.app");
    // A line of exactly 126 bytes leaves its line feed to the next read.
    EXPECT_EQ(legacyListEntries(std::string(126, 'b') + "\nX\n"),
              (std::vector<std::string>{std::string(126, 'b'), "\n", "X"}));
}

TEST(ToolLegacyList, AZeroByteEndsTheEntry) {
    EXPECT_EQ(legacyListEntries(std::string("Notes.app\0junk\nB.app\n", 21)),
              (std::vector<std::string>{"Notes.app", "B.app"}));
}

TEST(ToolLegacyList, ResolvedAndIdentifiedInFileOrderWithDuplicates) {
    std::vector<std::string> resolved;
    const plist::Array items = tool::legacyItemsFromText(
        "A.app\nGone.app\nNoId.app\nA.app\n",
        [&resolved](std::string_view entry) -> std::optional<std::string> {
            resolved.emplace_back(entry);
            if (entry == "Gone.app") {
                return std::nullopt;
            }
            return "/Applications/" + std::string(entry);
        },
        [](std::string_view path) -> std::optional<std::string> {
            if (path == "/Applications/NoId.app") {
                return std::nullopt;
            }
            return "id:" + std::string(path);
        });
    EXPECT_EQ(resolved, (std::vector<std::string>{"A.app", "Gone.app", "NoId.app", "A.app"}));
    EXPECT_EQ(items, (plist::Array{plist::Value("id:/Applications/A.app"), plist::Value("id:/Applications/A.app")}));
}

TEST(ToolLegacyList, PhotoRolesNeedNoBundleAndOtherNamesMustBePlain) {
    tool::LegacyItemResolver resolver;
    EXPECT_EQ(resolver.resolveLegacyItemPath("Camera.app"), "/Applications/Camera.app");
    EXPECT_EQ(resolver.resolveLegacyItemPath("Photos.app"), "/Applications/Photos.app");
    EXPECT_EQ(tool::legacyDisplayIdentifier("/Applications/Camera.app"), "com.apple.mobileslideshow-Camera");
    EXPECT_EQ(tool::legacyDisplayIdentifier("/Applications/Photos.app"), "com.apple.mobileslideshow-Photos");
    for (const char* name : {"", ".", "..", "../etc", "a/b", "/"}) {
        EXPECT_EQ(resolver.resolveLegacyItemPath(name), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace nestora::test
