#include <gtest/gtest.h>

#include "model/Prefs.h"
#include "platform/Preferences.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using model::Color;
using model::Prefs;
using test::TestDevice;

constexpr const char* kCategory = "com.quarvek.nestora.Category004";
constexpr const char* kPrefsFile = "/var/mobile/Library/Preferences/com.quarvek.nestora.Category004.plist";

// A category as the tool leaves it: an empty preferences file.
void makeEmptyCategory(const TestDevice& device) { device.writeFile(kPrefsFile, ""); }

void writeStored(const TestDevice& device, const std::string& literal, const char* format = "xml") {
    device.makeFolder("/var/mobile/Library/Preferences");
    ASSERT_TRUE(test::plistlibWrite(device.host(kPrefsFile), literal, format));
}

std::string storedJson(const TestDevice& device) {
    return test::plistlibJson(device.host(kPrefsFile)).value_or("<unreadable>");
}

TEST(ModelPrefs, SettingsAreBlankUntilDefaultsAreRegistered) {
    TestDevice device;
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    EXPECT_EQ(prefs.bundleIdentifier(), kCategory);
    EXPECT_FALSE(prefs.showCategoryName());
    EXPECT_FALSE(prefs.showIconLabels());
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 0);
    EXPECT_EQ(prefs.iconThemeName(), "");
}

TEST(ModelPrefs, EmptyCategoryLoadsEveryDefaultAndWritesNothing) {
    TestDevice device;
    makeEmptyCategory(device);
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    EXPECT_TRUE(prefs.showCategoryName());
    EXPECT_TRUE(prefs.showIconLabels());
    EXPECT_TRUE(prefs.saveImageOnExit());
    EXPECT_FALSE(prefs.useBackgroundImage());
    EXPECT_TRUE(prefs.leftRightScroll());
    EXPECT_FALSE(prefs.keepResident());
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 4);
    EXPECT_EQ(prefs.iconFontColor(), 0);
    EXPECT_EQ(prefs.iconThemeName(), "No Theme");
    // Defaults live in the program, never in the file.
    EXPECT_EQ(device.readFile(kPrefsFile), "");
}

TEST(ModelPrefs, MissingPreferencesFileLoadsDefaults) {
    TestDevice device;
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 4);
    EXPECT_EQ(prefs.iconThemeName(), "No Theme");
    EXPECT_FALSE(device.exists(kPrefsFile));
}

TEST(ModelPrefs, StoredValuesOfTheRightTypeReplaceDefaults) {
    for (const char* format : {"xml", "binary"}) {
        SCOPED_TRACE(format);
        TestDevice device;
        writeStored(device,
                    "{'showCategoryName': False, 'showIconLabels': False, 'saveImageOnExit': False, "
                    "'useBackgroundImage': True, 'leftRightScroll': False, 'keepResident': True, "
                    "'leftRightRowsPerColumn': 2, 'iconFontColor': 9, 'iconThemeName': 'Glassy', "
                    "'items': ['com.apple.mobilesafari']}",
                    format);
        platform::Preferences preferences;
        Prefs prefs(preferences, kCategory);
        prefs.registerDefaults();
        prefs.load();
        EXPECT_FALSE(prefs.showCategoryName());
        EXPECT_FALSE(prefs.showIconLabels());
        EXPECT_FALSE(prefs.saveImageOnExit());
        EXPECT_TRUE(prefs.useBackgroundImage());
        EXPECT_FALSE(prefs.leftRightScroll());
        EXPECT_TRUE(prefs.keepResident());
        EXPECT_EQ(prefs.leftRightRowsPerColumn(), 2);
        EXPECT_EQ(prefs.iconFontColor(), 9);
        EXPECT_EQ(prefs.iconThemeName(), "Glassy");
    }
}

TEST(ModelPrefs, ValuesOfTheWrongTypeAreIgnored) {
    TestDevice device;
    // The number 0 is not a boolean, the text "3" is not a number, a number is
    // not a theme name.
    writeStored(device,
                "{'showIconLabels': 0, 'keepResident': 'YES', 'useBackgroundImage': [True], "
                "'leftRightRowsPerColumn': '3', 'iconFontColor': True, 'iconThemeName': 5}");
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    EXPECT_TRUE(prefs.showIconLabels());
    EXPECT_FALSE(prefs.keepResident());
    EXPECT_FALSE(prefs.useBackgroundImage());
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 4);
    EXPECT_EQ(prefs.iconFontColor(), 0);
    EXPECT_EQ(prefs.iconThemeName(), "No Theme");
}

TEST(ModelPrefs, AWrongTypeKeepsThePreviouslyLoadedValue) {
    TestDevice device;
    writeStored(device, "{'leftRightRowsPerColumn': 1, 'iconThemeName': 'Dark'}");
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    writeStored(device, "{'leftRightRowsPerColumn': 'two', 'iconThemeName': False}");
    prefs.load();
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 1);
    EXPECT_EQ(prefs.iconThemeName(), "Dark");
}

TEST(ModelPrefs, NumbersBecomeThirtyTwoBitIntegers) {
    TestDevice device;
    // A real is cut toward zero; values past the 32-bit range stay at its
    // ends instead of wrapping into small, plausible ones.
    writeStored(device, "{'leftRightRowsPerColumn': 2.9, 'iconFontColor': 4294967298}");
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 2);
    EXPECT_EQ(prefs.iconFontColor(), 2147483647);

    writeStored(device, "{'leftRightRowsPerColumn': -1e300, 'iconFontColor': -4294967298}");
    prefs.load();
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), -2147483647 - 1);
    EXPECT_EQ(prefs.iconFontColor(), -2147483647 - 1);
}

TEST(ModelPrefs, EachSetterReachesTheFileBeforeItReturns) {
    TestDevice device;
    writeStored(device, "{'items': ['com.apple.mobilesafari'], 'categoryName': 'Category004'}");
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();

    // Python's plistlib reads the file after each call: nothing may wait for
    // a later synchronise, and the other keys of the domain must survive.
    prefs.setLeftRightRowsPerColumn(2);
    EXPECT_EQ(storedJson(device),
              R"({"categoryName": "Category004", "items": ["com.apple.mobilesafari"], "leftRightRowsPerColumn": 2})");
    EXPECT_EQ(prefs.leftRightRowsPerColumn(), 2);

    prefs.setShowCategoryName(false);
    prefs.setShowIconLabels(false);
    prefs.setSaveImageOnExit(false);
    prefs.setUseBackgroundImage(true);
    prefs.setLeftRightScroll(false);
    prefs.setKeepResident(true);
    prefs.setIconFontColor(7);
    prefs.setIconThemeName("Glassy");
    EXPECT_EQ(storedJson(device),
              R"({"categoryName": "Category004", "iconFontColor": 7, "iconThemeName": "Glassy", )"
              R"("items": ["com.apple.mobilesafari"], "keepResident": true, "leftRightRowsPerColumn": 2, )"
              R"("leftRightScroll": false, "saveImageOnExit": false, "showCategoryName": false, )"
              R"("showIconLabels": false, "useBackgroundImage": true})");

    // A second settings screen sees what the first one wrote.
    platform::Preferences other;
    Prefs again(other, kCategory);
    again.registerDefaults();
    again.load();
    EXPECT_FALSE(again.showCategoryName());
    EXPECT_TRUE(again.keepResident());
    EXPECT_EQ(again.iconFontColor(), 7);
    EXPECT_EQ(again.iconThemeName(), "Glassy");
}

TEST(ModelPrefs, ASetterWritesOnlyItsOwnKey) {
    TestDevice device;
    makeEmptyCategory(device);
    platform::Preferences preferences;
    Prefs prefs(preferences, kCategory);
    prefs.registerDefaults();
    prefs.load();
    prefs.setShowIconLabels(true);  // the default, written because it was set
    EXPECT_EQ(storedJson(device), R"({"showIconLabels": true})");
}

TEST(ModelPrefsColor, CodesOutsideOneToTenGiveWhite) {
    EXPECT_EQ(&Prefs::uiColorForFontColor(0), &Color::whiteColor());
    EXPECT_EQ(&Prefs::uiColorForFontColor(-1), &Color::whiteColor());
    EXPECT_EQ(&Prefs::uiColorForFontColor(11), &Color::whiteColor());
    EXPECT_EQ(&Prefs::uiColorForFontColor(10), &Color::yellowColor());
    EXPECT_EQ(&Prefs::uiColorForFontColor(1), &Color::blackColor());
}

TEST(ModelPrefsColor, EveryCodeMapsToItsColourAndBack) {
    const Color* expected[] = {&Color::whiteColor(), &Color::blackColor(),  &Color::redColor(),
                               &Color::blueColor(),  &Color::brownColor(),  &Color::cyanColor(),
                               &Color::grayColor(),  &Color::greenColor(),  &Color::orangeColor(),
                               &Color::purpleColor(), &Color::yellowColor()};
    for (int code = 0; code < model::kFontColorCount; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(&Prefs::uiColorForFontColor(code), expected[code]);
        EXPECT_EQ(Prefs::fontColorForUIColor(*expected[code]), code);
        EXPECT_TRUE(expected[code]->isSharedNamedColor());
    }
}

TEST(ModelPrefsColor, ColoursAreComparedByIdentity) {
    EXPECT_EQ(Prefs::fontColorForUIColor(Color::purpleColor()), 9);
    const Color lookalike = Color::purpleColor();  // same components, another object
    EXPECT_EQ(Prefs::fontColorForUIColor(lookalike), 0);
    EXPECT_FALSE(lookalike.isSharedNamedColor());
    EXPECT_EQ(Prefs::fontColorForUIColor(Color{0.1, 0.2, 0.3, 1.0, {}}), 0);
    // The shared objects keep their identity between calls.
    EXPECT_EQ(&Color::purpleColor(), &Color::purpleColor());
    EXPECT_EQ(Color::purpleColor().name, "purpleColor");
}

}  // namespace
}  // namespace nestora
