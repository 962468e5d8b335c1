// The list cells: what a category row and an app row show, and the icon button.

#include <gtest/gtest.h>

#include <QTest>

#include "app/BundleImages.h"
#include "app/CategoryIcon.h"
#include "app/EditTableCell.h"
#include "app/NestoraTableCell.h"
#include "platform/AppServices.h"
#include "platform/Files.h"
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

TEST(AppEditTableCell, NameAndIconOfAnApp) {
    test::AppDeviceOptions options;
    options.sampleApps = true;
    test::AppDevice device(options);
    platform::DeviceAppServices services;
    EditTableCell cell(QStringLiteral("EditTableCell"), services);
    cell.setDisplayIdentifier("com.apple.mobilenotes");
    EXPECT_EQ(cell.textLabel()->text(), QStringLiteral("Notes"));
    EXPECT_EQ(cell.iconPath(), "/Applications/MobileNotes.app/NotesIcon.png");
    EXPECT_FALSE(cell.imageView()->pixmap().isNull());
    // No icon file anywhere: the app bundle's blank.png.
    cell.setDisplayIdentifier("com.example.sudoku");
    EXPECT_EQ(cell.textLabel()->text(), QStringLiteral("sudoku"));
    EXPECT_EQ(cell.iconPath(), "/Applications/Nestora.app/blank.png");
    EXPECT_FALSE(cell.imageView()->pixmap().isNull());
    // Unknown to the services: no text, blank icon.
    cell.setDisplayIdentifier("com.example.gone");
    EXPECT_EQ(cell.textLabel()->text(), QString());
    EXPECT_EQ(cell.iconPath(), "/Applications/Nestora.app/blank.png");
}

TEST(AppCategoryIcon, RemembersItsPathAndStaysSelected) {
    test::AppDevice device;
    CategoryIcon icon(QRect(10, 10, 57, 57), "/Applications/Nestora.app/icons/Games.png");
    EXPECT_EQ(icon.iconPath(), "/Applications/Nestora.app/icons/Games.png");
    EXPECT_EQ(icon.geometry(), QRect(10, 10, 57, 57));
    EXPECT_FALSE(icon.isSelectedIcon());
    QTest::mouseClick(&icon, Qt::LeftButton);
    EXPECT_TRUE(icon.isSelectedIcon());
    QTest::mouseClick(&icon, Qt::LeftButton);
    EXPECT_TRUE(icon.isSelectedIcon());
}

TEST(AppBundleImages, EveryImageOfTheBundleLoads) {
    test::AppDevice device;
    for (const char* name : {"dock.png", "RespringIcon.png", "HelpIcon.png", "ChangelogIcon.png", "toggle_on.png",
                             "toggle_off.png", "blank.png"}) {
        EXPECT_FALSE(imageNamed(name).isNull()) << name;
    }
    EXPECT_EQ(imageNamed("dock.png").size(), QSize(320, 62));
    const auto icons = files::listFolder("/Applications/Nestora.app/icons");
    ASSERT_TRUE(icons.has_value());
    EXPECT_GE(icons->size(), 12u);
    for (const std::string& name : *icons) {
        EXPECT_EQ(imageAtPath("/Applications/Nestora.app/icons/" + name).size(), QSize(57, 57)) << name;
    }
}

}  // namespace
}  // namespace nestora::app
