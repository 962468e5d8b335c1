// The stand-in home screen: which icons it shows and in what order, how it
// restarts, its pages, and what a tap opens.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include "hide/HiddenIcons.h"
#include "home/CategoryLauncher.h"
#include "home/HomeScreen.h"
#include "home/IconCell.h"
#include "home/IconPager.h"
#include "home/LaunchedAppView.h"
#include "model/CategoryItems.h"
#include "platform/Notifications.h"
#include "platform/Preferences.h"
#include "tests/home/HomeDevice.h"
#include "tests/model/RecordingApplication.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::home {
namespace {

using test::HomeDevice;
using test::iconNames;
using ::testing::ElementsAre;

std::vector<std::string> cellNames(const std::vector<IconCell*>& cells) {
    std::vector<std::string> names;
    for (const IconCell* cell : cells) names.push_back(cell->icon().name);
    return names;
}

const HomeIcon& iconNamed(const HomeScreen& home, const std::string& name) {
    for (const HomeIcon& icon : home.icons()) {
        if (icon.name == name) return icon;
    }
    ADD_FAILURE() << "no icon " << name;
    static const HomeIcon none;
    return none;
}

void pressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

TEST(HomeScreen, ShowsInstalledAppsByNameLeavingOutHiddenOnes) {
    HomeDevice device;
    device.addApp("/Applications/Zebra.app", "com.example.zebra", "Zebra");
    device.addApp("/Applications/Alpha.app", "com.example.alpha", "alpha");
    device.addApp("/var/mobile/Applications/C1/Mango.app", "com.example.mango", "Mango");
    device.addApp("/var/mobile/Applications/C2/Kiwi.app", "com.example.kiwi", "Kiwi");
    device.addApp("/Applications/Nestora.app", "com.quarvek.nestora", "Nestora");
    device.addCategory("Category000", "Games", {"com.example.kiwi"});
    // Never on the home screen: a folder whose name begins with a dot, a
    // system stub of the exclusion table, a bundle without Info.plist, one
    // whose executable is gone.
    device.addApp("/Applications/.Staging.app", "com.example.staging", "Staging");
    device.addApp("/Applications/DemoApp.app", "com.apple.DemoApp", "Demo");
    device.writeFile("/Applications/Broken.app/Broken", "#!/bin/sh\n");
    device.addApp("/Applications/Husk.app", "com.example.husk", "Husk");
    std::filesystem::remove(device.host("/Applications/Husk.app/App"));
    // Kiwi is hidden; so is an app that no longer exists.
    ASSERT_TRUE(hide::writeHiddenInfoPlistPaths(
        {"/Applications/Gone.app/Info.plist", "/var/mobile/Applications/C2/Kiwi.app/Info.plist"}));

    HomeScreen home;
    EXPECT_THAT(iconNames(home), ElementsAre("alpha", "Games", "Mango", "Nestora", "Zebra"));
    EXPECT_EQ(iconNamed(home, "Games").kind, HomeIcon::Kind::Category);
    EXPECT_EQ(iconNamed(home, "Nestora").kind, HomeIcon::Kind::Nestora);
    EXPECT_EQ(iconNamed(home, "Mango").kind, HomeIcon::Kind::App);
    EXPECT_EQ(iconNamed(home, "Mango").bundlePath, "/var/mobile/Applications/C1/Mango.app");
    EXPECT_THAT(cellNames(home.pager().visibleCells()), ElementsAre("alpha", "Games", "Mango", "Nestora", "Zebra"));
}

TEST(HomeScreen, AnAppClaimingACategoryIdentifierElsewhereIsNoCategory) {
    HomeDevice device;
    device.addApp("/var/mobile/Applications/C1/Fake.app", "com.quarvek.nestora.Category001", "Fake");
    HomeScreen home;
    EXPECT_EQ(iconNamed(home, "Fake").kind, HomeIcon::Kind::App);
}

TEST(HomeScreen, AppsPutIntoACategoryLeaveAtTheRestartNestoraAsksFor) {
    HomeDevice device;
    device.addApp("/Applications/Maps.app", "com.apple.Maps", "Maps");
    device.addApp("/Applications/Notes.app", "com.apple.mobilenotes", "Notes");
    device.addApp("/var/mobile/Applications/C1/Weather.app", "com.example.weather", "Weather");
    HomeScreen home;
    ASSERT_THAT(iconNames(home), ElementsAre("Maps", "Notes", "Weather"));
    const int loads = home.loadCount();

    // What Nestora does: the tool makes the category, the contents put the
    // apps in it and hide them through the hide library.
    device.runTool({"-c", "Travel"});
    platform::DeviceAppServices services;
    platform::Preferences preferences;
    test::RecordingApplication application;
    application.services = &services;
    model::CategoryItems items(preferences, services, application, "com.quarvek.nestora.Category000");
    items.loadItems();
    items.addItem("com.apple.Maps");
    items.addItem("com.example.weather");
    ASSERT_EQ(application.respringRequests, 2);
    test::settle();
    EXPECT_THAT(iconNames(home), ElementsAre("Maps", "Notes", "Weather")) << "changes show only after a restart";

    platform::notifyPost("com.example.unrelated");
    platform::notifyPost(kRestartNotification);
    ASSERT_TRUE(test::waitUntil([&] { return home.loadCount() > loads; }));
    test::settle();
    EXPECT_EQ(home.loadCount(), loads + 1) << "only the restart notification restarts";
    EXPECT_THAT(iconNames(home), ElementsAre("Notes", "Travel"));
    EXPECT_EQ(iconNamed(home, "Travel").kind, HomeIcon::Kind::Category);
}

TEST(HomeScreen, RestartOnDemandShowsWhatChanged) {
    HomeDevice device;
    device.addApp("/Applications/Maps.app", "com.apple.Maps", "Maps");
    device.makeFolder("/var/mobile/Applications");
    HomeScreen home;
    device.addApp("/var/mobile/Applications/C9/Chess.app", "com.example.chess", "Chess");
    ASSERT_TRUE(hide::writeHiddenInfoPlistPaths({"/Applications/Maps.app/Info.plist"}));
    EXPECT_EQ(home.restartAction()->text(), QStringLiteral("Restart home screen"));
    home.restartAction()->trigger();
    EXPECT_THAT(iconNames(home), ElementsAre("Chess"));
}

TEST(HomeScreen, PagesOfSixteenTurnedBySwipeAndKeysDecodeOnlyWhatIsShown) {
    HomeDevice device;
    for (int n = 0; n < 40; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "App %02d", n);
        device.addApp("/Applications/App" + std::to_string(n) + ".app", "com.example.app" + std::to_string(n), name);
    }
    HomeScreen home;
    home.show();
    IconPager& pager = home.pager();
    EXPECT_EQ(pager.pageCount(), 3);
    ASSERT_EQ(pager.visibleCells().size(), 16u);
    (void)home.grab();
    for (const IconCell* cell : pager.visibleCells()) EXPECT_TRUE(cell->imageLoaded());
    EXPECT_EQ(home.findChildren<IconCell*>().size(), 16u) << "only the page on screen is built";

    pressKey(home, Qt::Key_Right);
    EXPECT_EQ(pager.currentPage(), 1);
    EXPECT_EQ(pager.visibleCells().front()->icon().name, "App 16");
    EXPECT_FALSE(pager.visibleCells().front()->imageLoaded()) << "not decoded before it is painted";
    test::settle();

    // A swipe that starts on an icon turns the page and opens nothing.
    IconCell* cell = pager.visibleCells()[7];
    QTest::mousePress(cell, Qt::LeftButton, Qt::NoModifier, QPoint(60, 30));
    QTest::mouseRelease(cell, Qt::LeftButton, Qt::NoModifier, QPoint(-100, 30));
    test::settle();
    EXPECT_EQ(pager.currentPage(), 2);
    EXPECT_EQ(home.launchedApp(), nullptr);
    EXPECT_EQ(pager.visibleCells().size(), 8u);
    pressKey(home, Qt::Key_Right);
    EXPECT_EQ(pager.currentPage(), 2) << "the last page is the last";
    pressKey(home, Qt::Key_Left);
    EXPECT_EQ(pager.currentPage(), 1);
    home.openIcon(pager.visibleCells().front()->icon());
    pressKey(home, Qt::Key_Left);
    EXPECT_EQ(pager.currentPage(), 1) << "an app in front keeps the pages still";
}

TEST(HomeScreen, ATapOpensAnAppACategoryOrNestora) {
    HomeDevice device;
    device.addApp("/Applications/Maps.app", "com.apple.Maps", "Maps");
    device.addCategory("Category000", "Travel", {"com.apple.Maps"});
    // Nestora stands in as a script that tells where it was started.
    device.makeApp("/Applications/Nestora.app", "com.quarvek.nestora", "Nestora", "Nestora");
    device.writeFile("/Applications/Nestora.app/Nestora",
                     "#!/bin/sh\nprintf %s \"$NESTORA_DEVICE_ROOT\" > \"$NESTORA_DEVICE_ROOT/started\"\n");
    std::filesystem::permissions(device.host("/Applications/Nestora.app/Nestora"), std::filesystem::perms::owner_all);
    HomeScreen home;
    home.show();

    QTest::mouseClick(home.pager().visibleCells()[0], Qt::LeftButton);  // Maps
    ASSERT_NE(home.launchedApp(), nullptr);
    EXPECT_EQ(home.launchedApp()->nameLabel()->text(), QStringLiteral("Maps"));
    pressKey(home, Qt::Key_Escape);
    EXPECT_EQ(home.launchedApp(), nullptr);

    home.openIcon(iconNamed(home, "Travel"));
    ASSERT_NE(home.launcher(), nullptr);
    EXPECT_EQ(home.launcher()->category().name, "Travel");
    QTest::mouseClick(home.launcher()->cells().at(0), Qt::LeftButton);
    ASSERT_NE(home.launchedApp(), nullptr) << "an app in a category launches too";
    pressKey(home, Qt::Key_Home);
    EXPECT_EQ(home.launchedApp(), nullptr);
    EXPECT_NE(home.launcher(), nullptr) << "Home leaves the app first";
    pressKey(home, Qt::Key_Home);
    EXPECT_EQ(home.launcher(), nullptr);

    home.openIcon(iconNamed(home, "Nestora"));
    ASSERT_NE(home.nestoraProcess(), nullptr);
    ASSERT_TRUE(home.nestoraProcess()->waitForFinished(10000));
    EXPECT_EQ(device.readFile("/started"), device.root());
}

// Hundreds of apps here; bench/home_bench.cpp opens the large device.
TEST(HomeScreen, ManyAppsAndBadFilesNeverStopIt) {
    HomeDevice device;
    for (int n = 0; n < 300; ++n) {
        device.makeApp("/Applications/App" + std::to_string(n) + ".app", "com.example.app" + std::to_string(n),
                       "App " + std::to_string(1000 + n));
    }
    // An icon that is no image, an Info.plist that is no property list, a
    // hidden set that is no list.
    device.writeFile("/Applications/App0.app/icon.png", "\x89PNG\r\n\x1a\n not really");
    device.writeFile("/Applications/App1.app/Info.plist", "<plist><dict><key>");
    device.writeFile(std::string(hide::kHiddenIconsPath), "\xff\xfe garbage");

    HomeScreen home;
    home.show();
    EXPECT_EQ(home.icons().size(), 299u);
    EXPECT_EQ(home.pager().pageCount(), 19);
    (void)home.grab();
    const IconCell* first = home.pager().visibleCells().front();
    EXPECT_EQ(first->icon().name, "App 1000");
    EXPECT_TRUE(first->imageLoaded()) << "drawn with a stand-in tile";
    home.pager().setCurrentPage(1000);
    EXPECT_EQ(home.pager().currentPage(), 18);
    EXPECT_EQ(home.pager().visibleCells().size(), 11u);
}

}  // namespace
}  // namespace nestora::home
