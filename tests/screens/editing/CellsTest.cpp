// The editing screens' cells: an app row's name and icon, and the icon button.

#include <gtest/gtest.h>

#include <QTest>

#include "platform/AppServices.h"
#include "screens/editing/CategoryIcon.h"
#include "screens/editing/EditTableCell.h"
#include "tests/ui/AppDevice.h"

namespace nestora::screens {
namespace {

TEST(EditTableCell, NameAndIconOfAnApp) {
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
    // A name is shown as the text it is, never read as markup.
    device.makeApp("/Applications/Marked.app", "com.example.marked", "<img src=\"/etc/passwd\"><b>Bold</b>");
    platform::DeviceAppServices fresh;
    EditTableCell marked(QStringLiteral("EditTableCell"), fresh);
    marked.setDisplayIdentifier("com.example.marked");
    EXPECT_EQ(marked.textLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(marked.textLabel()->text(), QStringLiteral("<img src=\"/etc/passwd\"><b>Bold</b>"));
    // Unknown to the services: no text, blank icon.
    cell.setDisplayIdentifier("com.example.gone");
    EXPECT_EQ(cell.textLabel()->text(), QString());
    EXPECT_EQ(cell.iconPath(), "/Applications/Nestora.app/blank.png");
}

TEST(CategoryIcon, RemembersItsPathAndStaysSelected) {
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

}  // namespace
}  // namespace nestora::screens
