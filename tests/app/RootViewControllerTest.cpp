// The category list screen without the tool: the list, the modes, the
// alerts and their exact texts, the dock.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "app/NestoraTableCell.h"
#include "app/RootViewController.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/editing/IconPickerController.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

const QString kAboutTitle = QStringLiteral("About Nestora");
const QString kAboutMessage = QStringLiteral(
    "This app is very handy but can be dangerous if you do not know what you are doing.\n\n"
    "Please read the help carefully before getting started!");

void tapRow(RootViewController& screen, int row) {
    QTest::mouseClick(screen.tableView().viewport(), Qt::LeftButton, {}, screen.tableView().centreOfRow(row));
}

TEST(AppRootViewController, ListFollowsTheFivePartRule) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.makeCategory("Recent", "Recent");
    for (const char* other : {"com.quarvek.nestora.plist", "com.quarvek.nestora.A.B.plist",
                              "com.quarvek.nestoraX.Y.plist", "com.apple.springboard.plist"}) {
        device.writeFile(std::string("/var/mobile/Library/Preferences/") + other, "");
    }
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    std::vector<std::string> listed = nestora.rootViewController()->categories();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"com.quarvek.nestora.Category000", "com.quarvek.nestora.Recent",
                                                "com.quarvek.nestoraX.Y"}));
    EXPECT_EQ(nestora.rootViewController()->tableView().rowCount(), 3);
}

TEST(AppRootViewController, ScreenLayoutAndTexts) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    EXPECT_EQ(screen.title(), QStringLiteral("Nestora v2.28"));
    EXPECT_EQ(screen.backButtonTitle(), QStringLiteral("Back"));
    EXPECT_EQ(screen.size(), QSize(320, 369));
    EXPECT_EQ(screen.tableView().geometry(), QRect(0, 0, 320, 307));
    EXPECT_EQ(screen.tableView().rowHeight(), 64);
    EXPECT_EQ(screen.respringButton()->geometry(), QRect(30, 309, 60, 60));
    EXPECT_EQ(screen.helpButton()->geometry(), QRect(140, 309, 60, 60));
    EXPECT_EQ(screen.changelogButton()->geometry(), QRect(240, 309, 60, 60));
    EXPECT_FALSE(screen.respringButton()->icon().isNull()) << "RespringIcon.png was not found in the bundle";
    ui::NavigationBar& bar = nestora.navController()->navigationBar();
    ASSERT_NE(bar.leftButton(), nullptr);
    ASSERT_NE(bar.rightButton(), nullptr);
    EXPECT_EQ(bar.leftButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(bar.rightButton()->text(), QStringLiteral("Add"));
    auto* cell = dynamic_cast<NestoraTableCell*>(screen.tableView().cellForRow(0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->accessoryType(), ui::AccessoryType::DisclosureIndicator);
    test::saveScreenshot(*nestora.window(), QStringLiteral("list-normal-mode"));
}

TEST(AppRootViewController, EditModeRoundTripRestoresTheSameAddButton) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    ui::NavigationBar& bar = nestora.navController()->navigationBar();
    ui::BarButtonItem* add = screen.addButtonItem();
    ASSERT_EQ(screen.rightBarButtonItem(), add);

    QTest::mouseClick(bar.leftButton(), Qt::LeftButton);
    test::settle();
    EXPECT_TRUE(screen.tableView().isEditing());
    EXPECT_EQ(bar.leftButton()->text(), QStringLiteral("Done"));
    EXPECT_EQ(bar.rightButton(), nullptr);
    EXPECT_EQ(screen.rightBarButtonItem(), nullptr);
    EXPECT_EQ(screen.tableView().cellForRow(0)->accessoryType(), ui::AccessoryType::DetailDisclosureButton);
    test::saveScreenshot(*nestora.window(), QStringLiteral("list-edit-mode"));

    QTest::mouseClick(bar.leftButton(), Qt::LeftButton);
    test::settle();
    EXPECT_FALSE(screen.tableView().isEditing());
    EXPECT_EQ(bar.leftButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(screen.rightBarButtonItem(), add);
    ASSERT_NE(bar.rightButton(), nullptr);
    EXPECT_EQ(bar.rightButton()->text(), QStringLiteral("Add"));
    // And the button put back still works.
    QTest::mouseClick(bar.rightButton(), Qt::LeftButton);
    ASSERT_NE(test::visibleAlert(nestora.window()), nullptr);
    EXPECT_EQ(test::visibleAlert(nestora.window())->title(), QStringLiteral("Add"));
}

TEST(AppRootViewController, AboutAlertOnEveryAppearanceWhileEmpty) {
    test::AppDevice device;
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    ui::AlertView* about = test::visibleAlert(nestora.window());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->title(), kAboutTitle);
    EXPECT_EQ(about->message(), kAboutMessage);
    EXPECT_EQ(about->buttonTitles(), QStringList{QStringLiteral("OK")});
    EXPECT_EQ(screen.messageBoxFunction(), RootViewController::kAboutAlert);
    test::saveScreenshot(*nestora.window(), QStringLiteral("list-empty-about-alert"));
    about->clickButton(0);
    test::settle();
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);

    // Back from the help page: the list appears again, and so does the alert.
    screen.helpTapped();
    ASSERT_NE(screen.modalViewController(), nullptr);
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);
    screen.modalViewController()->dismissModalViewController();
    test::settle();
    ASSERT_NE(test::visibleAlert(nestora.window()), nullptr);
    EXPECT_EQ(test::visibleAlert(nestora.window())->title(), kAboutTitle);
    EXPECT_EQ(ui::AlertAnswerQueue::forWindow(nestora.window()).shownAlerts().size(), 2);
}

TEST(AppRootViewController, AddAlertCarriesATextFieldAndRefusesAnEmptyTitle) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    screen.addButtonTapped();
    ui::AlertView* alert = test::visibleAlert(nestora.window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("Add"));
    EXPECT_EQ(alert->message(), QStringLiteral("Enter category title"));
    EXPECT_EQ(alert->buttonTitles(), (QStringList{QStringLiteral("Cancel"), QStringLiteral("Add")}));
    ASSERT_NE(alert->textField(), nullptr);
    EXPECT_TRUE(alert->textField()->isVisible());
    EXPECT_EQ(screen.messageBoxFunction(), RootViewController::kAddAlert);
    alert->textField()->setText(QStringLiteral("Games"));
    test::saveScreenshot(*nestora.window(), QStringLiteral("list-add-alert"));
    alert->textField()->clear();
    alert->clickButton(1);  // "Add" with nothing typed
    test::settle();
    EXPECT_EQ(screen.categories().size(), 1u);
    EXPECT_FALSE(nestora.needRespring());
}

TEST(AppRootViewController, EditChoiceAlertFromARowInEditMode) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    screen.editButtonTapped();
    tapRow(screen, 0);
    ui::AlertView* alert = test::visibleAlert(nestora.window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("What do you want to edit?"));
    EXPECT_EQ(alert->message(), QString());
    EXPECT_EQ(alert->buttonTitles(),
              (QStringList{QStringLiteral("Cancel"), QStringLiteral("Name"), QStringLiteral("Icon")}));
    EXPECT_EQ(screen.messageBoxFunction(), RootViewController::kEditChoiceAlert);
    EXPECT_EQ(screen.tableView().selectedRow(), std::optional<int>(0));
    alert->clickButton(1);
    test::settle();
    ui::AlertView* rename = test::visibleAlert(nestora.window());
    ASSERT_NE(rename, nullptr);
    EXPECT_EQ(rename->title(), QStringLiteral("Rename"));
    EXPECT_EQ(rename->message(), QStringLiteral("Enter new title"));
    EXPECT_EQ(rename->buttonTitles(), (QStringList{QStringLiteral("Cancel"), QStringLiteral("Rename")}));
    EXPECT_EQ(screen.messageBoxFunction(), RootViewController::kRenameAlert);
    rename->clickButton(0);
    test::settle();
    // "Icon" opens the icon picker once the alert has gone; it changes nothing yet.
    tapRow(screen, 0);
    test::visibleAlert(nestora.window())->clickButton(2);
    EXPECT_EQ(screen.modalViewController(), nullptr);
    test::settle();
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);
    auto* picker = dynamic_cast<screens::IconPickerController*>(screen.modalViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->categoryName(), "Category000");
    EXPECT_EQ(picker->delegate(), &screen);
    EXPECT_FALSE(nestora.needRespring());
}

TEST(AppRootViewController, ARowInNormalModeSlidesInTheCategorysContents) {
    test::AppDevice device;
    device.makeApp("/Applications/Notes.app", "com.example.notes", "Notes");
    device.makeCategory("Category000", "Games", std::vector<std::string>{"com.example.notes"});
    device.makeCategory("Category001", "Social", std::vector<std::string>{"com.example.notes"});
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    ui::NavigationController& nav = *nestora.navController();
    const std::string tapped = screen.categories()[1];
    tapRow(screen, 1);
    EXPECT_TRUE(nav.isSliding());
    ASSERT_TRUE(test::waitUntil([&] { return !nav.isSliding(); }));
    auto* contents = dynamic_cast<screens::CategoryViewController*>(nav.topViewController());
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->bundleIdentifier(), tapped);
    EXPECT_EQ(contents->items(), std::vector<std::string>{"com.example.notes"});
    EXPECT_EQ(contents->modalViewController(), nullptr);
    ASSERT_NE(nav.navigationBar().leftButton(), nullptr);
    EXPECT_EQ(nav.navigationBar().leftButton()->text(), QStringLiteral("Back"));
    // "Back" slides it out again; the list comes back with nothing selected.
    QTest::mouseClick(nav.navigationBar().leftButton(), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return !nav.isSliding(); }));
    test::settle();
    EXPECT_EQ(nav.topViewController(), &screen);
    EXPECT_EQ(screen.tableView().selectedRow(), std::nullopt);
}

TEST(AppRootViewController, RowsAreDeletableOnlyInEditMode) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    EXPECT_FALSE(screen.canEditRow(screen.tableView(), 0));
    screen.editButtonTapped();
    EXPECT_TRUE(screen.canEditRow(screen.tableView(), 0));
}

}  // namespace
}  // namespace nestora::app
