// The hidden set of the stand-in hide library, as the library writes it and
// as the home screen reads it.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/IconHiding.h"
#include "hide/HiddenIcons.h"
#include "hide/HiddenIconsFile.h"
#include "tests/support/PythonPlist.h"
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

// Two openings of the list stand for two processes (each has its own
// descriptor and lock): what one changes, the other sees at its next call.
TEST_F(HideHiddenIcons, EachChangeIsInTheFileAtOnceAndSeenByEveryOtherOpening) {
    hide::HiddenIconsFile first;
    hide::HiddenIconsFile second;
    EXPECT_TRUE(first.setHidden("/A.app/Info.plist", true));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{"/A.app/Info.plist"});
    EXPECT_FALSE(second.setHidden("/A.app/Info.plist", true)) << "the second opening sees the first one's hide";
    EXPECT_TRUE(second.setHidden("/A.app/Info.plist", false));
    EXPECT_TRUE(first.setHidden("/A.app/Info.plist", true)) << "and the first one sees the second one's show";
    EXPECT_TRUE(second.setHidden("/B & <C>.app/Info.plist", true));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), (Paths{"/A.app/Info.plist", "/B & <C>.app/Info.plist"}));
    // A list written anew by someone else (here the tests' writer) is taken
    // up as it is.
    ASSERT_TRUE(hide::writeHiddenInfoPlistPaths({"/D.app/Info.plist"}));
    EXPECT_FALSE(first.setHidden("/A.app/Info.plist", false));
    EXPECT_TRUE(first.setHidden("/D.app/Info.plist", false));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{});
}

// A power cut in the middle of a change leaves the line being written torn:
// a show cut after some of its blanks, a hide cut inside its entry or the
// closing tags after it. Every tear of either change is read as the other
// entries alone, and the next change writes the list whole again.
TEST_F(HideHiddenIcons, ALineTornByAPowerCutCountsAsNoEntryAndTheListIsWrittenWholeAgain) {
    const Paths kept{"/A.app/Info.plist", "/C.app/Info.plist"};
    ASSERT_TRUE(hide::writeHiddenInfoPlistPaths({"/A.app/Info.plist", "/B.app/Info.plist", "/C.app/Info.plist"}));
    const std::string whole = device.readFile(hide::kHiddenIconsPath);
    const std::string entry = "\t<string>/B.app/Info.plist</string>\n";
    const std::size_t at = whole.find(entry);
    ASSERT_NE(at, std::string::npos);
    const std::string closing = "</array>\n</plist>\n";
    const std::size_t tail = whole.find(closing);
    const std::string added = "\t<string>/D.app/Info.plist</string>\n" + closing;
    for (std::size_t cut = 1; cut < added.size(); ++cut) {
        SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
        // A show of B cut short (when the cut falls inside its line).
        if (cut < entry.size()) {
            std::string torn = whole;
            torn.replace(at, cut, std::string(cut, ' '));
            EXPECT_EQ(hide::hiddenPathsOfList(torn), kept);
        }
        // A hide of D cut short, with B still there.
        std::string torn = whole;
        torn.replace(tail, cut, added.substr(0, cut));
        Paths read = hide::hiddenPathsOfList(torn);
        const bool dWhole = cut >= added.find(closing);
        EXPECT_EQ(read.size(), dWhole ? 4u : 3u);
        EXPECT_EQ(read.front(), "/A.app/Info.plist");
    }
    std::string torn = whole;
    torn.replace(at, 10, std::string(10, ' '));
    device.writeFile(hide::kHiddenIconsPath, torn);
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), kept);
    hide::HiddenIconsFile file;
    EXPECT_TRUE(file.setHidden("/E.app/Info.plist", true));
    EXPECT_EQ(test::plistlibJson(device.host(hide::kHiddenIconsPath)),
              R"(["/A.app/Info.plist", "/C.app/Info.plist", "/E.app/Info.plist"])")
        << "any property-list reader takes the list again";
}

TEST_F(HideHiddenIcons, HundredsOfPathsKeepTheirOrderThroughTheListBeingWrittenAnew) {
    hide::HiddenIconsFile list;
    Paths hidden;
    for (int n = 0; n < 800; ++n) {
        hidden.push_back("/var/mobile/Applications/C" + std::to_string(n) + "/App.app/Info.plist");
        ASSERT_TRUE(list.setHidden(hidden.back(), true)) << n;
    }
    Paths kept;
    for (std::size_t n = 0; n < hidden.size(); ++n) {
        if (n % 3 == 0) {
            ASSERT_TRUE(list.setHidden(hidden[n], false)) << n;
        } else {
            kept.push_back(hidden[n]);
        }
    }
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), kept);
    // What another reader makes of it: a plain property list.
    hide::HiddenIconsFile reopened;
    EXPECT_FALSE(reopened.setHidden(kept.front(), true));
    EXPECT_FALSE(reopened.setHidden(hidden.front(), false));
}

TEST_F(HideHiddenIcons, APathTheListCannotHoldIsRefused) {
    hide::HiddenIconsFile list;
    EXPECT_FALSE(list.setHidden("/A.app\n</string><string>/B.app/Info.plist", true));
    EXPECT_FALSE(list.setHidden("", true));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{});
}

// A run that opens the library once (the tool, a restore) and single calls
// (the app) share the list.
TEST_F(HideHiddenIcons, ASessionAndSingleCallsSeeEachOthersChanges) {
    IconHidingSession session;
    ASSERT_TRUE(session.available());
    EXPECT_TRUE(session.setHidden(std::string("/A.app/Info.plist"), true));
    EXPECT_FALSE(setIconHiddenForInfoPlistPath("/A.app/Info.plist", true));
    EXPECT_TRUE(setIconHiddenForInfoPlistPath("/A.app/Info.plist", false));
    EXPECT_FALSE(session.setHidden(std::string("/A.app/Info.plist"), false));
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), Paths{});
}

// A restore or a delete hands the library all its apps in one call: every
// change is made, in order, through the list being written anew on the
// way; what is already as asked, a path given twice and a path the list
// cannot hold are passed over, and the count says what changed.
TEST_F(HideHiddenIcons, ManyPathsInOneCallAreChangedInOrderAndCounted) {
    ASSERT_TRUE(setIconHiddenForInfoPlistPath("/Early.app/Info.plist", true));
    std::vector<std::optional<std::string>> batch;
    Paths expected = {"/Early.app/Info.plist"};
    for (int i = 0; i < 300; ++i) {
        batch.emplace_back("/var/mobile/Applications/C" + std::to_string(i) + "/App.app/Info.plist");
        expected.push_back(*batch.back());
    }
    batch.emplace_back("/Early.app/Info.plist");  // already hidden
    batch.push_back(batch.front());               // twice
    batch.emplace_back(std::nullopt);             // an app that is not installed
    batch.emplace_back("");
    batch.emplace_back("/Bad.app\n/Info.plist");
    IconHidingSession session;
    ASSERT_TRUE(session.available());
    EXPECT_EQ(session.setHiddenAll(batch, true), 300u);
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), expected) << "another reader sees every change, in order";

    std::vector<std::optional<std::string>> shown = {"/Never.app/Info.plist"};
    Paths left = {"/Early.app/Info.plist"};
    for (int i = 0; i < 300; ++i) {
        if (i % 2 == 0) {
            shown.emplace_back(expected[i + 1]);
        } else {
            left.push_back(expected[i + 1]);
        }
    }
    EXPECT_EQ(session.setHiddenAll(shown, false), 150u);
    EXPECT_EQ(hide::hiddenInfoPlistPaths(), left);
    hide::HiddenIconsFile other;
    EXPECT_FALSE(other.setHidden(left.back(), true)) << "a second opening knows the list as the call left it";
    EXPECT_TRUE(other.setHidden(*shown.back(), true));
}

TEST(HideSession, WithoutTheLibraryNothingIsCalled) {
    test::TestDevice device;
    IconHidingSession session;
    EXPECT_FALSE(session.available());
    EXPECT_FALSE(session.setHidden(std::string("/A.app/Info.plist"), true));
    EXPECT_FALSE(device.exists(hide::kHiddenIconsPath));
}

}  // namespace
}  // namespace nestora
