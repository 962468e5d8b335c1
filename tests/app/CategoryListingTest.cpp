#include <gtest/gtest.h>

#include <algorithm>

#include "app/CategoryListing.h"
#include "tests/support/TestDevice.h"

namespace nestora::app {
namespace {

TEST(AppCategoryListing, FivePartRuleOnFileNames) {
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.Category001.plist"),
              "com.quarvek.nestora.Category001");
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.Recent.plist"), "com.quarvek.nestora.Recent");
    // No trailing dot in the prefix test: this one passes too.
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestoraX.Y.plist"), "com.quarvek.nestoraX.Y");
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.plist"), "");       // four parts
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.A.B.plist"), "");   // six parts
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.apple.springboard.x.plist"), "");
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.Category001.txt"),
              "com.quarvek.nestora.Category001");  // any extension counts as the fifth part
}

TEST(AppCategoryListing, NamesTheToolWouldRefuseAreNotListed) {
    // Each row's directory name goes on the tool's command line: one that
    // reads as an option, or that the tool refuses anyway, is no category.
    for (const char* name : {"com.quarvek.nestora.-dCategory000.plist", "com.quarvek.nestora.-.plist",
                             "com.quarvek.nestora..plist", "com.quarvek.nestora.Caf\xe9.plist",
                             "com.quarvek.nestora.Bell\x07.plist", "com.quarvek.nestora.\xc2\x9b" "2J.plist"}) {
        EXPECT_EQ(categoryIdentifierForPreferencesFileName(name), "") << name;
    }
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.Caf\xc3\xa9-2.plist"),
              "com.quarvek.nestora.Caf\xc3\xa9-2");
}

TEST(AppCategoryListing, ListsTheFolderInNameOrder) {
    test::TestDevice device;
    const std::vector<std::string> files = {
        "com.quarvek.nestora.Category002.plist", "com.quarvek.nestora.plist", "com.quarvek.nestora.A.B.plist",
        "com.quarvek.nestora.Recent.plist",      "com.quarvek.nestoraX.Y.plist", "com.apple.Preferences.plist",
        "com.quarvek.nestora.Category000.plist"};
    for (const std::string& file : files) {
        device.writeFile("/var/mobile/Library/Preferences/" + file, "");
    }
    // The folder's order, which the platform gives sorted by name.
    EXPECT_EQ(listCategoryIdentifiers(), (std::vector<std::string>{"com.quarvek.nestora.Category000", "com.quarvek.nestora.Category002",
                                                "com.quarvek.nestora.Recent", "com.quarvek.nestoraX.Y"}));
}

TEST(AppCategoryListing, MissingFolderGivesAnEmptyList) {
    test::TestDevice device;
    EXPECT_TRUE(listCategoryIdentifiers().empty());
}

}  // namespace
}  // namespace nestora::app
