// A category opened on the home screen: its items, and one check for each
// of the nine settings, judged on the widgets the launcher builds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollArea>

#include "common/CategoryNaming.h"
#include "home/CategoryContents.h"
#include "home/CategoryLauncher.h"
#include "home/HomeScreen.h"
#include "home/IconCell.h"
#include "model/Prefs.h"
#include "platform/Preferences.h"
#include "tests/home/HomeDevice.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/NavigationBar.h"

namespace nestora::home {
namespace {

using ::testing::ElementsAre;

constexpr const char* kTravel = "com.quarvek.nestora.Category000";

// Five apps in the category "Travel", plus an app that is gone and an entry
// that is no text.
class CategoryLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta", "Echo"}) {
            device.addApp(std::string("/Applications/") + name + ".app", std::string("com.example.") + name, name);
        }
        device.addCategory("Category000", "Travel",
                           {"com.example.Echo", "com.example.Gone", "com.example.Alpha", "com.example.Bravo",
                            "com.example.Charlie", "com.example.Delta"});
        home.restart();
    }

    // Changes the category's settings as the settings screen does, then
    // opens it.
    CategoryLauncher& open(const std::function<void(model::Prefs&)>& change = {}) {
        model::Prefs prefs(preferences, kTravel);
        prefs.registerDefaults();
        prefs.load();
        if (change) change(prefs);
        home.goHome();
        for (const HomeIcon& icon : home.icons()) {
            if (icon.displayIdentifier == kTravel) home.openIcon(icon);
        }
        EXPECT_NE(home.launcher(), nullptr);
        return *home.launcher();
    }

    static QColor labelColour(const IconCell* cell) {
        return cell->label()->palette().color(cell->label()->foregroundRole());
    }

    test::HomeDevice device;
    platform::Preferences preferences;
    HomeScreen home;
};

TEST_F(CategoryLauncherTest, ItemsInStoredOrderWithoutAppsThatAreGone) {
    const std::string before = device.readFile(nestora::prefsPathForIdentifier(kTravel));
    std::vector<std::string> names;
    for (const IconCell* cell : open().cells()) names.push_back(cell->icon().name);
    EXPECT_THAT(names, ElementsAre("Echo", "Alpha", "Bravo", "Charlie", "Delta"));
    EXPECT_EQ(device.readFile(nestora::prefsPathForIdentifier(kTravel)), before) << "the launcher only reads";
}

TEST_F(CategoryLauncherTest, ShowCategoryName) {
    ASSERT_NE(open().titleBar(), nullptr);
    EXPECT_EQ(open().titleBar()->titleText(), QStringLiteral("Travel"));
    EXPECT_EQ(open([](model::Prefs& p) { p.setShowCategoryName(false); }).titleBar(), nullptr);
}

TEST_F(CategoryLauncherTest, ShowIconLabels) {
    const IconCell* cell = open().cells().front();
    EXPECT_TRUE(cell->label()->isVisibleTo(home.launcher()));
    cell = open([](model::Prefs& p) { p.setShowIconLabels(false); }).cells().front();
    EXPECT_FALSE(cell->label()->isVisibleTo(home.launcher()));
}

TEST_F(CategoryLauncherTest, IconFontColor) {
    EXPECT_EQ(labelColour(open().cells().front()), QColor(Qt::white));
    EXPECT_EQ(labelColour(open([](model::Prefs& p) { p.setIconFontColor(2); }).cells().front()), QColor(Qt::red));
    EXPECT_EQ(labelColour(open([](model::Prefs& p) { p.setIconFontColor(11); }).cells().front()), QColor(Qt::white))
        << "codes outside the table are white";
}

TEST_F(CategoryLauncherTest, LeftRightScrollFillsColumnsOfRowsPerColumn) {
    CategoryLauncher& launcher = open([](model::Prefs& p) { p.setLeftRightRowsPerColumn(2); });
    EXPECT_EQ(launcher.scrollOrientation(), Qt::Horizontal);
    EXPECT_EQ(launcher.rowCount(), 2);
    const auto& cells = launcher.cells();
    EXPECT_GT(cells[1]->y(), cells[0]->y());
    EXPECT_EQ(cells[2]->y(), cells[0]->y()) << "the third icon starts the second column";
    EXPECT_GT(cells[2]->x(), cells[0]->x());
    EXPECT_EQ(launcher.scrollArea()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(CategoryLauncherTest, UpAndDownScrollFillsRowsOfFour) {
    CategoryLauncher& launcher = open([](model::Prefs& p) { p.setLeftRightScroll(false); });
    EXPECT_EQ(launcher.scrollOrientation(), Qt::Vertical);
    EXPECT_EQ(launcher.rowCount(), 2);
    const auto& cells = launcher.cells();
    EXPECT_EQ(cells[3]->y(), cells[0]->y());
    EXPECT_GT(cells[4]->y(), cells[0]->y());
    EXPECT_EQ(cells[4]->x(), cells[0]->x());
    EXPECT_EQ(launcher.scrollArea()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(CategoryLauncherTest, LeftRightRowsPerColumnOutsideOneToFourIsKeptInRange) {
    EXPECT_EQ(open([](model::Prefs& p) { p.setLeftRightRowsPerColumn(0); }).rowCount(), 1);
    EXPECT_EQ(open([](model::Prefs& p) { p.setLeftRightRowsPerColumn(-7); }).rowCount(), 1);
    EXPECT_EQ(open([](model::Prefs& p) { p.setLeftRightRowsPerColumn(1000); }).rowCount(), 4);
}

TEST_F(CategoryLauncherTest, UseBackgroundImage) {
    EXPECT_EQ(open().background(), nullptr);
    const QLabel* background = open([](model::Prefs& p) { p.setUseBackgroundImage(true); }).background();
    ASSERT_NE(background, nullptr);
    EXPECT_FALSE(background->pixmap().isNull()) << "the bundle's background.png";
}

TEST_F(CategoryLauncherTest, IconThemeName) {
    device.writeFile("/Library/Themes/Night.theme/Icons/com.example.Alpha.png", test::pngOfColour(Qt::black));
    device.writeFile("/var/mobile/Library/Library/SummerBoard/Themes/Night.theme/Icons/Bravo.png",
                     test::pngOfColour(Qt::black));
    for (const IconCell* cell : open().cells()) EXPECT_EQ(cell->themeIconPath(), std::nullopt);
    const auto& cells = open([](model::Prefs& p) { p.setIconThemeName("Night.theme"); }).cells();
    EXPECT_EQ(cells[1]->themeIconPath(), "/Library/Themes/Night.theme/Icons/com.example.Alpha.png");
    EXPECT_EQ(cells[2]->themeIconPath(), "/var/mobile/Library/Library/SummerBoard/Themes/Night.theme/Icons/Bravo.png");
    EXPECT_EQ(cells[0]->themeIconPath(), std::nullopt) << "no theme icon: the app's own";
}

TEST(ThemeIconPath, OnlyAPlainThemeFolderName) {
    test::HomeDevice device;
    device.writeFile("/Library/Themes/Icons/x.png", test::pngOfColour(Qt::black));
    device.writeFile("/Library/x.png", test::pngOfColour(Qt::black));
    HomeIcon app{"x", "x", "/Applications/X.app", HomeIcon::Kind::App};
    EXPECT_EQ(themeIconPath("No Theme", app), std::nullopt);
    EXPECT_EQ(themeIconPath(".", app), std::nullopt);
    EXPECT_EQ(themeIconPath("..", app), std::nullopt);
    EXPECT_EQ(themeIconPath("../Themes", app), std::nullopt);
    EXPECT_EQ(themeIconPath("", app), std::nullopt);
}

TEST_F(CategoryLauncherTest, KeepResident) {
    open();
    home.restart();
    EXPECT_EQ(home.launcher(), nullptr) << "a restart closes a category that does not keep resident";

    open([](model::Prefs& p) { p.setKeepResident(true); });
    // Its contents changed meanwhile: it comes back with the new ones.
    device.addCategory("Category000", "Travel", {"com.example.Delta"});
    home.restart();
    ASSERT_NE(home.launcher(), nullptr);
    EXPECT_EQ(home.launcher()->category().displayIdentifier, kTravel);
    ASSERT_EQ(home.launcher()->cells().size(), 1u);
    EXPECT_EQ(home.launcher()->cells()[0]->icon().name, "Delta");
}

TEST_F(CategoryLauncherTest, SaveImageOnExit) {
    const std::string snapshot = launchSnapshotPath(kTravel);
    EXPECT_EQ(open([](model::Prefs& p) { p.setSaveImageOnExit(false); }).launchImagePath(),
              "/Applications/Category000.app/Default.png");
    home.goHome();
    EXPECT_FALSE(device.exists(snapshot));

    open([](model::Prefs& p) { p.setSaveImageOnExit(true); });
    home.goHome();
    const QImage saved = QImage::fromData(QByteArray::fromStdString(device.readFile(snapshot)));
    EXPECT_EQ(saved.size(), QSize(320, 460));
    EXPECT_EQ(open().launchImagePath(), snapshot) << "the next opening starts from the saved picture";
}

}  // namespace
}  // namespace nestora::home
