#include <gtest/gtest.h>

#include "common/CategoryNaming.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

TEST(CommonCategoryNaming, NamesDeriveFromOneAnother) {
    EXPECT_EQ(bundlePathForIdentifier("com.quarvek.nestora.Category010"), "/Applications/Category010.app");
    EXPECT_EQ(identifierForBundlePath("/Applications/Category010.app"), "com.quarvek.nestora.Category010");
    EXPECT_EQ(prefsPathForIdentifier("com.quarvek.nestora.Category010"),
              "/var/mobile/Library/Preferences/com.quarvek.nestora.Category010.plist");
    EXPECT_EQ(categoryDirectoryName("com.quarvek.nestora.Category010"), "Category010");
}

TEST(CommonCategoryNaming, OnlyTheTextAfterTheLastDotNamesTheBundle) {
    // The leading part is not checked; the Recent category follows the same rule.
    EXPECT_EQ(bundlePathForIdentifier("org.example.Recent"), "/Applications/Recent.app");
    EXPECT_EQ(bundlePathForIdentifier("com.quarvek.nestora.Recent"), "/Applications/Recent.app");
    EXPECT_EQ(bundlePathForIdentifier("NoDots"), "/Applications/NoDots.app");
    EXPECT_EQ(identifierForBundlePath("/Applications/Games"), "com.quarvek.nestora.Games");
    EXPECT_EQ(identifierForBundlePath("/Applications/Category001.app/"), "com.quarvek.nestora.Category001");
    EXPECT_EQ(identifierForBundlePath("/Applications/a.b.app"), "com.quarvek.nestora.a.b");
}

TEST(CommonCategoryNaming, CountsDotComponents) {
    EXPECT_EQ(dotComponentCount("com.quarvek.nestora.Category000"), 4u);
    EXPECT_EQ(dotComponentCount("com.quarvek.nestora.Category000.plist"), 5u);
    EXPECT_EQ(dotComponentCount("com.quarvek.nestora.Category000.plist.bak"), 6u);
    EXPECT_EQ(dotComponentCount("a..b"), 3u);
    EXPECT_EQ(dotComponentCount(""), 1u);
}

TEST(CommonCategoryNaming, DirectoryNamesAreOneComponentOfPrintableTextNotAnOption) {
    for (const char* good : {"Category000", "Recent", "Caf\xc3\xa9", "a-b", "with space", "\xc2\xa0nbsp"}) {
        EXPECT_TRUE(isPlainCategoryName(good)) << good;
    }
    for (const char* bad : {"", "-d", "-dCategory000", "--", "a.b", "..", "a/b", "Tab\there", "Del\x7f",
                            "Caf\xe9", "\xc2\x9b" "2J", "\xc3"}) {
        EXPECT_FALSE(isPlainCategoryName(bad)) << bad;
    }
}

TEST(CommonCategoryNaming, ABundleOrPreferencesFileExistsWhenAnyEntryIsThere) {
    test::TestDevice device;
    const char* id = "com.quarvek.nestora.Category000";
    EXPECT_FALSE(categoryBundleExists(id));
    EXPECT_FALSE(categoryPrefsExist(id));
    device.writeFile("/Applications/Category000.app", "a plain file counts");
    device.makeFolder("/var/mobile/Library/Preferences/com.quarvek.nestora.Category000.plist");
    EXPECT_TRUE(categoryBundleExists(id));
    EXPECT_TRUE(categoryPrefsExist(id));
}

TEST(CommonCategoryNaming, ABundleIdentifierIsThePrefixAndOnePlainName) {
    EXPECT_TRUE(isCategoryBundleIdentifier("com.quarvek.nestora.Category000"));
    EXPECT_TRUE(isCategoryBundleIdentifier("com.quarvek.nestora.Recent"));
    EXPECT_TRUE(isCategoryBundleIdentifier("com.quarvek.nestora.Caf\xc3\xa9 %41"));
    for (const char* hostile : {"", "com.quarvek.nestora.", "com.quarvek.nestora", "com.quarvek.nestoraX.Y",
                                "com.quarvek.nestora.A.B", "com.quarvek.nestora...", "com.quarvek.nestora.../x",
                                "../../../../etc/x", "com.quarvek.nestora.a/b", "com.quarvek.nestora.a\nb",
                                "com.quarvek.nestora.a\x7f", "org.example.Category000"}) {
        EXPECT_FALSE(isCategoryBundleIdentifier(hostile)) << hostile;
    }
    // The tool's operand rule is the same rule on the name alone.
    EXPECT_TRUE(isPlainCategoryName("Category000"));
    EXPECT_FALSE(isPlainCategoryName(".."));
}

}  // namespace
}  // namespace nestora
