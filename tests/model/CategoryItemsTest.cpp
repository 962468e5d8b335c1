#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "model/CategoryItems.h"
#include "platform/Preferences.h"
#include "platform/SystemLog.h"
#include "tests/model/FakeAppServices.h"
#include "tests/model/RecordingApplication.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using model::CategoryItems;
using test::FakeAppServices;
using test::RecordingApplication;
using test::TestDevice;
using HideCall = RecordingApplication::HideCall;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kCategory = "com.quarvek.nestora.Category004";
constexpr const char* kPrefsFile = "/var/mobile/Library/Preferences/com.quarvek.nestora.Category004.plist";

// A device where the apps a, b, c, d are installed (each with its executable)
// and "gone" is known to the services but its executable was removed.
class ModelCategoryItems : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* id : {"a", "b", "c", "d"}) {
            const std::string executable = std::string("/var/mobile/Applications/") + id + "/App.app/App";
            device.writeFile(executable, "#!/bin/sh\n");
            services.executables[id] = executable;
        }
        services.executables["gone"] = "/var/mobile/Applications/gone/App.app/App";
        device.makeFolder("/var/mobile/Library/Preferences");
    }

    void storeItems(const std::string& literal) {
        ASSERT_TRUE(test::plistlibWrite(device.host(kPrefsFile), "{'showIconLabels': False, 'items': " + literal + "}",
                                        "binary"));
    }
    std::string stored() const { return test::plistlibJson(device.host(kPrefsFile)).value_or("<unreadable>"); }
    ino_t inode() const {
        struct stat st {};
        ::stat(device.host(kPrefsFile).c_str(), &st);
        return st.st_ino;
    }

    TestDevice device;
    FakeAppServices services;
    RecordingApplication application;
    platform::Preferences preferences;
    CategoryItems list{preferences, services, application, kCategory};
};

TEST_F(ModelCategoryItems, NewCategoryOpensEmptyWithoutWriting) {
    device.writeFile(kPrefsFile, "");
    list.loadItems();
    EXPECT_THAT(list.items(), IsEmpty());
    EXPECT_EQ(device.readFile(kPrefsFile), "");
}

TEST_F(ModelCategoryItems, ItemsThatAreNotAListGiveAnEmptyListAndNoWrite) {
    ASSERT_TRUE(test::plistlibWrite(device.host(kPrefsFile), "{'items': 'a'}", "xml"));
    const std::string before = device.readFile(kPrefsFile);
    list.loadItems();
    EXPECT_THAT(list.items(), IsEmpty());
    EXPECT_EQ(device.readFile(kPrefsFile), before);
}

TEST_F(ModelCategoryItems, LoadingAnIntactListWritesNothing) {
    storeItems("['b', 'a', 'b']");
    const ino_t before = inode();
    platform::LogCapture log;
    list.loadItems();
    EXPECT_THAT(list.items(), ElementsAre("b", "a", "b"));  // duplicates are allowed
    EXPECT_EQ(inode(), before);  // every write replaces the file
    EXPECT_THAT(log.lines(), IsEmpty());
}

TEST_F(ModelCategoryItems, UninstalledAppsLeaveOnLoadWithOneWrite) {
    storeItems("['gone', 'a', 'unknown', 'gone', 'b']");
    platform::LogCapture log;
    list.loadItems();
    EXPECT_THAT(list.items(), ElementsAre("a", "b"));
    EXPECT_EQ(stored(), R"({"items": ["a", "b"], "showIconLabels": false})");
    EXPECT_THAT(log.lines(), ElementsAre("Saving edits file of 2 entries\n"));
    // Dropped apps simply leave; they are not shown again.
    EXPECT_THAT(application.hideCalls, IsEmpty());
}

TEST_F(ModelCategoryItems, NonTextEntriesSurviveTheLoadButNotTheNextChange) {
    storeItems("[5, 'a', 'gone', {'x': True}, 'b']");
    list.loadItems();
    EXPECT_THAT(list.items(), ElementsAre("a", "b"));
    EXPECT_EQ(stored(), R"({"items": [5, "a", {"x": true}, "b"], "showIconLabels": false})");

    list.addItem("c");
    EXPECT_EQ(stored(), R"({"items": ["a", "b", "c"], "showIconLabels": false})");
}

TEST_F(ModelCategoryItems, AddAppendsHidesAndSaves) {
    storeItems("['a']");
    list.loadItems();
    list.addItem("c");
    list.addItem("a");
    EXPECT_THAT(list.items(), ElementsAre("a", "c", "a"));
    EXPECT_THAT(application.hideCalls, ElementsAre(HideCall{true, "c"}, HideCall{true, "a"}));
    EXPECT_EQ(stored(), R"({"items": ["a", "c", "a"], "showIconLabels": false})");
}

TEST_F(ModelCategoryItems, RemoveShowsSavesAndReturnsTheAppToTheCache) {
    storeItems("['a', 'b', 'c']");
    list.loadItems();
    application.availableApps = std::vector<std::string>{"d"};
    EXPECT_TRUE(list.removeItemAtRow(1));
    EXPECT_THAT(list.items(), ElementsAre("a", "c"));
    EXPECT_THAT(application.hideCalls, ElementsAre(HideCall{false, "b"}));
    EXPECT_THAT(*application.availableApps, ElementsAre("d", "b"));
    EXPECT_EQ(stored(), R"({"items": ["a", "c"], "showIconLabels": false})");
}

TEST_F(ModelCategoryItems, RemovingOneOfTwoCopiesKeepsTheAppHidden) {
    storeItems("['a', 'b', 'a']");
    list.loadItems();
    application.availableApps = std::vector<std::string>{};
    EXPECT_TRUE(list.removeItemAtRow(0));
    EXPECT_THAT(list.items(), ElementsAre("b", "a"));
    EXPECT_THAT(application.hideCalls, IsEmpty());
    EXPECT_THAT(*application.availableApps, IsEmpty());
    EXPECT_EQ(stored(), R"({"items": ["b", "a"], "showIconLabels": false})");
    // The last copy leaves: now the app is shown and offered again.
    EXPECT_TRUE(list.removeItemAtRow(1));
    EXPECT_THAT(application.hideCalls, ElementsAre(HideCall{false, "a"}));
    EXPECT_THAT(*application.availableApps, ElementsAre("a"));
}

TEST_F(ModelCategoryItems, RemoveLeavesAnUnfilledCacheUnfilled) {
    storeItems("['a', 'b']");
    list.loadItems();
    EXPECT_TRUE(list.removeItemAtRow(0));
    EXPECT_FALSE(application.availableApps.has_value());
    EXPECT_THAT(list.items(), ElementsAre("b"));

    // A cache that was filled but holds nothing is still a list to append to.
    application.availableApps = std::vector<std::string>{};
    EXPECT_TRUE(list.removeItemAtRow(0));
    EXPECT_THAT(*application.availableApps, ElementsAre("b"));
    EXPECT_EQ(stored(), R"({"items": [], "showIconLabels": false})");
}

TEST_F(ModelCategoryItems, RemoveRejectsARowOutOfRange) {
    storeItems("['a']");
    list.loadItems();
    const ino_t before = inode();
    EXPECT_FALSE(list.removeItemAtRow(1));
    EXPECT_THAT(list.items(), ElementsAre("a"));
    EXPECT_THAT(application.hideCalls, IsEmpty());
    EXPECT_EQ(inode(), before);
}

TEST_F(ModelCategoryItems, MoveCountsTheTargetInTheShortenedList) {
    storeItems("['a', 'b', 'c']");
    list.loadItems();
    EXPECT_TRUE(list.moveItem(0, 2));  // first to last
    EXPECT_THAT(list.items(), ElementsAre("b", "c", "a"));
    EXPECT_EQ(stored(), R"({"items": ["b", "c", "a"], "showIconLabels": false})");
    EXPECT_TRUE(list.moveItem(2, 0));
    EXPECT_THAT(list.items(), ElementsAre("a", "b", "c"));
    EXPECT_TRUE(list.moveItem(1, 1));
    EXPECT_THAT(list.items(), ElementsAre("a", "b", "c"));
    EXPECT_TRUE(list.moveItem(0, 1));
    EXPECT_THAT(list.items(), ElementsAre("b", "a", "c"));
    EXPECT_THAT(application.hideCalls, IsEmpty());  // moving hides nothing
}

TEST_F(ModelCategoryItems, MoveRejectsBadRanges) {
    storeItems("['a', 'b', 'c']");
    list.loadItems();
    const ino_t before = inode();
    EXPECT_FALSE(list.moveItem(3, 0));
    EXPECT_FALSE(list.moveItem(0, 3));  // past the end of the shortened list
    EXPECT_THAT(list.items(), ElementsAre("a", "b", "c"));
    EXPECT_EQ(inode(), before);

    CategoryItems empty(preferences, services, application, "com.quarvek.nestora.Category009");
    EXPECT_FALSE(empty.moveItem(0, 0));
}

TEST_F(ModelCategoryItems, SavingTouchesOnlyItems) {
    ASSERT_TRUE(test::plistlibWrite(device.host(kPrefsFile),
                                    "{'iconThemeName': 'Dark', 'items': ['a'], 'leftRightRowsPerColumn': 2}", "xml"));
    list.loadItems();
    list.addItem("b");
    EXPECT_EQ(stored(), R"({"iconThemeName": "Dark", "items": ["a", "b"], "leftRightRowsPerColumn": 2})");
}

}  // namespace
}  // namespace nestora
