#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "model/CategoryItems.h"
#include "platform/Preferences.h"
#include "platform/SystemLog.h"
#include "tests/model/FakeAppServices.h"
#include "tests/model/RecordingApplication.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using test::FakeAppServices;
using test::RecordingApplication;
using test::TestDevice;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kHiddenIcons = "/var/lib/nestora/hidden-icons.plist";

// A device with the stand-in hide library installed and two apps.
class ModelSpringBoardHiding : public ::testing::Test {
protected:
    void SetUp() override {
        device.makeFolder("/usr/lib");
        std::filesystem::copy_file(NESTORA_TEST_HIDE_LIBRARY, device.host("/usr/lib/hide.dylib"));
        services.executables["com.example.game"] = "/var/mobile/Applications/C1/Game.app/Game";
        services.executables["com.example.chat"] = "/Applications/Chat.app/Chat";
        device.makeApp("/var/mobile/Applications/C1/Game.app", "com.example.game", "Game", "Game");
        device.makeApp("/Applications/Chat.app", "com.example.chat", "Chat", "Chat");
        application.services = &services;
    }
    std::string hiddenIcons() const { return test::plistlibJson(device.host(kHiddenIcons)).value_or("<none>"); }

    TestDevice device;
    FakeAppServices services;
    RecordingApplication application;
};

TEST_F(ModelSpringBoardHiding, HidingLogsTheInfoPlistAndOwesARespring) {
    platform::LogCapture log;
    EXPECT_TRUE(model::hideFromSpringBoard(application, services, true, "com.example.game"));
    EXPECT_THAT(log.lines(), ElementsAre("Hiding /var/mobile/Applications/C1/Game.app/Info.plist\n"));
    EXPECT_EQ(application.respringRequests, 1);
    EXPECT_EQ(hiddenIcons(), R"(["/var/mobile/Applications/C1/Game.app/Info.plist"])");
}

TEST_F(ModelSpringBoardHiding, NoChangeOwesNoRespring) {
    ASSERT_TRUE(model::hideFromSpringBoard(application, services, true, "com.example.game"));
    // Already hidden, never hidden, unknown app: the library reports no change.
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, true, "com.example.game"));
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, false, "com.example.chat"));
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, true, "com.example.unknown"));
    EXPECT_EQ(application.respringRequests, 1);
}

TEST_F(ModelSpringBoardHiding, ShowingLogsNothingAndOwesARespring) {
    ASSERT_TRUE(model::hideFromSpringBoard(application, services, true, "com.example.chat"));
    platform::LogCapture log;
    EXPECT_TRUE(model::hideFromSpringBoard(application, services, false, "com.example.chat"));
    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_EQ(application.respringRequests, 2);
    EXPECT_EQ(hiddenIcons(), "[]");
}

TEST_F(ModelSpringBoardHiding, AMissingLibraryChangesNothing) {
    std::filesystem::remove(device.host("/usr/lib/hide.dylib"));
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, true, "com.example.game"));
    EXPECT_EQ(application.respringRequests, 0);
}

TEST_F(ModelSpringBoardHiding, TheHiderDecidesWhetherARespringIsOwed) {
    const auto refuse = [](const std::optional<std::string>&, bool) { return false; };
    const auto accept = [](const std::optional<std::string>& path, bool) { return path.has_value(); };
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, true, "com.example.game", refuse));
    EXPECT_EQ(application.respringRequests, 0);
    EXPECT_TRUE(model::hideFromSpringBoard(application, services, false, "com.example.game", accept));
    EXPECT_FALSE(model::hideFromSpringBoard(application, services, false, "com.example.unknown", accept));
    EXPECT_EQ(application.respringRequests, 1);
}

TEST_F(ModelSpringBoardHiding, ItemsListChangesHideAndShowOnTheHomeScreen) {
    services.executables["com.example.game"] = "/var/mobile/Applications/C1/Game.app/Game";
    device.writeFile("/var/mobile/Applications/C1/Game.app/Game", "#!/bin/sh\n");
    device.makeFolder("/var/mobile/Library/Preferences");
    platform::Preferences preferences;
    model::CategoryItems list(preferences, services, application, "com.quarvek.nestora.Category000");
    list.loadItems();

    list.addItem("com.example.game");
    EXPECT_EQ(hiddenIcons(), R"(["/var/mobile/Applications/C1/Game.app/Info.plist"])");
    EXPECT_EQ(application.respringRequests, 1);

    // A second category holding the same app hides nothing new: no respring.
    model::CategoryItems other(preferences, services, application, "com.quarvek.nestora.Category001");
    other.addItem("com.example.game");
    EXPECT_EQ(application.respringRequests, 1);

    ASSERT_TRUE(list.removeItemAtRow(0));
    EXPECT_EQ(hiddenIcons(), "[]");
    EXPECT_EQ(application.respringRequests, 2);
}

}  // namespace
}  // namespace nestora
