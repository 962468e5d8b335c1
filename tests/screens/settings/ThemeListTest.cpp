// Theme discovery over the two theme folders, and the names it hands on.

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "screens/settings/ThemeList.h"
#include "tests/support/TestDevice.h"

namespace nestora::screens {
namespace {

using Themes = std::vector<std::string>;

TEST(ThemeList, NoThemeFoldersOfferOnlyNoTheme) {
    test::TestDevice device;
    EXPECT_EQ(discoverThemes(), Themes{"No Theme"});
    device.makeFolder("/Library/Themes");  // present but empty
    EXPECT_EQ(discoverThemes(), Themes{"No Theme"});
}

TEST(ThemeList, OnlyEntriesWithIconsAreOfferedAndBothFoldersCount) {
    test::TestDevice device;
    device.makeFolder("/Library/Themes/Foo.theme/Icons");
    device.makeFolder("/Library/Themes/Bare.theme");                   // no "Icons"
    device.writeFile("/Library/Themes/FileIcons.theme/Icons", "");     // a file counts too
    device.writeFile("/Library/Themes/NotAFolder", "");
    device.makeFolder("/var/mobile/Library/Library/SummerBoard/Themes/Foo.theme/Icons");
    const Themes themes = discoverThemes();
    ASSERT_FALSE(themes.empty());
    EXPECT_EQ(themes.front(), "No Theme");
    // Within a folder in name order, as the phone's file system lists them;
    // /Library/Themes comes first, and the theme in both is offered twice.
    EXPECT_EQ(themes, (Themes{"No Theme", "FileIcons.theme", "Foo.theme", "Foo.theme"}));
}

TEST(ThemeList, IconsThroughALinkCountAndADanglingLinkDoesNot) {
    test::TestDevice device;
    device.makeFolder("/Library/Shared/Icons");
    device.makeFolder("/Library/Themes/Linked.theme");
    device.makeFolder("/Library/Themes/Dangling.theme");
    ASSERT_EQ(::symlink(device.host("/Library/Shared/Icons").c_str(),
                        device.host("/Library/Themes/Linked.theme/Icons").c_str()), 0);
    ASSERT_EQ(::symlink("/nowhere", device.host("/Library/Themes/Dangling.theme/Icons").c_str()), 0);
    EXPECT_EQ(discoverThemes(), (Themes{"No Theme", "Linked.theme"}));
}

TEST(ThemeList, StrangeNamesComeThroughUnchangedUnlessTheyAreNotText) {
    test::TestDevice device;
    const std::string newline = "Two\nLines.theme";
    const std::string longName = std::string(240, 'L') + ".theme";
    const std::string notUtf8 = "Bad\xff\xfe.theme";
    for (const std::string& name : {newline, longName, notUtf8}) {
        device.makeFolder("/Library/Themes/" + name + "/Icons");
    }
    const Themes themes = discoverThemes();
    const std::set<std::string> offered(themes.begin(), themes.end());
    EXPECT_EQ(offered, (std::set<std::string>{"No Theme", newline, longName}));
}

TEST(ThemeList, TheExtensionIsTakenOffForShowing) {
    EXPECT_EQ(themeNameWithoutExtension("Classic.theme"), "Classic");
    EXPECT_EQ(themeNameWithoutExtension("My.Cool.theme"), "My.Cool");
    EXPECT_EQ(themeNameWithoutExtension("No Theme"), "No Theme");
    EXPECT_EQ(themeNameWithoutExtension(".hidden"), ".hidden");
}

}  // namespace
}  // namespace nestora::screens
