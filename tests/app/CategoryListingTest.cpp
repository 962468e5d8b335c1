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
    EXPECT_EQ(categoryIdentifierForPreferencesFileName("com.quarvek.nestora.."), "com.quarvek.nestora.");
}

TEST(AppCategoryListing, ListsTheFolderInItsOwnOrder) {
    test::TestDevice device;
    const std::vector<std::string> files = {
        "com.quarvek.nestora.Category002.plist", "com.quarvek.nestora.plist", "com.quarvek.nestora.A.B.plist",
        "com.quarvek.nestora.Recent.plist",      "com.quarvek.nestoraX.Y.plist", "com.apple.Preferences.plist",
        "com.quarvek.nestora.Category000.plist"};
    for (const std::string& file : files) {
        device.writeFile("/var/mobile/Library/Preferences/" + file, "");
    }
    std::vector<std::string> listed = listCategoryIdentifiers();
    std::vector<std::string> sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"com.quarvek.nestora.Category000", "com.quarvek.nestora.Category002",
                                                "com.quarvek.nestora.Recent", "com.quarvek.nestoraX.Y"}));
}

TEST(AppCategoryListing, MissingFolderGivesAnEmptyList) {
    test::TestDevice device;
    EXPECT_TRUE(listCategoryIdentifiers().empty());
}

}  // namespace
}  // namespace nestora::app
