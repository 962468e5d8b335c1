// The ways into the settings screens: the detail button of a category row in
// edit mode, and the URL entry with its .desktop registration.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/RootViewController.h"
#include "app/UrlEntry.h"
#include "screens/settings/PrefsSBViewController.h"
#include "screens/settings/PrefsViewController.h"
#include "screens/settings/SettingsCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/RunProgram.h"
#include "ui/NavigationController.h"

namespace nestora::app {
namespace {

using screens::PrefsViewController;
using testing::ContainsRegex;

constexpr char kGames[] = "com.quarvek.nestora.Category000";
constexpr char kExtension[] = "/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib";

// Edit mode, then a tap on the detail button of the first row.
void tapDetailButton(Nestora& nestora) {
    RootViewController& list = *nestora.rootViewController();
    list.editButtonTapped();
    ui::TableView& table = list.tableView();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                      QPoint(table.viewport()->width() - 20, table.centreOfRow(0).y()));
}

screens::SettingsScreen* topSettings(Nestora& nestora) {
    return dynamic_cast<screens::SettingsScreen*>(nestora.navController()->topViewController());
}

ui::Button& control(screens::SettingsScreen& screen, int row) {
    return dynamic_cast<screens::SettingsCell&>(*screen.tableView().cellForRow(row)).control();
}

TEST(AppSettingsEntry, TheDetailButtonSlidesInTheFullScreenWithoutTheExtension) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    tapDetailButton(nestora);
    auto* screen = dynamic_cast<PrefsViewController*>(topSettings(nestora));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->bundleIdentifier(), std::optional<std::string>(kGames));
    EXPECT_EQ(screen->tableView().rowCount(), 8);
    // Pushed with a slide: it comes in from the right and the list goes
    // out of sight when it is in place.
    EXPECT_GT(screen->x(), 0);
    EXPECT_TRUE(nestora.rootViewController()->isVisible());
    EXPECT_TRUE(test::waitUntil([&] { return screen->x() == 0 && !nestora.rootViewController()->isVisible(); }));
    test::saveScreenshot(*nestora.window(), QStringLiteral("settings-from-detail-button"));
}

TEST(AppSettingsEntry, TheDetailButtonOpensTheExtensionScreenWhenItIsInstalled) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile(kExtension, "");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    tapDetailButton(nestora);
    auto* screen = dynamic_cast<screens::PrefsSBViewController*>(topSettings(nestora));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->tableView().rowCount(), 2);
}

TEST(AppSettingsEntry, EveryValueHoldsAcrossARelaunch) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.makeFolder("/Library/Themes/Foo.theme/Icons");
    {
        Nestora nestora;
        nestora.applicationDidFinishLaunching();
        tapDetailButton(nestora);
        auto* screen = dynamic_cast<PrefsViewController*>(topSettings(nestora));
        ASSERT_NE(screen, nullptr);
        for (int row = 0; row < 5; ++row) {
            QTest::mouseClick(&control(*screen, row), Qt::LeftButton);
        }
        // The choices as the pickers report them (the pickers' own taps are
        // the settings screens' tests).
        auto picker = std::make_unique<screens::ValuePicker>(QString(), QString(), nullptr);
        picker->setTag(PrefsViewController::kThemePickerTag);
        screen->valuePickerDidSelectValue(*picker, "Foo.theme");
        picker->setTag(PrefsViewController::kRowsPickerTag);
        screen->valuePickerDidSelectValue(*picker, "2");
        screen->colorPickerDidSelectColor(*std::make_unique<screens::ColorPicker>(QString(), QString()),
                                          model::Color::purpleColor());
    }
    // The file agrees, with the types the launcher expects.
    const std::string stored =
        test::plistlibJson(device.host("/var/mobile/Library/Preferences/" + std::string(kGames) + ".plist")).value_or("");
    for (const char* pair : {"\"showCategoryName\": false", "\"showIconLabels\": false", "\"useBackgroundImage\": true",
                             "\"keepResident\": true", "\"leftRightScroll\": false", "\"leftRightRowsPerColumn\": 2[,}]",
                             "\"iconFontColor\": 9[,}]", "\"iconThemeName\": \"Foo.theme\""}) {
        EXPECT_THAT(stored, ContainsRegex(pair));
    }
    Nestora relaunched;
    relaunched.applicationDidFinishLaunching();
    tapDetailButton(relaunched);
    auto* screen = dynamic_cast<PrefsViewController*>(topSettings(relaunched));
    ASSERT_NE(screen, nullptr);
    const bool expected[] = {false, false, true, true, false};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(control(*screen, row).isSelected(), expected[row]) << row;
    }
    EXPECT_EQ(control(*screen, PrefsViewController::kRowsPerColumnRow).currentTitle(), QStringLiteral("2"));
    EXPECT_EQ(control(*screen, PrefsViewController::kIconFontColorRow).backgroundColor(),
              screens::toQColor(model::Color::purpleColor()));
    EXPECT_EQ(control(*screen, PrefsViewController::kIconsThemeRow).currentTitle(), QStringLiteral("Foo"));
}

TEST(AppUrlEntry, AGoodIdentifierOpensItsFullScreenEvenWithTheExtension) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile(kExtension, "");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_TRUE(nestora.handleOpenURL("nestora:?com.quarvek.nestora.Category000"));
    auto* screen = dynamic_cast<PrefsViewController*>(topSettings(nestora));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->title(), QStringLiteral("Prefs for: Category000"));
    ASSERT_NE(screen->prefs(), nullptr);
    EXPECT_EQ(screen->prefs()->bundleIdentifier(), kGames);
}

TEST(AppUrlEntry, AHostileOrMissingQueryOpensTheScreenWithoutACategory) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    const auto before = std::distance(std::filesystem::directory_iterator(device.host("/var/mobile/Library/Preferences")),
                                      std::filesystem::directory_iterator());
    for (const char* url : {"nestora:?../../../../etc/x", "nestora:", "nestora:?", "nestora:?com.quarvek.nestora.A/../../x",
                            "nestora:?com.quarvek.nestora.A.B", "nestora:#?com.quarvek.nestora.Category000"}) {
        EXPECT_TRUE(nestora.handleOpenURL(url));
        screens::SettingsScreen* screen = topSettings(nestora);
        ASSERT_NE(dynamic_cast<PrefsViewController*>(screen), nullptr) << url;
        EXPECT_EQ(screen->prefs(), nullptr) << url;
        EXPECT_EQ(screen->title(), QStringLiteral("Prefs for: ")) << url;
        EXPECT_FALSE(control(*screen, 0).isEnabled()) << url;
        screen->buttonToggled(control(*screen, 0));  // driven directly: still nothing
        nestora.navController()->popViewController();
        test::settle();
    }
    EXPECT_FALSE(device.exists("/etc/x.plist"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(device.host("/var/mobile/Library/Preferences")),
                            std::filesystem::directory_iterator()),
              before);
}

TEST(AppUrlEntry, TheQueryIsTakenAsWrittenAndOnlyACategoryIdentifierPasses) {
    EXPECT_EQ(urlQuery("nestora:?a.b%41"), std::optional<std::string_view>("a.b%41"));
    EXPECT_EQ(urlQuery("nestora://host/path?q?r#frag?x"), std::optional<std::string_view>("q?r"));
    EXPECT_EQ(urlQuery("nestora:?"), std::optional<std::string_view>(""));
    EXPECT_EQ(urlQuery("nestora:"), std::nullopt);
    EXPECT_EQ(urlQuery("nestora:#?x"), std::nullopt);
    EXPECT_EQ(categoryIdentifierForURL("nestora:?com.quarvek.nestora.Category000#top"),
              std::optional<std::string>(kGames));
    EXPECT_EQ(categoryIdentifierForURL("nestora:?com.quarvek.nestora.Category%2e%2e"),
              std::optional<std::string>("com.quarvek.nestora.Category%2e%2e"))
        << "not decoded, so a harmless file name";
    EXPECT_EQ(categoryIdentifierForURL("nestora:?../../../../etc/x"), std::nullopt);
    const char* withUrl[] = {"Nestora", "nestora:?com.quarvek.nestora.Category000"};
    EXPECT_EQ(urlArgument(2, withUrl), std::optional<std::string>("nestora:?com.quarvek.nestora.Category000"));
    EXPECT_EQ(urlArgument(1, withUrl), std::nullopt);
}

TEST(AppUrlEntry, TheDesktopFileRegistersTheSchemeWithTheInstalledProgram) {
    test::TestDevice device;
    const std::string prefix = device.root() + "/a b$c";
    const test::RunResult install = test::runProgram(
        {NESTORA_CMAKE_COMMAND, "--install", NESTORA_TEST_BINARY_DIR, "--prefix", prefix, "--component", "desktop"});
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    std::ifstream file(prefix + "/share/applications/nestora.desktop");
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    const std::string desktop = text.str();
    EXPECT_TRUE(desktop.starts_with("[Desktop Entry]\n"));
    EXPECT_THAT(desktop, ContainsRegex("\nType=Application\n"));
    EXPECT_THAT(desktop, ContainsRegex("\nMimeType=x-scheme-handler/nestora;\n"));
    EXPECT_EQ(kUrlScheme, "nestora");
    // Quoted for the Exec rules: "$" escaped, then the backslash doubled.
    const std::string quoted = device.root() + "/a b\\\\$c";
    EXPECT_NE(desktop.find("\nExec=env \"NESTORA_DEVICE_ROOT=" + quoted + "\" \"" + quoted +
                           "/Applications/Nestora.app/Nestora\" %u\n"),
              std::string::npos)
        << desktop;
    // Debian's own validator finds nothing to say of it.
    const test::RunResult validated =
        test::runProgram({"/usr/bin/desktop-file-validate", prefix + "/share/applications/nestora.desktop"});
    EXPECT_EQ(validated.exitStatus, 0) << validated.out << validated.err;
    EXPECT_EQ(validated.out + validated.err, "");
}

}  // namespace
}  // namespace nestora::app
