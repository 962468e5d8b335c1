// The add-items screen: the overlay around the scan, the cache it fills and
// hands back, the calling category left out of its own list, the title
// rule, and apps listed twice.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPaintEvent>
#include <QTest>

#include "screens/editing/EditTableCell.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "tests/screens/editing/EditingSession.h"

namespace nestora::screens {
namespace {

using test::EditingSession;
using Items = std::vector<std::string>;

// Records the texts of the progress overlays painted anywhere.
class OverlayPaints : public QObject {
public:
    OverlayPaints() { QCoreApplication::instance()->installEventFilter(this); }
    ~OverlayPaints() override { QCoreApplication::instance()->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* overlay = qobject_cast<ui::ProgressOverlay*>(watched)) {
                texts << overlay->text();
            }
        }
        return false;
    }
};

bool anyOverlayVisible(QWidget* window) {
    for (auto* overlay : window->findChildren<ui::ProgressOverlay*>()) {
        if (overlay->isVisible()) return true;
    }
    return false;
}

// An add-items screen presented by something that is not a contents screen.
class OtherCaller : public AddItemsViewControllerDelegate {
public:
    void addItemsViewControllerDidSelectItemWithDisplayIdentifier(AddItemsViewController&,
                                                                  const std::string& id) override {
        chosen.push_back(id);
    }
    void addItemsViewControllerDidFinish(AddItemsViewController&) override { ++finished; }
    Items chosen;
    int finished = 0;
};

TEST(AddItems, TheOverlayShowsOnlyWhileAScanRunsAndAlwaysGoes) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games", Items{"com.apple.mobilemail"});
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    {
        OverlayPaints paints;
        screen.addButtonTapped();
        EXPECT_EQ(paints.texts, QStringList{QStringLiteral("Loading items.\nPlease wait.")})
            << "the overlay was not painted before the scan";
    }
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->progressHud(), nullptr);
    test::settle();
    EXPECT_FALSE(anyOverlayVisible(session.window()));
    EXPECT_TRUE(session.window()->findChildren<ui::ProgressOverlay*>().isEmpty());
    const Items first = add->items();
    session.chooseApp(*add, "com.example.tanks");
    session.tapDone(*add);
    test::settle();

    // The second screen lists the first one's remainder, sorted again, with
    // no scan and no overlay.
    ASSERT_TRUE(session.app().items().has_value());
    std::reverse(session.app().items()->begin(), session.app().items()->end());
    {
        OverlayPaints paints;
        screen.addButtonTapped();
        EXPECT_TRUE(paints.texts.isEmpty());
    }
    Items remainder = first;
    std::erase(remainder, "com.example.tanks");
    ASSERT_NE(session.addItemsScreen(), nullptr);
    EXPECT_EQ(session.addItemsScreen()->items(), remainder);
    session.tapDone(*session.addItemsScreen());
    test::settle();

    // A memory warning drops the list: the next screen scans again.
    session.app().applicationDidReceiveMemoryWarning();
    OverlayPaints paints;
    screen.addButtonTapped();
    EXPECT_EQ(paints.texts.size(), 1);
    EXPECT_EQ(session.addItemsScreen()->items(), remainder) << "the scan finds the same apps";
    test::settle();
    EXPECT_FALSE(anyOverlayVisible(session.window()));
}

TEST(AddItems, ACategoryIsNotOfferedForItselfButForOthers) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games");
    session.device().makeCategory("Category001", "Social");
    session.launch();
    session.openCategory("Category000");
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    const Items& own = add->items();
    EXPECT_EQ(std::count(own.begin(), own.end(), "com.quarvek.nestora.Category000"), 0);
    EXPECT_EQ(std::count(own.begin(), own.end(), "com.quarvek.nestora.Category001"), 1);
    EXPECT_EQ(add->removedIdentifier(), std::optional<std::string>("com.quarvek.nestora.Category000"));
    session.tapDone(*add);
    test::settle();
    // The cache keeps it, at the end, for the other categories.
    ASSERT_TRUE(session.app().items().has_value());
    EXPECT_EQ(session.app().items()->back(), "com.quarvek.nestora.Category000");
    EXPECT_EQ(std::count(session.app().items()->begin(), session.app().items()->end(),
                         "com.quarvek.nestora.Category000"),
              1);

    session.app().navController()->popViewController();
    test::settle();
    CategoryViewController& social = session.openCategory("Category001");
    add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(std::count(add->items().begin(), add->items().end(), "com.quarvek.nestora.Category000"), 1);
    EXPECT_EQ(std::count(add->items().begin(), add->items().end(), "com.quarvek.nestora.Category001"), 0);
    // A category goes into another like any app.
    session.chooseApp(*add, "com.quarvek.nestora.Category000");
    session.tapDone(*add);
    test::settle();
    EXPECT_EQ(social.items(), Items{"com.quarvek.nestora.Category000"});
}

TEST(AddItems, OtherCallersGetThePlainTitleAndTheWholeList) {
    EditingSession session;
    session.device().makeCategory("Category000", "Games");
    session.device().makeCategory("Category001", "Social");
    session.launch();
    OtherCaller caller;
    ui::ViewController& root = *session.app().navController()->topViewController();
    auto owned = std::make_unique<AddItemsViewController>(session.app(), &caller);
    AddItemsViewController* add = owned.get();
    EXPECT_EQ(add->navigationBar().titleText(), QStringLiteral("Tap to add"));
    root.presentModalViewController(std::move(owned));
    EXPECT_EQ(add->removedIdentifier(), std::nullopt);
    EXPECT_EQ(std::count(add->items().begin(), add->items().end(), "com.quarvek.nestora.Category000"), 1);
    EXPECT_EQ(add->itemsTableView().rowHeight(), 64);
    EXPECT_EQ(add->itemsTableView().geometry(), QRect(0, 44, 320, 369));
    EXPECT_EQ(add->navigationBar().geometry(), QRect(0, 0, 320, 44));
    EXPECT_EQ(add->size(), QSize(320, 413));
    EXPECT_EQ(add->itemsTableView().separatorStyle(), ui::SeparatorStyle::SingleLineEtched);
    // Cells are made for the rows in view only.
    EXPECT_LE(add->itemsTableView().cellCount(), 6u);
    test::saveScreenshot(*session.window(), QStringLiteral("add-items"), QStringLiteral("screens"));

    const std::size_t before = add->items().size();
    ui::TableView& table = add->itemsTableView();
    const std::string first = add->items().front();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.centreOfRow(0));
    EXPECT_EQ(caller.chosen, Items{first});
    EXPECT_EQ(add->items().size(), before - 1);
    EXPECT_EQ(table.rowCount(), static_cast<int>(before - 1));
    EXPECT_EQ(caller.finished, 0);
    session.tapDone(*add);
    EXPECT_EQ(caller.finished, 0) << "told once the screen has slid away";
    test::settle();
    EXPECT_EQ(caller.finished, 1);
    EXPECT_EQ(root.modalViewController(), nullptr);
}

TEST(AddItems, AnAppListedTwiceIsAddedOnce) {
    EditingSession session;
    // Two bundles that carry one identifier.
    session.device().makeApp("/var/mobile/Applications/C1/Twin.app", "com.example.twin", "Twin");
    session.device().makeApp("/var/mobile/Applications/C2/Twin.app", "com.example.twin", "Twin");
    session.device().makeCategory("Category000", "Games");
    session.launch();
    CategoryViewController& screen = session.openCategory("Category000");
    AddItemsViewController* add = session.addItemsScreen();
    ASSERT_NE(add, nullptr);
    ASSERT_EQ(std::count(add->items().begin(), add->items().end(), "com.example.twin"), 2);
    session.chooseApp(*add, "com.example.twin");
    EXPECT_EQ(std::count(add->items().begin(), add->items().end(), "com.example.twin"), 0);
    EXPECT_EQ(add->itemsTableView().rowCount(), static_cast<int>(add->items().size()));
    session.tapDone(*add);
    test::settle();
    EXPECT_EQ(screen.items(), Items{"com.example.twin"});
    EXPECT_EQ(session.storedItems("Category000"), Items{"com.example.twin"});
}

}  // namespace
}  // namespace nestora::screens
