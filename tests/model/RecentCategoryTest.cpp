#include <gtest/gtest.h>

#include "model/RecentCategory.h"

namespace nestora {
namespace {

TEST(ModelRecentCategory, IdentifierTestIsAnExactSuffix) {
    EXPECT_TRUE(model::isRecentCategoryIdentifier("com.quarvek.nestora.Recent"));
    EXPECT_TRUE(model::isRecentCategoryIdentifier("anything.Recent"));
    EXPECT_FALSE(model::isRecentCategoryIdentifier("com.quarvek.nestora.recent"));
    EXPECT_FALSE(model::isRecentCategoryIdentifier("com.quarvek.nestoraRecent"));
    EXPECT_FALSE(model::isRecentCategoryIdentifier("com.quarvek.nestora.Recent2"));
}

TEST(ModelRecentCategory, FileNameTestIsExactEquality) {
    EXPECT_TRUE(model::isRecentPreferencesFileName("com.quarvek.nestora.Recent.plist"));
    EXPECT_FALSE(model::isRecentPreferencesFileName("com.quarvek.nestora.recent.plist"));
    EXPECT_FALSE(model::isRecentPreferencesFileName("x.com.quarvek.nestora.Recent.plist"));
    EXPECT_FALSE(model::isRecentPreferencesFileName("com.quarvek.nestora.Recent"));
}

TEST(ModelRecentCategory, OnlyTheExtensionMakesRecentReadOnly) {
    EXPECT_FALSE(model::isCategoryModifiable("com.quarvek.nestora.Recent", true));
    EXPECT_TRUE(model::isCategoryModifiable("com.quarvek.nestora.Recent", false));
    EXPECT_TRUE(model::isCategoryModifiable("com.quarvek.nestora.recent", true));
    EXPECT_TRUE(model::isCategoryModifiable("com.quarvek.nestora.Category001", true));
}

}  // namespace
}  // namespace nestora
