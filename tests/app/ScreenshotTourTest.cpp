// The headless path of scripts/demo: the tour program walks the list screen
// and the editing screens on a device and leaves one picture per state,
// without changing the device.

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "tests/app/AdServerScript.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/RunProgram.h"

namespace nestora::app {
namespace {

TEST(AppScreenshotTour, SavesEachStateOfTheListScreen) {
    test::AppDeviceOptions options;
    options.sampleApps = true;
    test::AppDevice device(options);
    device.makeCategory("Category000", "Games",
                        std::vector<std::string>{"com.apple.mobilemail", "com.apple.mobilesafari"});
    const std::string prefs = device.readFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category000.plist");
    const std::string out = device.root() + "/shots";
    const test::RunResult result = test::runProgram({"/usr/bin/timeout", "60", NESTORA_TOUR_EXECUTABLE, out},
                                                    {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    // The edit-choice alert over a selected row, a row mid-drag and the
    // add-items screen on its way up too.
    for (const char* name : {"1-list.png", "2-edit-mode.png", "2b-edit-choice-alert.png", "3-add-alert.png",
                             "4-help.png", "5-contents.png", "5b-row-mid-drag.png", "6a-add-items-sliding-up.png",
                             "6-add-items.png", "7-icon-picker.png"}) {
        const QImage image(QString::fromStdString(out + "/" + name));
        EXPECT_EQ(image.size(), QSize(320, 480)) << name;
        EXPECT_NE(result.out.find(name), std::string::npos) << "the tour does not say where " << name << " is";
    }
    for (const char* name : {"settings-1-prefs.png", "settings-2-rows-picker.png", "settings-3-color-picker.png",
                             "settings-4-extension.png"}) {
        EXPECT_EQ(QImage(QString::fromStdString(out + "/" + name)).size(), QSize(320, 480)) << name;
    }
    // No alert at launch on this device, so no launch picture.
    EXPECT_FALSE(std::filesystem::exists(out + "/0-launch-alert.png"));
    // No two pictures alike.
    std::vector<std::pair<std::string, QImage>> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        const QImage picture(QString::fromStdString(entry.path().string()));
        for (const auto& [other, seen] : pictures) {
            EXPECT_NE(picture, seen) << entry.path().filename() << " is " << other;
        }
        pictures.emplace_back(entry.path().filename().string(), picture);
    }
    EXPECT_GE(pictures.size(), 14u);
    // The add alert was cancelled: no category was made, no restart owed.
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    EXPECT_FALSE(device.exists("/var/mobile/Library/Preferences/com.quarvek.nestora.plist"));
    // Nothing was added to the category, and opening the settings and
    // cancelling the pickers stored nothing.
    EXPECT_EQ(device.readFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category000.plist"), prefs);
    EXPECT_FALSE(device.exists("/var/lib/nestora/hidden-icons.plist"));
}

TEST(AppScreenshotTour, EveryPictureShowsTheOwnWebAdOfTheDemosAdServer) {
    test::AdServerScript server;  // what scripts/demo runs
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile("/Applications/Nestora.app/Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>NestoraAdsHost</key>"
                     "<string>" + server.host() + "</string></dict></plist>\n");
    const std::string out = device.root() + "/shots";
    const test::RunResult result = test::runProgram({"/usr/bin/timeout", "60", NESTORA_TOUR_EXECUTABLE, out},
                                                    {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("ad strip: own web ad shown"), std::string::npos) << result.out;
    const QImage list(QString::fromStdString(out + "/1-list.png"));
    EXPECT_EQ(list.pixelColor(5, 478), QColor(0x14, 0x21, 0x3d)) << "the ad's ground along the bottom";
}

}  // namespace
}  // namespace nestora::app
