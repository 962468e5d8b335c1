// The contents screen on the sample device: the first appearance, adding
// through the add-items screen, deleting and moving with the table's own
// controls, the Recent category, and what is stored and hidden meanwhile.

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>

#include "screens/editing/EditTableCell.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "tests/screens/editing/EditingSession.h"

namespace nestora::screens {
namespace {

using test::EditingSession;
using Items = std::vector<std::string>;

const Items kThreeApps = {"com.apple.mobilemail", "com.apple.mobilesafari", "com.example.chirp"};

// Taps a point of a row in the contents screen's table.
void tapRow(CategoryViewController& screen, int row, int x) {
    ui::TableView& table = screen.itemsTableView();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, QPoint(x, table.centreOfRow(row).y()));
}

// Drags a row by its reorder grip onto another row.
void dragRow(CategoryViewController& screen, int from, int to) {
    ui::TableView& table = screen.itemsTableView();
    const int x = table.viewport()->width() - 15;
    const QPoint start(x, table.centreOfRow(from).y());
    const QPoint end(x, table.centreOfRow(to).y());
    QTest::mousePress(table.viewport(), Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(end), table.viewport()->mapToGlobal(QPointF(end)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table.viewport(), &move);
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, end);
    test::settle();  // the row settles into its place, then the move is made
}

TEST(CategoryContents, AnEmptyCategoryOpensTheAddItemsScreenOnce) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games");
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    EXPECT_EQ(screen.title(), QStringLiteral("Games"));
    EXPECT_EQ(session.app().navController()->navigationBar().titleText(), QStringLiteral("Games"));
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr) << "the add-items screen did not open by itself";
    EXPECT_TRUE(screen.alreadyAppeared());
    test::saveScreenshot(*session.window(), QStringLiteral("add-items-first-open"), QStringLiteral("screens"));
    session.tapDone(*add);
    test::settle();
    EXPECT_EQ(session.addItemsScreen(), nullptr);
    EXPECT_TRUE(screen.items().empty());
    // Appearing again (after another modal screen, say) does not reopen it.
    screen.presentModalViewController(std::make_unique<ui::ViewController>());
    screen.modalViewController()->dismissModalViewController();
    test::settle();
    EXPECT_EQ(session.addItemsScreen(), nullptr);
    // Opening the category anew is a new screen: it opens once more.
    session.app().navController()->popViewController();
    test::settle();
    session.openCategory("Category000");
    EXPECT_NE(session.addItemsScreen(), nullptr);
}

TEST(CategoryContents, ThreeAppsChosenInOneVisitComeAtTheEndInOrder) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games", Items{"com.apple.mobilemail"});
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    EXPECT_EQ(session.addItemsScreen(), nullptr) << "a list with apps must not open the add-items screen";
    ASSERT_NE(session.app().navController()->navigationBar().rightButton(), nullptr);
    EXPECT_EQ(session.app().navController()->navigationBar().rightButton()->text(), QStringLiteral("Add"));
    QTest::mouseClick(session.app().navController()->navigationBar().rightButton(), Qt::LeftButton);
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->navigationBar().titleText(), QStringLiteral("Add to: Games"));

    const Items chosen = {"com.example.tanks", "com.apple.mobilesafari", "com.example.chirp"};
    for (const std::string& id : chosen) {
        const std::size_t before = add->items().size();
        session.chooseApp(*add, id);
        // Added at once: the row is gone, the list stored, the app hidden...
        EXPECT_EQ(add->items().size(), before - 1);
        EXPECT_EQ(std::count(add->items().begin(), add->items().end(), id), 0);
    }
    // ... but the contents table shows them only once the screen is done.
    EXPECT_EQ(screen.itemsTableView().rowCount(), 1);
    EXPECT_EQ(session.storedItems("Category000"),
              (Items{"com.apple.mobilemail", "com.example.tanks", "com.apple.mobilesafari", "com.example.chirp"}));
    const Items hidden = session.hiddenInfoPlists();
    for (const std::string& id : chosen) {
        EXPECT_NE(std::find(hidden.begin(), hidden.end(), session.infoPlistOf(id)), hidden.end()) << id;
    }
    EXPECT_TRUE(session.app().needRespring());

    session.tapDone(*add);
    test::settle();
    EXPECT_EQ(EditingSession::shownRows(screen),
              (Items{"com.apple.mobilemail", "com.example.tanks", "com.apple.mobilesafari", "com.example.chirp"}));
    auto* cell = dynamic_cast<EditTableCell*>(screen.itemsTableView().cellForRow(1));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel()->text(), QStringLiteral("Tanks"));
    test::saveScreenshot(*session.window(), QStringLiteral("contents-after-adding"), QStringLiteral("screens"));
}

TEST(CategoryContents, DeleteShowsTheAppAgainAndOffersItAtItsSortedPlace) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games", kThreeApps);
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    ASSERT_TRUE(screen.itemsTableView().isEditing());
    // The add-items list is known before the delete, as it is after any visit.
    screen.addButtonTapped();
    ASSERT_NE(session.addItemsScreen(), nullptr);
    session.tapDone(*session.addItemsScreen());
    test::settle();
    ASSERT_TRUE(session.app().items().has_value());
    EXPECT_EQ(std::count(session.app().items()->begin(), session.app().items()->end(), "com.apple.mobilemail"), 0);
    // Mail was hidden when it was put into the category.
    session.app().setHiddenFromSpringBoard(true, "com.apple.mobilemail");
    ASSERT_EQ(session.hiddenInfoPlists(), Items{session.infoPlistOf("com.apple.mobilemail")});

    tapRow(screen, 0, 10);  // the delete control
    ASSERT_TRUE(screen.itemsTableView().cellForRow(0)->isShowingDeleteConfirmation());
    test::saveScreenshot(*session.window(), QStringLiteral("contents-delete-confirmation"), QStringLiteral("screens"));
    tapRow(screen, 0, 280);  // "Delete"
    EXPECT_EQ(screen.items(), (Items{"com.apple.mobilesafari", "com.example.chirp"}));
    EXPECT_EQ(session.storedItems("Category000"), (Items{"com.apple.mobilesafari", "com.example.chirp"}));
    EXPECT_TRUE(session.hiddenInfoPlists().empty());

    screen.addButtonTapped();
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    const Items& offered = add->items();
    EXPECT_EQ(std::count(offered.begin(), offered.end(), "com.apple.mobilemail"), 1);
    // Back at its place by name: after "Calendar", just before "Maps".
    const auto mail = std::find(offered.begin(), offered.end(), "com.apple.mobilemail");
    const auto maps = std::find(offered.begin(), offered.end(), "com.apple.Maps");
    const auto calendar = std::find(offered.begin(), offered.end(), "com.apple.mobilecal");
    ASSERT_NE(maps, offered.end());
    ASSERT_NE(calendar, offered.end());
    EXPECT_LT(calendar, mail);
    EXPECT_EQ(mail + 1, maps);
}

TEST(CategoryContents, MovingFirstToLastSurvivesARelaunch) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games", kThreeApps);
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    dragRow(screen, 0, 2);
    const Items moved = {"com.apple.mobilesafari", "com.example.chirp", "com.apple.mobilemail"};
    EXPECT_EQ(screen.items(), moved);
    EXPECT_EQ(EditingSession::shownRows(screen), moved);
    EXPECT_EQ(session.storedItems("Category000"), moved);
    EXPECT_TRUE(session.hiddenInfoPlists().empty()) << "moving hides and shows nothing";

    session.relaunch();
    EXPECT_EQ(EditingSession::shownRows(session.openCategory("Category000")), moved);
    EXPECT_EQ(session.toolShow("Category000"),
              "Safari            com.apple.mobilesafari\n"
              "Chirp             com.example.chirp\n"
              "Mail              com.apple.mobilemail\n");
}

TEST(CategoryContents, TheRecentCategoryIsTheExtensionsWhileItIsInstalled) {
    for (const bool extension : {true, false}) {
        SCOPED_TRACE(extension ? "with the extension" : "without the extension");
        EditingSession session;
        if (extension) {
            session.device().writeFile("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib", "");
        }
        session.device().makeCategory("Recent", "Recent", Items{"com.apple.mobilesafari"});
        session.device().makeCategory("Category000", "Games");
        session.launch();
        CategoryViewController& screen = session.openCategory("Recent");
        EXPECT_EQ(screen.isModifiable(), !extension);
        EXPECT_EQ(screen.itemsTableView().isEditing(), !extension);
        EXPECT_EQ(session.app().navController()->navigationBar().rightButton() != nullptr, !extension);
        auto* cell = screen.itemsTableView().cellForRow(0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->partAt(QPoint(10, 32)) == ui::TableViewCell::Part::DeleteControl, !extension);
        // Not even the table's delete reaches the list while it is the extension's.
        screen.commitDelete(screen.itemsTableView(), 0);
        EXPECT_EQ(screen.items().empty(), !extension);
        test::saveScreenshot(*session.window(), extension ? QStringLiteral("recent-with-extension")
                                                          : QStringLiteral("recent-without-extension"),
                             QStringLiteral("screens"));
    }
    // Empty, it still opens the add-items screen by itself, and a choice is added.
    EditingSession session;
    session.device().writeFile("/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib", "");
    session.device().makeCategory("Recent", "Recent");
    session.launch();
    session.openCategory("Recent");
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    session.chooseApp(*add, "com.apple.mobilenotes");
    EXPECT_EQ(session.storedItems("Recent"), Items{"com.apple.mobilenotes"});
    EXPECT_EQ(session.hiddenInfoPlists(), Items{session.infoPlistOf("com.apple.mobilenotes")});
}

TEST(CategoryContents, UninstalledAppsLeaveTheListWhenItOpens) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games",
                                  Items{"com.gone.app", "com.apple.mobilesafari", "com.gone.app", "com.example.chirp"});
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    EXPECT_EQ(EditingSession::shownRows(screen), (Items{"com.apple.mobilesafari", "com.example.chirp"}));
    EXPECT_EQ(session.storedItems("Category000"), (Items{"com.apple.mobilesafari", "com.example.chirp"}));
}

TEST(CategoryContents, AMissingInfoPlistLeavesTheTitlesPlain) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games");
    std::filesystem::remove(session.device().host("/Applications/Category000.app/Info.plist"));
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    EXPECT_EQ(screen.title(), QString());
    ASSERT_NE(session.addItemsScreen(), nullptr);
    EXPECT_EQ(session.addItemsScreen()->navigationBar().titleText(), QStringLiteral("Tap to add"));
}

}  // namespace
}  // namespace nestora::screens
