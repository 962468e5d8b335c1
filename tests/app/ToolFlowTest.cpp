// Add, rename, icon and delete from the list screen, end to end through the
// real built tool on a sample device.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "app/NestoraTableCell.h"
#include "app/RootViewController.h"
#include "platform/Notifications.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

class AppToolFlow : public ::testing::Test {
protected:
    void SetUp() override {
        if (test::builtToolPath().empty()) {
            GTEST_SKIP() << "this build has no NestoraTool";
        }
        test::AppDeviceOptions options;
        options.sampleApps = true;
        device_ = std::make_unique<test::AppDevice>(options);
        nestora_ = std::make_unique<Nestora>();
    }
    void TearDown() override {
        nestora_.reset();
        device_.reset();
    }

    void launch() {
        nestora_->applicationDidFinishLaunching();
        // An empty list greets with the about alert; dismiss it.
        if (ui::AlertView* about = test::visibleAlert(window())) {
            about->clickButton(0);
            test::settle();
        }
    }
    QWidget* window() const { return nestora_->window(); }
    RootViewController& screen() const { return *nestora_->rootViewController(); }
    QPushButton* barButton(bool left) const {
        ui::NavigationBar& bar = nestora_->navController()->navigationBar();
        return left ? bar.leftButton() : bar.rightButton();
    }
    void answerNext(int button, const QString& text = {}) {
        ui::AlertAnswerQueue::forWindow(window()).answerNext(button, text);
    }
    void tapRow(int row, int x = -1) {
        QPoint point = screen().tableView().centreOfRow(row);
        if (x >= 0) point.setX(x);
        QTest::mouseClick(screen().tableView().viewport(), Qt::LeftButton, {}, point);
    }
    QString rowTitle(int row) const {
        auto* cell = dynamic_cast<NestoraTableCell*>(screen().tableView().cellForRow(row));
        return cell != nullptr ? cell->title()->text() : QString();
    }

    std::unique_ptr<test::AppDevice> device_;
    std::unique_ptr<Nestora> nestora_;
};

TEST_F(AppToolFlow, AddThroughTheAlert) {
    launch();
    answerNext(1, QStringLiteral("Games"));
    QTest::mouseClick(barButton(false), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return !screen().categories().empty(); }));
    EXPECT_EQ(screen().categories(), std::vector<std::string>{"com.quarvek.nestora.Category000"});
    EXPECT_EQ(device_->storedDisplayName("Category000"), std::optional<std::string>("Games"));
    EXPECT_TRUE(nestora_->needRespring());
    EXPECT_EQ(nestora_->respringLabel()->text(), QStringLiteral("Respring Needed: YES"));
    EXPECT_EQ(rowTitle(0), QStringLiteral("Games (0)"));
    test::saveScreenshot(*window(), QStringLiteral("list-after-add"));
}

TEST_F(AppToolFlow, CancelledAddRunsNothing) {
    launch();
    answerNext(0, QStringLiteral("Games"));
    screen().addButtonTapped();
    test::settle();
    EXPECT_TRUE(screen().categories().empty());
    EXPECT_FALSE(device_->exists("/Applications/Category000.app"));
    EXPECT_FALSE(nestora_->needRespring());
}

TEST_F(AppToolFlow, HostileTitlesReachTheToolUnchanged) {
    launch();
    const std::vector<std::string> titles = {
        "\"Best\" \"of\"", "$HOME ${PATH} $(id)", "`id`", "\\", "a\\\\b\\", "   ", "two\nlines",
        "Spiele für Käthe 游戏", "it's!", "-n", "; rm -rf / &"};
    int number = 0;
    for (const std::string& title : titles) {
        answerNext(1, QString::fromStdString(title));
        screen().addButtonTapped();
        test::settle();
        char directory[32];
        std::snprintf(directory, sizeof directory, "Category%03d", number++);
        EXPECT_EQ(device_->storedDisplayName(directory), std::optional<std::string>(title)) << title;
    }
    EXPECT_EQ(screen().categories().size(), titles.size());
}

TEST_F(AppToolFlow, RenameThroughEditMode) {
    device_->makeCategory("Category000", "Games", std::vector<std::string>(12, "com.apple.mobilemail"));
    launch();
    EXPECT_EQ(rowTitle(0), QStringLiteral("Games (12)"));
    QTest::mouseClick(barButton(true), Qt::LeftButton);
    test::settle();
    answerNext(1);                                   // "Name"
    answerNext(1, QStringLiteral("Fun & \"Games\""));  // "Rename"
    tapRow(0);
    ASSERT_TRUE(test::waitUntil([&] { return nestora_->needRespring(); }));
    test::settle();
    EXPECT_EQ(device_->storedDisplayName("Category000"), std::optional<std::string>("Fun & \"Games\""));
    EXPECT_EQ(rowTitle(0), QStringLiteral("Fun & \"Games\" (12)"));
}

TEST_F(AppToolFlow, NewIconThroughTheTool) {
    device_->makeCategory("Category000", "Games");
    const std::string chosen = "/var/mobile/Media/Nestora/Icons/My \"$icon\" `x`.png";
    device_->writeFile(chosen, device_->readFile("/Applications/Nestora.app/icons/Music.png"));
    launch();
    screen().editButtonTapped();
    screen().tableView().selectRow(0);
    screen().iconPickerDidSelectIconAtPath(chosen);
    EXPECT_TRUE(nestora_->needRespring());
    EXPECT_EQ(device_->readFile("/Applications/Category000.app/icon.png"), device_->readFile(chosen));
}

TEST_F(AppToolFlow, DeleteWithTheTablesOwnControls) {
    device_->makeCategory("Category000", "Games");
    device_->makeCategory("Category001", "Social");
    launch();
    ASSERT_EQ(screen().categories().size(), 2u);
    const std::string doomed = screen().categories()[0];
    const std::string kept = screen().categories()[1];
    screen().editButtonTapped();
    test::settle();  // the delete controls slide in
    tapRow(0, 10);  // the delete control
    ASSERT_TRUE(screen().tableView().cellForRow(0)->isShowingDeleteConfirmation());
    test::saveScreenshot(*window(), QStringLiteral("list-delete-confirmation"));
    tapRow(0, 290);  // "Delete"
    EXPECT_EQ(screen().categories(), std::vector<std::string>{kept});
    EXPECT_EQ(screen().tableView().rowCount(), 1);
    EXPECT_FALSE(device_->exists(std::string("/Applications/") + doomed.substr(doomed.rfind('.') + 1) + ".app"));
    EXPECT_TRUE(nestora_->needRespring());

    // The last one: the list is empty, but the about alert waits for the
    // next appearance.
    tapRow(0, 10);
    tapRow(0, 290);
    EXPECT_TRUE(screen().categories().empty());
    test::settle();
    EXPECT_EQ(test::visibleAlert(window()), nullptr);
}

TEST_F(AppToolFlow, AFileNameThatReadsAsAnOptionDeletesNothing) {
    device_->makeCategory("Category000", "Games", std::vector<std::string>{"com.apple.mobilemail"});
    // Anyone who can write the preferences folder can plant this name.
    device_->writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.-dCategory000.plist", "");
    launch();
    EXPECT_EQ(screen().categories(), std::vector<std::string>{"com.quarvek.nestora.Category000"});
    // Were such a row renamed, its name still reaches the tool as the
    // category, never as an option.
    screen().renameCategoryWithBundleIdentifier("com.quarvek.nestora.-dCategory000", "Pwned");
    EXPECT_EQ(device_->storedDisplayName("Category000"), std::optional<std::string>("Games"));
    EXPECT_TRUE(device_->exists("/var/mobile/Library/Preferences/com.quarvek.nestora.Category000.plist"));
    screen().loadCategories();
    EXPECT_EQ(screen().categories(), std::vector<std::string>{"com.quarvek.nestora.Category000"});
}

TEST_F(AppToolFlow, FailingToolIsSilentAndRaisesNoFlag) {
    device_->makeCategory("Category000", "Games");
    const std::string tool = device_->host("/Applications/Nestora.app/NestoraTool");
    device_->writeFile("/Applications/Nestora.app/NestoraTool", "#!/bin/sh\nexit 3\n");
    ::chmod(tool.c_str(), 04755);
    launch();
    screen().editButtonTapped();
    screen().tableView().selectRow(0);
    EXPECT_FALSE(screen().renameCategoryWithBundleIdentifier("com.quarvek.nestora.Category000", "New"));
    EXPECT_FALSE(screen().createCategoryWithName("New"));
    screen().iconPickerDidSelectIconAtPath("/nowhere.png");
    EXPECT_FALSE(nestora_->needRespring());
    EXPECT_EQ(rowTitle(0), QStringLiteral("Games (0)"));
    // A failed delete still takes the row away until the next rebuild.
    screen().commitDelete(screen().tableView(), 0);
    EXPECT_TRUE(screen().categories().empty());
    screen().loadCategories();
    EXPECT_EQ(screen().categories().size(), 1u);
    EXPECT_FALSE(nestora_->needRespring());
}

}  // namespace
}  // namespace nestora::app
