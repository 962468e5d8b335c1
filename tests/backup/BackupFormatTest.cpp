// The backup file's format and the texts shown from it.

#include <gtest/gtest.h>

#include "backup/BackupFormat.h"
#include "backup/PrintableText.h"

namespace nestora::backup {
namespace {

TEST(BackupFormat, ACategoryComesBackAsItWasSaved) {
    Backup saved;
    saved.created = plist::Date{700000000.5};
    BackupCategory games;
    games.directoryName = "Category000";
    games.displayName = "Games ☃";
    games.icon = plist::Data{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 1, 2};
    games.preferences = {{"items", plist::Value(plist::Array{"com.example.tanks"})},
                         {"iconFontColor", plist::Value(4)},
                         {"leftRightScroll", plist::Value(false)},
                         {"iconThemeName", plist::Value("No Theme")}};
    BackupCategory recent;
    recent.directoryName = "Recent";
    saved.categories = {games, recent};

    const DecodedBackup decoded = decodeBackup(encodeBackup(saved));
    ASSERT_TRUE(decoded.backup);
    EXPECT_TRUE(decoded.problems.empty());
    EXPECT_EQ(decoded.backup->categories, saved.categories);
    EXPECT_EQ(decoded.backup->created, saved.created);
}

TEST(PrintableText, ControlsAndBrokenBytesAreWrittenOutAndTextIsKept) {
    EXPECT_EQ(printable("Games ☃ – Ünï"), "Games ☃ – Ünï");
    EXPECT_EQ(printable("a\x1b[2Jb\tc\nd\x7f"), "a\\x1b[2Jb\\x09c\\x0ad\\x7f");
    EXPECT_EQ(printable("\xc2\x9b" "31m"), "\\xc2\\x9b31m") << "C1 controls act on terminals too";
    EXPECT_EQ(printable("\xc2\xa0"), "\xc2\xa0") << "no-break space is text";
    EXPECT_EQ(printable("bad \xff\xfe end \xe2\x82"), "bad \\xff\\xfe end \\xe2\\x82");
    EXPECT_EQ(printable("back\\slash"), "back\\\\slash");
}

}  // namespace
}  // namespace nestora::backup
