// The icon lookup's steps for the newer Info.plist keys, taken only when the
// old steps find no file.

#include <gtest/gtest.h>

#include <unistd.h>

#include "model/IconLookup.h"
#include "model/NamedIconFiles.h"
#include "platform/Plist.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPng.h"

namespace nestora {
namespace {

using model::iconPathForBundlePath;
using test::TestDevice;

class NamedIcons : public ::testing::Test {
protected:
    std::string inBundle(const std::string& name) const { return bundle + "/" + name; }
    void info(const std::string& literal) {
        device.makeFolder(bundle);
        ASSERT_TRUE(test::plistlibWrite(device.host(inBundle("Info.plist")), literal, "binary"));
    }
    // A square PNG of `side` pixels, in the optimised form when asked.
    void icon(const std::string& name, int side, bool optimised = false) {
        std::string file = test::standardPng(test::patternPicture(side, side, false));
        if (optimised) file = *test::optimisedPng(file);
        device.writeFile(inBundle(name), file);
    }
    void remove(const std::string& name) { ASSERT_EQ(::unlink(device.host(inBundle(name)).c_str()), 0) << name; }

    TestDevice device;
    std::string bundle = "/var/mobile/Applications/D2/Paper.app";
};

TEST_F(NamedIcons, TheOldStepsKeepTheirAnswersWheneverTheyFindAFile) {
    info("{'CFBundleIconFile': 'Old', 'CFBundleIconFiles': ['New.png'], "
         "'CFBundleIcons': {'CFBundlePrimaryIcon': {'CFBundleIconFiles': ['New.png']}}}");
    icon("New.png", 114);
    icon("Old.png", 57);
    icon("Icon.png", 57);
    EXPECT_EQ(iconPathForBundlePath(bundle), inBundle("Icon.png"));
    device.writeFile(inBundle("icon.png"), "not even an image");
    EXPECT_EQ(iconPathForBundlePath(bundle), inBundle("icon.png"));
    remove("icon.png");
    remove("Icon.png");
    EXPECT_EQ(iconPathForBundlePath(bundle), inBundle("Old.png"));
    // Only when the old key names a file that is not there do the newer
    // keys speak.
    remove("Old.png");
    EXPECT_EQ(iconPathForBundlePath(bundle), inBundle("New.png"));
}

struct Layout {
    const char* what;
    plist::Dictionary info;
    std::vector<std::pair<const char*, int>> files;  // name, side
    const char* expected;                            // nullptr: none
};

plist::Dictionary primaryIcon(plist::Value files, const char* key = "CFBundleIcons") {
    return {{key, plist::Dictionary{{"CFBundlePrimaryIcon", plist::Dictionary{{"CFBundleIconFiles", files}}}}}};
}

TEST_F(NamedIcons, EveryWayARealBundleNamesItsIconIsFound) {
    using plist::Array;
    using plist::Dictionary;
    const Dictionary pad = primaryIcon(Array{"Pad"});
    Dictionary both = primaryIcon(Array{"Phone"}, "CFBundleIcons~iphone");
    both.insert(pad.begin(), pad.end());
    Dictionary primaryAndList = primaryIcon(Array{"Small"});
    primaryAndList["CFBundleIconFiles"] = Array{"Big.png"};
    Dictionary primaryGone = primaryIcon(Array{"Gone"});
    primaryGone["CFBundleIconFiles"] = Array{"Big.png"};

    const std::vector<Layout> layouts = {
        {"a list of plain names", {{"CFBundleIconFiles", Array{"Paper.png", "Paper@2x.png"}}},
         {{"Paper.png", 57}, {"Paper@2x.png", 114}}, "Paper@2x.png"},
        {"a name standing for its scaled file", {{"CFBundleIconFiles", Array{"Paper"}}},
         {{"Paper.png", 57}, {"Paper@2x.png", 114}}, "Paper@2x.png"},
        {"a name without extension, one file", {{"CFBundleIconFiles", Array{"AppIcon57x57"}}},
         {{"AppIcon57x57.png", 57}}, "AppIcon57x57.png"},
        {"the primary icon of CFBundleIcons", primaryIcon(Array{"AppIcon57x57", "AppIcon72x72"}),
         {{"AppIcon57x57.png", 57}, {"AppIcon72x72.png", 72}, {"AppIcon57x57@2x.png", 114}}, "AppIcon57x57@2x.png"},
        {"the device's own file", {{"CFBundleIconFiles", Array{"Paper.png"}}}, {{"Paper~iphone.png", 57}},
         "Paper~iphone.png"},
        {"the device's scaled file", {{"CFBundleIconFiles", Array{"Paper"}}},
         {{"Paper~iphone.png", 57}, {"Paper@2x~iphone.png", 114}, {"Paper@2x.png", 114}}, "Paper@2x~iphone.png"},
        {"the ~iphone key stands in for CFBundleIcons", both, {{"Pad.png", 114}, {"Phone.png", 57}}, "Phone.png"},
        {"the ~iphone key stands in for CFBundleIconFiles",
         {{"CFBundleIconFiles", Array{"Pad.png"}}, {"CFBundleIconFiles~iphone", Array{"Phone.png"}}},
         {{"Pad.png", 114}, {"Phone.png", 57}}, "Phone.png"},
        {"the primary icon before the top-level list", primaryAndList, {{"Big.png", 114}, {"Small.png", 57}},
         "Small.png"},
        {"the top-level list when the primary icon has no file", primaryGone, {{"Big.png", 114}}, "Big.png"},
        {"a primary icon given as a name",
         {{"CFBundleIcons", Dictionary{{"CFBundlePrimaryIcon", "Named"}}}}, {{"Named.png", 57}}, "Named.png"},
        {"the smallest at least 114 pixels", {{"CFBundleIconFiles", Array{"a", "b", "c", "d"}}},
         {{"a.png", 57}, {"b.png", 512}, {"c.png", 144}, {"d.png", 72}}, "c.png"},
        {"else the largest", {{"CFBundleIconFiles", Array{"a", "b", "c"}}},
         {{"a.png", 29}, {"b.png", 72}, {"c.png", 57}}, "b.png"},
        {"of two the same size, the first named", {{"CFBundleIconFiles", Array{"b", "a"}}},
         {{"a.png", 114}, {"b.png", 114}}, "b.png"},
        {"names that are not text are passed over",
         {{"CFBundleIconFiles", Array{3, Dictionary{{"x", "y"}}, "Paper"}}}, {{"Paper.png", 57}}, "Paper.png"},
        {"no newer keys", {{"CFBundleIdentifier", "com.example.paper"}}, {{"Icon-57.png", 57}}, nullptr},
        {"nothing named exists", {{"CFBundleIconFiles", Array{"Icon-72.png"}}}, {{"Icon-57.png", 57}}, nullptr},
        {"CFBundleIcons of another type", {{"CFBundleIcons", Array{"Paper.png"}}}, {{"Paper.png", 57}}, nullptr},
    };
    int count = 0;
    for (const Layout& layout : layouts) {
        bundle = "/var/mobile/Applications/L" + std::to_string(++count) + "/Paper.app";
        device.writeFile(inBundle("Info.plist"), plist::toXml(layout.info));
        bool optimised = false;
        for (const auto& [name, side] : layout.files) {
            icon(name, side, optimised);
            optimised = !optimised;  // the forms mixed: both are read alike
        }
        const auto found = iconPathForBundlePath(bundle);
        if (layout.expected == nullptr) {
            EXPECT_EQ(found, std::nullopt) << layout.what;
        } else {
            EXPECT_EQ(found, inBundle(layout.expected)) << layout.what;
        }
    }
}

TEST_F(NamedIcons, NamesThatLeaveTheBundleAndFilesThatAreNoPngAreIgnored) {
    info("{'CFBundleIconFiles': ['../Other.app/Icon.png', '..', '.', '', '/Applications/Other.app/Icon.png', "
         "'Sub/Icon.png', 'Text.png', 'Folder.png']}");
    device.makeFolder("/var/mobile/Applications/D2/Other.app");
    device.writeFile("/var/mobile/Applications/D2/Other.app/Icon.png",
                     test::standardPng(test::patternPicture(57, 57, false)));
    device.writeFile("/Applications/Other.app/Icon.png", test::standardPng(test::patternPicture(57, 57, false)));
    icon("Sub/Icon.png", 57);
    device.writeFile(inBundle("Text.png"), "no picture");
    device.makeFolder(inBundle("Folder.png"));
    device.writeFile(inBundle("..png"), test::standardPng(test::patternPicture(57, 57, false)));
    EXPECT_EQ(iconPathForBundlePath(bundle), std::nullopt);
}

TEST(NamedIconFileNames, ANameStandsForItsScaledAndDeviceFilesInThePhonesOrder) {
    using model::fileNamesForIconName;
    using Names = std::vector<std::string>;
    EXPECT_EQ(fileNamesForIconName("Icon"),
              (Names{"Icon", "Icon.png", "Icon@2x~iphone.png", "Icon@2x.png", "Icon~iphone.png"}));
    EXPECT_EQ(fileNamesForIconName("Icon.png"),
              (Names{"Icon.png", "Icon@2x~iphone.png", "Icon@2x.png", "Icon~iphone.png"}));
    EXPECT_EQ(fileNamesForIconName("Icon.PNG"),
              (Names{"Icon.PNG", "Icon.PNG.png", "Icon@2x~iphone.PNG", "Icon@2x.PNG", "Icon~iphone.PNG"}));
    EXPECT_EQ(fileNamesForIconName(".hidden"),
              (Names{".hidden", ".hidden.png", ".hidden@2x~iphone.png", ".hidden@2x.png", ".hidden~iphone.png"}));
    for (const char* escaping : {"", ".", "..", "a/b", "/a", "../a.png"}) {
        EXPECT_TRUE(fileNamesForIconName(escaping).empty()) << escaping;
    }
}

}  // namespace
}  // namespace nestora
