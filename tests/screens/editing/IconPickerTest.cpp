// The icon picker: the grid's arithmetic, where icons come from and in
// which order, the shared list and the memory warnings that drop it, the
// list screen's set-icon flow through the real tool, and folders holding
// things that are not icons.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QScrollArea>
#include <QTest>

#include <filesystem>

#include "app/NestoraTableCell.h"
#include "app/RootViewController.h"
#include "platform/Files.h"
#include "screens/editing/CategoryIcon.h"
#include "screens/editing/IconGrid.h"
#include "ui/BundleImages.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "tests/screens/editing/EditingSession.h"

namespace nestora::screens {
namespace {

using test::EditingSession;
namespace fs = std::filesystem;

constexpr const char* kBundleIcons = "/Applications/Nestora.app/icons";
constexpr const char* kUserIcons = "/var/mobile/Media/Nestora/Icons";
constexpr std::uint64_t kMB = 1024 * 1024;

class RecordingDelegate : public IconPickerControllerDelegate {
public:
    void iconPickerControllerDidSelectIconAtPath(IconPickerController&, const std::string& path) override {
        selected.push_back(path);
    }
    void iconPickerControllerDidCancel(IconPickerController&) override { ++cancelled; }
    std::vector<std::string> selected;
    int cancelled = 0;
};

class IconPicker : public ::testing::Test {
protected:
    void SetUp() override {
        session_.device().makeCategory("Category000", "Games");
        music_ = session_.device().readFile(std::string(kBundleIcons) + "/Music.png");
        session_.launch();
    }

    // Leaves `count` icons in the bundle's folder and none in the user's.
    void keepBundleIcons(std::size_t count) {
        fs::remove_all(session_.device().host(kBundleIcons));
        fs::remove_all(session_.device().host(kUserIcons));
        session_.device().makeFolder(kBundleIcons);
        for (std::size_t i = 0; i < count; ++i) {
            session_.device().writeFile(std::string(kBundleIcons) + "/Icon" + std::to_string(i) + ".png", music_);
        }
    }
    void addUserIcon(const std::string& name) {
        session_.device().writeFile(std::string(kUserIcons) + "/" + name, music_);
    }

    app::RootViewController& root() { return *session_.app().rootViewController(); }
    // Presents a picker from the list screen with a delegate of the test's.
    IconPickerController& present(RecordingDelegate& delegate) {
        auto picker = std::make_unique<IconPickerController>(session_.app(), "Category000", &delegate);
        IconPickerController& shown = *picker;
        root().presentModalViewController(std::move(picker));
        return shown;
    }
    // The list screen's own way in: edit mode, the row, "Icon".
    IconPickerController* openFromTheList() {
        root().editButtonTapped();
        ui::AlertAnswerQueue::forWindow(session_.window()).answerNext(2);  // "Icon"
        QTest::mouseClick(root().tableView().viewport(), Qt::LeftButton, {}, root().tableView().centreOfRow(0));
        test::waitUntil([&] { return root().modalViewController() != nullptr; });
        return dynamic_cast<IconPickerController*>(root().modalViewController());
    }

    EditingSession session_;
    std::string music_;
};

TEST_F(IconPicker, FourToARowAndARowFor102Points) {
    const std::vector<std::pair<std::size_t, int>> cases = {{0, 20}, {5, 224}, {8, 224}, {9, 326}};
    for (const auto& [count, height] : cases) {
        SCOPED_TRACE(count);
        keepBundleIcons(count);
        session_.app().applicationDidReceiveMemoryWarning();
        RecordingDelegate delegate;
        IconPickerController& picker = present(delegate);
        ASSERT_EQ(picker.iconButtons().size(), count);
        EXPECT_EQ(picker.scrollView().widget()->size(), QSize(320, height));
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(picker.iconButtons()[i]->geometry(),
                      QRect(10 + 75 * static_cast<int>(i % 4), 10 + 102 * static_cast<int>(i / 4), 80, 102));
            EXPECT_EQ(picker.iconButtons()[i]->iconPath(), picker.icons()[i]);
        }
        if (count == 5) {
            test::saveScreenshot(*session_.window(), QStringLiteral("icon-picker-five"), QStringLiteral("screens"));
        }
        picker.cancelButtonTapped();
        test::settle();
    }
    EXPECT_EQ(IconGrid::contentHeight(IconGrid::kMaxIcons + 7), IconGrid::contentHeight(IconGrid::kMaxIcons));
}

TEST_F(IconPicker, TheScreenAndItsTitle) {
    RecordingDelegate delegate;
    IconPickerController& picker = present(delegate);
    EXPECT_EQ(picker.navigationBar().titleText(), QStringLiteral("Icon For: Category000"));
    ASSERT_NE(picker.navigationBar().leftButton(), nullptr);
    EXPECT_EQ(picker.navigationBar().leftButton()->text(), QStringLiteral("Cancel"));
    // 420 high, over the window at the screen stack's place; the grid below the bar.
    EXPECT_EQ(picker.geometry(), QRect(0, 12, 320, 420));
    EXPECT_EQ(picker.scrollView().geometry(), QRect(0, 44, 320, 369));
    EXPECT_EQ(picker.progressHud(), nullptr);
    test::settle();
    EXPECT_TRUE(session_.window()->findChildren<ui::ProgressOverlay*>().isEmpty());
}

TEST_F(IconPicker, BundleIconsFirstThenTheUsersInNameOrder) {
    keepBundleIcons(3);
    for (const char* name : {"b.png", "a.png", "Z.png", "c.png"}) {
        addUserIcon(name);
    }
    RecordingDelegate delegate;
    IconPickerController& picker = present(delegate);
    std::vector<std::string> expected;
    const auto bundle = files::listFolder(kBundleIcons);
    ASSERT_TRUE(bundle.has_value());
    ASSERT_TRUE(std::is_sorted(bundle->begin(), bundle->end()));
    for (const std::string& name : *bundle) {
        expected.push_back(std::string(kBundleIcons) + "/" + name);
    }
    // Sorted by the bytes of the names, as the phone's file system lists them.
    for (const char* name : {"Z.png", "a.png", "b.png", "c.png"}) {
        expected.push_back(std::string(kUserIcons) + "/" + name);
    }
    EXPECT_EQ(picker.icons(), expected);
    ASSERT_TRUE(session_.app().icons().has_value());
    EXPECT_EQ(*session_.app().icons(), expected);
}

TEST_F(IconPicker, ASecondPickerReusesTheListUntilAMemoryWarning) {
    ASSERT_TRUE(session_.app().isListeningForMemoryWarnings());
    keepBundleIcons(2);
    RecordingDelegate delegate;
    present(delegate).cancelButtonTapped();
    test::settle();
    addUserIcon("new.png");
    IconPickerController& second = present(delegate);
    EXPECT_EQ(second.icons().size(), 2u) << "the folders were listed again";
    second.cancelButtonTapped();
    test::settle();

    // A user's simulated warning (SIGUSR2) reaches the app on its main loop.
    ASSERT_EQ(::raise(SIGUSR2), 0);
    ASSERT_TRUE(test::waitUntil([&] { return !session_.app().icons().has_value(); }));
    IconPickerController& third = present(delegate);
    EXPECT_EQ(third.icons().size(), 3u);
    third.cancelButtonTapped();
    test::settle();

    // So does free memory falling below 12 MB, read on a watchdog tick.
    addUserIcon("newer.png");
    session_.device().writeProfile("iPhone", 11 * kMB);
    session_.app().checkAvailableMemory();
    ASSERT_TRUE(test::waitUntil([&] { return !session_.app().icons().has_value(); }));
    EXPECT_EQ(present(delegate).icons().size(), 4u);
}

TEST_F(IconPicker, TheDelegateHearsOnlyOnceThePickerHasSlidAway) {
    keepBundleIcons(2);
    for (bool cancel : {false, true}) {
        RecordingDelegate delegate;
        IconPickerController& picker = present(delegate);
        ASSERT_FALSE(picker.iconButtons().empty());
        if (cancel) {
            picker.cancelButtonTapped();
        } else {
            picker.iconTapped(*picker.iconButtons().front());
        }
        EXPECT_TRUE(picker.isTransitioning());
        EXPECT_TRUE(delegate.selected.empty() && delegate.cancelled == 0) << "told before the slide ended";
        test::settle();
        EXPECT_EQ(delegate.cancelled, cancel ? 1 : 0);
        EXPECT_EQ(delegate.selected.size(), cancel ? 0u : 1u);
        EXPECT_EQ(root().modalViewController(), nullptr);
    }
}

TEST_F(IconPicker, CancelChangesNothing) {
    const std::string before = session_.device().readFile("/Applications/Category000.app/icon.png");
    IconPickerController* picker = openFromTheList();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->navigationBar().titleText(), QStringLiteral("Icon For: Category000"));
    QTest::mouseClick(picker->navigationBar().leftButton(), Qt::LeftButton);
    test::settle();
    EXPECT_EQ(root().modalViewController(), nullptr);
    EXPECT_EQ(session_.device().readFile("/Applications/Category000.app/icon.png"), before);
    EXPECT_FALSE(session_.app().needRespring());
}

TEST_F(IconPicker, ChoosingAnIconSetsItThroughTheToolAndReloadsTheList) {
    if (test::builtToolPath().empty()) {
        GTEST_SKIP() << "this build has no NestoraTool";
    }
    IconPickerController* picker = openFromTheList();
    ASSERT_NE(picker, nullptr);
    CategoryIcon* music = nullptr;
    for (CategoryIcon* button : picker->iconButtons()) {
        if (button->iconPath() == std::string(kBundleIcons) + "/Music.png") music = button;
    }
    ASSERT_NE(music, nullptr);
    picker->scrollView().ensureWidgetVisible(music);
    test::saveScreenshot(*session_.window(), QStringLiteral("icon-picker"), QStringLiteral("screens"));
    const std::size_t requests = root().tableView().cellRequests();
    QTest::mouseClick(music, Qt::LeftButton);
    EXPECT_TRUE(music->isSelectedIcon());
    test::settle();
    EXPECT_EQ(root().modalViewController(), nullptr);
    EXPECT_EQ(session_.device().readFile("/Applications/Category000.app/icon.png"),
              session_.device().readFile(std::string(kBundleIcons) + "/Music.png"));
    EXPECT_TRUE(session_.app().needRespring());
    EXPECT_GT(root().tableView().cellRequests(), requests) << "the list was not reloaded";
    auto* row = dynamic_cast<app::NestoraTableCell*>(root().tableView().cellForRow(0));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->imageView()->pixmap().toImage(), ui::imageAtPath(std::string(kBundleIcons) + "/Music.png").toImage());
}

TEST_F(IconPicker, ThingsThatAreNotIconsAreListedAndHarmless) {
    keepBundleIcons(1);
    test::AppDevice& device = session_.device();
    addUserIcon("real.png");
    device.writeFile(std::string(kUserIcons) + "/notes.txt", "not an image");
    device.makeFolder(std::string(kUserIcons) + "/folder.png");
    ASSERT_EQ(::symlink("real.png", device.host(std::string(kUserIcons) + "/link.png").c_str()), 0);
    ASSERT_EQ(::symlink("/nowhere.png", device.host(std::string(kUserIcons) + "/dangling.png").c_str()), 0);
    ASSERT_EQ(::mkfifo(device.host(std::string(kUserIcons) + "/fifo.png").c_str(), 0644), 0);
    // A small file holding a picture wider than any icon.
    QImage wide(3000, 1, QImage::Format_Mono);
    wide.fill(0);
    ASSERT_TRUE(wide.save(QString::fromStdString(device.host(std::string(kUserIcons) + "/wide.png")), "PNG"));

    IconPickerController* picker = openFromTheList();
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->icons().size(), 8u);
    session_.window()->grab();  // paints every button in view, reading its file
    for (CategoryIcon* button : picker->iconButtons()) {
        const std::string name = fs::path(button->iconPath()).filename().string();
        const bool isImage = name == "real.png" || name == "link.png" || button->iconPath().starts_with(kBundleIcons);
        EXPECT_EQ(!button->image().isNull(), isImage) << name;
    }
    // A folder can be tapped like any icon; the tool refuses it and nothing changes.
    const std::string before = device.readFile("/Applications/Category000.app/icon.png");
    for (CategoryIcon* button : picker->iconButtons()) {
        if (button->iconPath().ends_with("/folder.png")) {
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        }
    }
    test::settle();
    EXPECT_EQ(root().modalViewController(), nullptr);
    EXPECT_EQ(device.readFile("/Applications/Category000.app/icon.png"), before);
}

TEST_F(IconPicker, FiveThousandFilesReadOnlyTheIconsInView) {
    keepBundleIcons(0);
    const std::string bytes = session_.device().readFile("/Applications/Nestora.app/blank.png");
    session_.device().makeFolder(kUserIcons);
    for (int i = 0; i < 5000; ++i) {
        session_.device().writeFile(std::string(kUserIcons) + "/icon" + std::to_string(i) + ".png", bytes);
    }
    RecordingDelegate delegate;
    IconPickerController& picker = present(delegate);
    ASSERT_EQ(picker.iconButtons().size(), 5000u);
    EXPECT_EQ(picker.scrollView().widget()->height(), 1250 * 102 + 20);
    session_.window()->grab();
    const auto loaded = std::count_if(picker.iconButtons().begin(), picker.iconButtons().end(),
                                      [](const CategoryIcon* button) { return button->wasLoaded(); });
    EXPECT_GT(loaded, 0);
    EXPECT_LE(loaded, 4 * 5);  // four columns, at most five rows in view
    // The last one can be reached and chosen.
    CategoryIcon* last = picker.iconButtons().back();
    const std::string lastPath = last->iconPath();
    picker.scrollView().ensureWidgetVisible(last);
    QTest::mouseClick(last, Qt::LeftButton);
    test::settle();  // the picker slides away, then reports
    EXPECT_EQ(delegate.selected, std::vector<std::string>{lastPath});
}

}  // namespace
}  // namespace nestora::screens
