#include <gtest/gtest.h>

#include <filesystem>

#include "model/RecentCategory.h"
#include "model/SpringBoardExtension.h"
#include "tests/support/TestDevice.h"

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

TEST(ModelRecentCategory, TheExtensionIsInstalledWhenItsLibraryExists) {
    test::TestDevice device;
    EXPECT_FALSE(model::isNestoraSBInstalled());
    device.makeFolder("/Library/MobileSubstrate/DynamicLibraries");
    std::filesystem::create_symlink("/nowhere/NestoraSB.dylib",
                                    device.host("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib"));
    EXPECT_FALSE(model::isNestoraSBInstalled());  // a dangling link
    std::filesystem::remove(device.host("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib"));
    device.writeFile("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib", "");
    EXPECT_TRUE(model::isNestoraSBInstalled());
}

}  // namespace
}  // namespace nestora
