// The two settings screens on a fresh device: rows and controls, what each
// change stores (read back by plistlib), and the screen without a category.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include "screens/settings/PrefsSBViewController.h"
#include "screens/settings/PrefsViewController.h"
#include "screens/settings/SettingsCell.h"
#include "tests/screens/settings/SettingsTestSupport.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::screens {
namespace {

using testing::ContainsRegex;
using testing::Not;

constexpr const char* kPrefsFolder = "/var/mobile/Library/Preferences";

SettingsCell& cellAt(SettingsScreen& screen, int row) {
    auto* cell = dynamic_cast<SettingsCell*>(screen.tableView().cellForRow(row));
    EXPECT_NE(cell, nullptr) << "row " << row << " is not in view";
    return *cell;
}

void tap(SettingsScreen& screen, int row) {
    QTest::mouseClick(&cellAt(screen, row).control(), Qt::LeftButton);
}

class PrefsScreens : public ::testing::Test {
protected:
    void SetUp() override { device.makeCategory("Category000", "Games"); }

    template <typename Screen>
    std::unique_ptr<test::ScreenWindow> open(std::optional<std::string> identifier = std::string(test::kGames)) {
        return std::make_unique<test::ScreenWindow>(std::make_unique<Screen>(preferences, std::move(identifier)));
    }
    static PrefsViewController& prefsScreen(test::ScreenWindow& shown) {
        return *dynamic_cast<PrefsViewController*>(shown.top());
    }
    // Taps row `row`'s choice button and then the picker's row `choice`.
    static void choose(test::ScreenWindow& shown, int row, int choice) {
        tap(prefsScreen(shown), row);
        PickerAlert* picker = shown.picker();
        ASSERT_NE(picker, nullptr);
        picker->tableView()->scrollToRow(choice);
        test::tapRow(*picker->tableView(), choice);
        test::settle();
    }

    test::AppDevice device;
    platform::Preferences preferences;
};

TEST_F(PrefsScreens, EightRowsWithTheirControlsAndTheDefaults) {
    auto shown = open<PrefsViewController>();
    PrefsViewController& screen = prefsScreen(*shown);
    EXPECT_EQ(screen.title(), QStringLiteral("Prefs for: Category000"));
    EXPECT_EQ(screen.palette().color(QPalette::Window), flipsideBackgroundColor());
    ASSERT_EQ(screen.tableView().rowCount(), 8);
    const bool defaults[] = {true, true, false, false, true};
    for (int row = 0; row < 8; ++row) {
        SettingsCell& cell = cellAt(screen, row);
        EXPECT_EQ(cell.textLabel()->text(), QString::fromLatin1(PrefsViewController::kRowLabels[row]));
        ui::Button& control = cell.control();
        EXPECT_EQ(control.parentWidget(), &cell);
        EXPECT_TRUE(control.isEnabled());
        if (row < 5) {
            EXPECT_EQ(cell.reuseIdentifier(), QStringLiteral("ToggleCell"));
            EXPECT_EQ(control.size(), QSize(54, 27));
            EXPECT_EQ(control.isSelected(), defaults[row]) << row;
            EXPECT_EQ(control.currentTitle(), defaults[row] ? QStringLiteral("ON") : QStringLiteral("OFF"));
            EXPECT_EQ(control.currentTitleColor().name(), defaults[row] ? QStringLiteral("#ffffff") : QStringLiteral("#808080"));
            EXPECT_EQ(control.font().pixelSize(), 17);
            EXPECT_TRUE(control.font().bold());
            EXPECT_FALSE(control.currentBackgroundImage().isNull()) << "toggle images missing from the bundle";
            EXPECT_EQ(control.currentBackgroundImage().leftCapWidth, 5);
            EXPECT_EQ(control.currentBackgroundImage().topCapHeight, 0);
        } else {
            EXPECT_EQ(cell.reuseIdentifier(), QStringLiteral("ButtonCell"));
            EXPECT_EQ(control.size(), QSize(100, 28));
        }
    }
    EXPECT_EQ(cellAt(screen, 5).control().currentTitle(), QStringLiteral("4"));
    EXPECT_EQ(cellAt(screen, 6).control().currentTitle(), QString());
    EXPECT_EQ(cellAt(screen, 6).control().backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(cellAt(screen, 7).control().currentTitle(), QStringLiteral("No Theme"));
    test::saveScreenshot(shown->window(), QStringLiteral("prefs"), QStringLiteral("settings"));

    EXPECT_EQ(prefsTitle(std::string("com.quarvek.nestora.Games")), QStringLiteral("Prefs for: Games"));
    EXPECT_EQ(prefsTitle(std::string("NoDots")), QStringLiteral("Prefs for: NoDots"));
}

TEST_F(PrefsScreens, OpeningWritesNothingAndEachToggleWritesTheOneFileAtOnce) {
    test::WriteWatch watch(device, kPrefsFolder);
    auto shown = open<PrefsViewController>();
    EXPECT_TRUE(watch.take().empty()) << "defaults must never be written";
    tap(prefsScreen(*shown), PrefsViewController::kKeepResidentRow);
    EXPECT_EQ(watch.take(), std::multiset<std::string>{std::string(test::kGames) + ".plist"});
    const std::string stored = test::storedPrefs(device);
    EXPECT_THAT(stored, ContainsRegex("\"keepResident\": true"));
    EXPECT_THAT(stored, Not(ContainsRegex("showCategoryName|showIconLabels|leftRightScroll|iconFontColor")));
    EXPECT_THAT(stored, ContainsRegex("\"items\": \\[\\]")) << "the items list must survive";
    EXPECT_TRUE(cellAt(prefsScreen(*shown), PrefsViewController::kKeepResidentRow).control().isSelected());

    // Left at once and opened again: the switch is on.
    shown.reset();
    auto again = open<PrefsViewController>();
    EXPECT_TRUE(cellAt(prefsScreen(*again), PrefsViewController::kKeepResidentRow).control().isSelected());
    tap(prefsScreen(*again), PrefsViewController::kShowTitlebarRow);
    EXPECT_EQ(watch.take().size(), 1u);
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"showCategoryName\": false"));
}

TEST_F(PrefsScreens, ChoicesAreStoredWithTheirTypesAndShownAfterTheReload) {
    device.makeFolder("/Library/Themes/Foo.theme/Icons");
    auto shown = open<PrefsViewController>();
    PrefsViewController& screen = prefsScreen(*shown);

    tap(screen, PrefsViewController::kRowsPerColumnRow);
    ASSERT_NE(shown->picker(), nullptr);
    EXPECT_EQ(shown->picker()->title(), QStringLiteral("Rows per Column"));
    EXPECT_EQ(shown->picker()->message(), QStringLiteral("Choose # of Rows"));
    EXPECT_EQ(shown->picker()->tag(), PrefsViewController::kRowsPickerTag);
    test::tapRow(*shown->picker()->tableView(), 2);
    test::settle();
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"leftRightRowsPerColumn\": 3[,}]"));
    EXPECT_EQ(cellAt(screen, PrefsViewController::kRowsPerColumnRow).control().currentTitle(), QStringLiteral("3"));

    tap(screen, PrefsViewController::kIconFontColorRow);
    ASSERT_NE(shown->picker(), nullptr);
    EXPECT_EQ(shown->picker()->title(), QStringLiteral("Font Color"));
    EXPECT_EQ(shown->picker()->message(), QStringLiteral("Choose a Color"));
    shown->picker()->tableView()->scrollToRow(10);
    test::tapRow(*shown->picker()->tableView(), 10);
    test::settle();
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"iconFontColor\": 10[,}]"));
    EXPECT_EQ(cellAt(screen, PrefsViewController::kIconFontColorRow).control().backgroundColor(), QColor(Qt::yellow));

    choose(*shown, PrefsViewController::kIconsThemeRow, 1);
    ASSERT_NE(screen.themes(), nullptr);
    EXPECT_EQ(*screen.themes(), (std::vector<std::string>{"No Theme", "Foo.theme"}));
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"iconThemeName\": \"Foo.theme\""));
    EXPECT_EQ(cellAt(screen, PrefsViewController::kIconsThemeRow).control().currentTitle(), QStringLiteral("Foo"));
    choose(*shown, PrefsViewController::kIconsThemeRow, 0);
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"iconThemeName\": \"No Theme\""));
    EXPECT_EQ(cellAt(screen, PrefsViewController::kIconsThemeRow).control().currentTitle(), QStringLiteral("No Theme"));

    // A colour that only looks like a named one is none of them: white.
    screen.colorPickerDidSelectColor(*std::make_unique<ColorPicker>(QString(), QString()), model::Color{1, 1, 0, 1, {}});
    EXPECT_THAT(test::storedPrefs(device), ContainsRegex("\"iconFontColor\": 0[,}]"));
}

TEST_F(PrefsScreens, CancelStoresNothingAndReloadsNothing) {
    auto shown = open<PrefsViewController>();
    PrefsViewController& screen = prefsScreen(*shown);
    test::WriteWatch watch(device, kPrefsFolder);
    const std::size_t cellsBefore = screen.tableView().cellRequests();
    for (int row : {PrefsViewController::kRowsPerColumnRow, PrefsViewController::kIconFontColorRow,
                    PrefsViewController::kIconsThemeRow}) {
        tap(screen, row);
        ASSERT_NE(shown->picker(), nullptr);
        shown->picker()->clickButton(0);
        test::settle();
        EXPECT_EQ(shown->picker(), nullptr);
    }
    EXPECT_TRUE(watch.take().empty());
    EXPECT_EQ(screen.tableView().cellRequests(), cellsBefore);
}

TEST_F(PrefsScreens, ThemesAreListedOncePerScreen) {
    device.makeFolder("/Library/Themes/Foo.theme/Icons");
    auto shown = open<PrefsViewController>();
    PrefsViewController& screen = prefsScreen(*shown);
    EXPECT_EQ(screen.themes(), nullptr);
    choose(*shown, PrefsViewController::kIconsThemeRow, 0);
    const auto first = screen.themes();
    device.makeFolder("/var/mobile/Library/Library/SummerBoard/Themes/Foo.theme/Icons");
    tap(screen, PrefsViewController::kIconsThemeRow);
    auto* picker = dynamic_cast<ValuePicker*>(shown->picker());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->tag(), PrefsViewController::kThemePickerTag);
    EXPECT_EQ(&picker->values(), first.get()) << "the picker shows the screen's own list";
    EXPECT_EQ(picker->values().size(), 2u) << "installed while the screen is open: not seen";
    picker->clickButton(0);
    test::settle();
    shown.reset();
    auto again = open<PrefsViewController>();
    choose(*again, PrefsViewController::kIconsThemeRow, 0);
    EXPECT_EQ(*prefsScreen(*again).themes(), (std::vector<std::string>{"No Theme", "Foo.theme", "Foo.theme"}));
}

TEST_F(PrefsScreens, AStrangeThemeNameIsStoredUnchangedAndShownOnOneLine) {
    const std::string strange = "Two\nLines \xe2\x80\xae" + std::string(200, 'x') + ".theme";
    device.makeFolder("/Library/Themes/" + strange + "/Icons");
    auto shown = open<PrefsViewController>();
    choose(*shown, PrefsViewController::kIconsThemeRow, 1);
    ASSERT_EQ(prefsScreen(*shown).prefs()->iconThemeName(), strange);
    // plistlib reads back exactly the folder's name.
    const auto stored = test::storedPrefs(device);
    EXPECT_THAT(stored, ContainsRegex("\"iconThemeName\": \"Two\\\\nLines \xe2\x80\xae" "x{200}\\.theme\""));
    const QString title = cellAt(prefsScreen(*shown), PrefsViewController::kIconsThemeRow).control().currentTitle();
    EXPECT_FALSE(title.contains(QLatin1Char('\n')));
    EXPECT_FALSE(title.contains(QChar(0x202e)));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Two\uFFFDLines \uFFFDxxx")));
    test::saveScreenshot(shown->window(), QStringLiteral("prefs-strange-theme"), QStringLiteral("settings"));
}

TEST_F(PrefsScreens, BothScreensStoreUnderTheSameKeys) {
    auto extension = open<PrefsSBViewController>();
    auto& small = *dynamic_cast<PrefsSBViewController*>(extension->top());
    EXPECT_EQ(small.title(), QStringLiteral("Prefs for: Category000"));
    ASSERT_EQ(small.tableView().rowCount(), 2);
    EXPECT_EQ(cellAt(small, 0).textLabel()->text(), QStringLiteral("Show Titlebar"));
    EXPECT_EQ(cellAt(small, 1).textLabel()->text(), QStringLiteral("Background Image"));
    EXPECT_EQ(cellAt(small, 1).reuseIdentifier(), QStringLiteral("ToggleCell"));
    test::saveScreenshot(extension->window(), QStringLiteral("prefs-extension"), QStringLiteral("settings"));
    tap(small, 1);  // "Background Image" on
    tap(small, 0);  // "Show Titlebar" off
    extension.reset();

    auto full = open<PrefsViewController>();
    EXPECT_TRUE(cellAt(prefsScreen(*full), PrefsViewController::kBackgroundImageRow).control().isSelected());
    EXPECT_FALSE(cellAt(prefsScreen(*full), PrefsViewController::kShowTitlebarRow).control().isSelected());
    tap(prefsScreen(*full), PrefsViewController::kBackgroundImageRow);  // and off again here
    full.reset();
    auto back = open<PrefsSBViewController>();
    EXPECT_FALSE(cellAt(*dynamic_cast<SettingsScreen*>(back->top()), 1).control().isSelected());
}

TEST_F(PrefsScreens, WithoutACategoryTheRowsAreDisabledAndNothingIsWritten) {
    test::WriteWatch watch(device, kPrefsFolder);
    auto shown = open<PrefsViewController>(std::nullopt);
    PrefsViewController& screen = prefsScreen(*shown);
    EXPECT_EQ(screen.title(), QStringLiteral("Prefs for: "));
    EXPECT_EQ(screen.prefs(), nullptr);
    ASSERT_EQ(screen.tableView().rowCount(), 8);
    for (int row = 0; row < 8; ++row) {
        ui::Button& control = cellAt(screen, row).control();
        EXPECT_FALSE(control.isEnabled()) << row;
        EXPECT_FALSE(control.isSelected()) << row;
        EXPECT_EQ(control.currentTitle(), QString()) << row;
        EXPECT_FALSE(control.backgroundColor().isValid()) << row;
    }
    test::saveScreenshot(shown->window(), QStringLiteral("prefs-no-category"), QStringLiteral("settings"));
    // Even driven directly, the handlers store nothing and open nothing.
    screen.buttonToggled(cellAt(screen, 0).control());
    screen.buttonTapped(cellAt(screen, PrefsViewController::kIconsThemeRow).control());
    EXPECT_EQ(shown->picker(), nullptr);
    auto picker = std::make_unique<ValuePicker>(QString(), QString(), nullptr);
    picker->setTag(PrefsViewController::kThemePickerTag);
    screen.valuePickerDidSelectValue(*picker, "Foo.theme");
    EXPECT_TRUE(watch.take().empty());
}

}  // namespace
}  // namespace nestora::screens
