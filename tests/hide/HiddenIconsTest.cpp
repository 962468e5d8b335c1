// The hidden set of the stand-in hide library, as the library writes it and
// as the home screen reads it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/IconHiding.h"
#include "hide/HiddenIcons.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using Paths = std::vector<std::string>;

class HideHiddenIcons : public ::testing::Test {
protected:
    void SetUp() override {
        device.makeFolder("/usr/lib");
        std::filesystem::copy_file(NESTORA_TEST_HIDE_LIBRARY, device.host("/usr/lib/hide.dylib"));
    }
    test::TestDevice device;
};

TEST_F(HideHiddenIcons, WhatTheLibraryHidesIsReadInTheOrderItWasHidden) {
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{}) << "nothing hidden yet: no file";
    EXPECT_TRUE(setIconHiddenForInfoPlistPath("/Applications/Maps.app/Info.plist", true));
    EXPECT_TRUE(setIconHiddenForInfoPlistPath("/var/mobile/Applications/C1/Chess.app/Info.plist", true));
    EXPECT_FALSE(setIconHiddenForInfoPlistPath("/Applications/Maps.app/Info.plist", true)) << "already hidden";
    EXPECT_EQ(hide::hiddenInfoPlistPaths(),
              (Paths{"/Applications/Maps.app/Info.plist", "/var/mobile/Applications/C1/Chess.app/Info.plist"}));
    EXPECT_TRUE(setIconHiddenForInfoPlistPath("/Applications/Maps.app/Info.plist", false));
    EXPECT_FALSE(setIconHiddenForInfoPlistPath("/Applications/Maps.app/Info.plist", false)) << "not hidden";
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{"/var/mobile/Applications/C1/Chess.app/Info.plist"});
}

TEST_F(HideHiddenIcons, AFileThatIsNoListOfTextReadsAsWhatItHoldsOfTexts) {
    const std::string file(hide::kHiddenIconsPath);
    device.writeFile(file, "\x89 not a property list");
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{});
    device.writeFile(file, "<plist version=\"1.0\"><dict><key>a</key><string>b</string></dict></plist>");
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{});
    device.writeFile(file,
                     "<plist version=\"1.0\"><array><string>/A.app/Info.plist</string><integer>7</integer>"
                     "<array/><string>/B.app/Info.plist</string></array></plist>");
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), (Paths{"/A.app/Info.plist", "/B.app/Info.plist"}));
    // The library goes on from what it can read.
    EXPECT_TRUE(setIconHiddenForInfoPlistPath("/C.app/Info.plist", true));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), (Paths{"/A.app/Info.plist", "/B.app/Info.plist", "/C.app/Info.plist"}));
}

}  // namespace
}  // namespace nestora
