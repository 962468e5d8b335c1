// The application object: launch with its window regions, recovery of an
// owed restart, the permission check, the restart flag, termination.

#include <gtest/gtest.h>

#include <QLabel>

#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "app/RootViewController.h"
#include "platform/Notifications.h"
#include "platform/SystemLog.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

const QString kRecoveredMessage = QStringLiteral(
    "Nestora crashed in the last session probably due to low memory.You can continue editing where you left "
    "off.\n\nThe device will respring when you exit in order refresh SpringBoard.");
const QString kPermissionsMessage = QStringLiteral(
    "A permissions error was detected.\n\nThe NestoraTool binary (in /Applications/Nestora.app/) requires 4755 "
    "permissions.\n\nPlease fix manually or reinstall Nestora.");

// A device with one category, so the about alert stays out of the way.
test::AppDeviceOptions quietDevice() {
    return {};
}

TEST(AppLifecycle, LaunchBuildsTheWindowRegions) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    EXPECT_EQ(Nestora::sharedApplication(), &nestora);
    nestora.applicationDidFinishLaunching();
    ASSERT_NE(nestora.window(), nullptr);
    EXPECT_EQ(nestora.window()->size(), QSize(320, 480));
    EXPECT_EQ(nestora.respringLabel()->geometry(), QRect(10, 0, 150, 12));
    EXPECT_EQ(nestora.respringLabel()->text(), QStringLiteral("Respring Needed: NO"));
    EXPECT_EQ(nestora.memLabel()->geometry(), QRect(210, 0, 100, 12));
    EXPECT_EQ(nestora.memLabel()->text(), QStringLiteral("Free: 64MB"));
    EXPECT_EQ(nestora.navController()->geometry(), QRect(0, 12, 320, 413));
    EXPECT_EQ(nestora.adStrip()->geometry(), QRect(0, 425, 320, 55));
    EXPECT_EQ(nestora.navController()->navigationBar().titleText(), QStringLiteral("Nestora v2.28"));
    EXPECT_FALSE(nestora.isSimulator());
    EXPECT_FALSE(nestora.hasNestoraSB());
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);
    test::saveScreenshot(*nestora.window(), QStringLiteral("launch-one-category"));
}

TEST(AppLifecycle, PersistedFlagRecoversWithAlertAndYesReadout) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    device.setPersistedNeedRespring(true);
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_TRUE(nestora.needRespring());
    EXPECT_EQ(nestora.respringLabel()->text(), QStringLiteral("Respring Needed: YES"));
    ui::AlertView* alert = test::visibleAlert(nestora.window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("Recovered"));
    EXPECT_EQ(alert->message(), kRecoveredMessage);
    EXPECT_EQ(alert->buttonTitles(), QStringList{QStringLiteral("OK")});
    EXPECT_EQ(nestora.messageBoxFunction(), Nestora::kInformationalAlert);
    test::saveScreenshot(*nestora.window(), QStringLiteral("recovered-alert"));
    alert->clickButton(0);
    test::settle();
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);
    EXPECT_TRUE(device.persistedNeedRespring().value_or(false));
}

TEST(AppLifecycle, PermissionProblemShowsOnlyTheErrorAndKeepsTheFlag) {
    test::AppDeviceOptions options = quietDevice();
    options.toolMode = 0755;  // set-user-id bit clear
    test::AppDevice device(options);
    device.makeCategory("Category000", "Games");
    device.setPersistedNeedRespring(true);
    if (test::builtToolPath().empty()) {
        device.writeFile("/Applications/Nestora.app/NestoraTool", "#!/bin/sh\n");
    }
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    ui::AlertView* alert = test::visibleAlert(nestora.window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("Error"));
    EXPECT_EQ(alert->message(), kPermissionsMessage);
    EXPECT_EQ(nestora.messageBoxFunction(), Nestora::kFatalAlert);
    EXPECT_EQ(ui::AlertAnswerQueue::forWindow(nestora.window()).shownAlerts().size(), 1);
    EXPECT_FALSE(nestora.needRespring());
    EXPECT_EQ(nestora.respringLabel()->text(), QStringLiteral("Respring Needed: NO"));
    test::saveScreenshot(*nestora.window(), QStringLiteral("permission-error-alert"));
    // "OK" ends the app in order: no restart was owed in this session.
    alert->clickButton(0);
    test::settle();
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(true));
    EXPECT_TRUE(platform::postedNotifications().empty());
    EXPECT_FALSE(nestora.memTimer().isActive());
}

TEST(AppLifecycle, MissingToolIsAPermissionProblem) {
    test::AppDeviceOptions options = quietDevice();
    options.installTool = false;
    test::AppDevice device(options);
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_TRUE(nestora.checkPermissions());
    ASSERT_NE(test::visibleAlert(nestora.window()), nullptr);
    EXPECT_EQ(test::visibleAlert(nestora.window())->title(), QStringLiteral("Error"));
}

TEST(AppLifecycle, OnlyTheSetUserIdBitCounts) {
    test::AppDeviceOptions options = quietDevice();
    options.installTool = false;
    test::AppDevice device(options);
    device.writeFile("/Applications/Nestora.app/NestoraTool", "x");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    const std::string tool = device.host("/Applications/Nestora.app/NestoraTool");
    ::chmod(tool.c_str(), 04000);
    EXPECT_FALSE(nestora.checkPermissions());
    ::chmod(tool.c_str(), 0777);
    EXPECT_TRUE(nestora.checkPermissions());
}

TEST(AppLifecycle, SimulatorPassesThePermissionCheckAndNeverPosts) {
    test::AppDeviceOptions options = quietDevice();
    options.model = "";  // no profile: the simulator
    options.installTool = false;
    test::AppDevice device(options);
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_TRUE(nestora.isSimulator());
    EXPECT_FALSE(nestora.checkPermissions());
    EXPECT_EQ(test::visibleAlert(nestora.window()), nullptr);
    nestora.setRespringNeeded();
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(true));
    nestora.terminateWithSuccess();
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(false));
    EXPECT_FALSE(nestora.needRespring());
    EXPECT_TRUE(platform::postedNotifications().empty());
}

TEST(AppLifecycle, RestartFlagIsWrittenOncePerSession) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_FALSE(device.exists("/var/mobile/Library/Preferences/com.quarvek.nestora.plist"));
    nestora.setRespringNeeded();
    EXPECT_EQ(nestora.respringLabel()->text(), QStringLiteral("Respring Needed: YES"));
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(true));
    // Were it written again, the file would come back.
    ASSERT_EQ(::unlink(device.host("/var/mobile/Library/Preferences/com.quarvek.nestora.plist").c_str()), 0);
    for (int i = 0; i < 50; ++i) {
        nestora.setRespringNeeded();
    }
    EXPECT_FALSE(device.exists("/var/mobile/Library/Preferences/com.quarvek.nestora.plist"));
}

TEST(AppLifecycle, TerminationClearsTheFlagAndRestartsTheHomeScreen) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    platform::LogCapture log;
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    nestora.setRespringNeeded();
    nestora.terminateWithSuccess();
    EXPECT_FALSE(nestora.needRespring());
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(false));
    EXPECT_EQ(platform::postedNotifications(), std::vector<std::string>{"com.apple.language.changed"});
    const auto lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Restarting SpringBoard..."), lines.end());
    EXPECT_FALSE(nestora.memTimer().isActive());
    // The steps run once, however the end is reached.
    nestora.applicationWillTerminate();
    EXPECT_EQ(platform::postedNotifications().size(), 1u);
}

TEST(AppLifecycle, TerminationWithoutADebtChangesNothing) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    nestora.terminateWithSuccess();
    EXPECT_FALSE(device.exists("/var/mobile/Library/Preferences/com.quarvek.nestora.plist"));
    EXPECT_TRUE(platform::postedNotifications().empty());
}

TEST(AppLifecycle, NextLaunchAfterAnOrderlyRestartIsQuiet) {
    test::AppDevice device(quietDevice());
    device.makeCategory("Category000", "Games");
    {
        Nestora first;
        first.applicationDidFinishLaunching();
        first.rootViewController()->respringTapped();  // marks, then ends in order
        EXPECT_EQ(platform::postedNotifications().size(), 1u);
    }
    Nestora second;
    second.applicationDidFinishLaunching();
    EXPECT_FALSE(second.needRespring());
    EXPECT_EQ(test::visibleAlert(second.window()), nullptr);
}

TEST(AppLifecycle, MemoryWarningEmptiesBothCaches) {
    test::AppDevice device(quietDevice());
    Nestora nestora;
    nestora.items() = std::vector<std::string>{"com.apple.mobilemail"};
    nestora.icons() = std::vector<std::string>{"/var/mobile/Media/Nestora/Icons/a.png"};
    nestora.applicationDidReceiveMemoryWarning();
    EXPECT_FALSE(nestora.items().has_value());
    EXPECT_FALSE(nestora.icons().has_value());
}

TEST(AppLifecycle, ExtensionPresenceIsFixedAtLaunch) {
    test::AppDevice device(quietDevice());
    device.writeFile("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib", "");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_TRUE(nestora.hasNestoraSB());
}

TEST(AppLifecycle, AdStorageCommandIsQuotedIntoTheDeviceRoot) {
    test::AppDevice device(quietDevice());
    EXPECT_EQ(adStorageChownCommandLine(),
              "chown -R mobile:mobile \"" + device.root() + "/var/mobile/Documents/admob\" 2>/dev/null");
}

}  // namespace
}  // namespace nestora::app
