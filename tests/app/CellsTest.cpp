// The category row: name with item count, bundle path and icon.

#include <gtest/gtest.h>

#include "app/NestoraTableCell.h"
#include "platform/Preferences.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

TEST(AppNestoraTableCell, NameCountPathAndIcon) {
    test::AppDevice device;
    device.makeCategory("Category007", "Games", std::vector<std::string>(12, "com.apple.mobilemail"));
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.resize(320, 64);
    cell.setBundleIdentifier("com.quarvek.nestora.Category007");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("Games (12)"));
    EXPECT_EQ(cell.subtitle()->text(), QStringLiteral("/Applications/Category007.app"));
    EXPECT_EQ(cell.numberOfItemsInCategory(), 12);
    ASSERT_NE(cell.imageView()->pixmap().isNull(), true);
    // Two lines of 22 and 18 points centred in the 64-point row: y is 12.
    EXPECT_EQ(cell.title()->geometry(), QRect(80, 12, 191, 22));
    EXPECT_EQ(cell.subtitle()->geometry(), QRect(80, 34, 191, 18));
    // A display name that looks like markup is shown as typed.
    device.makeCategory("Category008", "<img src=\"/nowhere.png\"><b>Games</b>", std::nullopt);
    cell.setBundleIdentifier("com.quarvek.nestora.Category008");
    EXPECT_EQ(cell.title()->textFormat(), Qt::PlainText);
    EXPECT_EQ(cell.title()->text(), QStringLiteral("<img src=\"/nowhere.png\"><b>Games</b> (0)"));
}

TEST(AppNestoraTableCell, MissingOrWrongItemsCountZero) {
    test::AppDevice device;
    device.makeCategory("Category000", "None", std::nullopt);
    device.makeCategory("Category001", "Wrong", std::nullopt);
    device.writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category001.plist",
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>items</key><string>x</string>"
                     "</dict></plist>");
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.setBundleIdentifier("com.quarvek.nestora.Category000");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("None (0)"));
    cell.setBundleIdentifier("com.quarvek.nestora.Category001");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("Wrong (0)"));
}

TEST(AppNestoraTableCell, ReusedCellReplacesEverything) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games", std::vector<std::string>(3, "a"));
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.setBundleIdentifier("com.quarvek.nestora.Category000");
    ASSERT_FALSE(cell.imageView()->pixmap().isNull());
    // A category without bundle: no name (the count stays), no image.
    device.writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category005.plist", "");
    cell.setBundleIdentifier("com.quarvek.nestora.Category005");
    EXPECT_EQ(cell.title()->text(), QStringLiteral(" (0)"));
    EXPECT_EQ(cell.subtitle()->text(), QStringLiteral("/Applications/Category005.app"));
    EXPECT_TRUE(cell.imageView()->pixmap().isNull());
}

}  // namespace
}  // namespace nestora::app
