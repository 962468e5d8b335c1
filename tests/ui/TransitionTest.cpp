// The screen's movements: a modal screen slides up to its frame and down
// again, and whoever waits on it hears only at the end; an alert fades in;
// edit mode slides its controls in; a test can end any of them at once.

#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>

#include "ui/AlertView.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "ui/QtOwnership.h"
#include "ui/TableView.h"
#include "ui/Transition.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::ui {
namespace {

class LoggingScreen : public ViewController {
public:
    LoggingScreen(QString name, QStringList& log) : log_(log) { setTitle(std::move(name)); }
    void viewWillAppear() override { log_ << title() + QStringLiteral(" will appear"); }
    void viewDidAppear() override { log_ << title() + QStringLiteral(" did appear"); }
    void viewWillDisappear() override { log_ << title() + QStringLiteral(" will disappear"); }

private:
    QStringList& log_;
};

struct ModalCase {
    const char* name;
    QRect navFrame;
    QSize ownSize;  // empty: fills the screen stack
    QRect finalFrame;
};

TEST(UiTransition, AModalScreenSlidesUpToItsFrameAndDownAgainAndReportsOnlyAtTheEnd) {
    const ModalCase cases[] = {
        {"fills the stack", QRect(0, 12, 320, 413), QSize(), QRect(0, 0, 320, 413)},
        {"keeps its own size", QRect(0, 12, 320, 413), QSize(320, 420), QRect(0, 12, 320, 420)},
    };
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList log;
        QWidget window;
        window.resize(320, 480);
        auto* nav = makeChild<NavigationController>(&window, std::make_unique<LoggingScreen>(QStringLiteral("Root"), log));
        nav->setGeometry(c.navFrame);
        window.show();
        nav->showTop();
        auto modal = std::make_unique<LoggingScreen>(QStringLiteral("Modal"), log);
        if (!c.ownSize.isEmpty()) {
            modal->resize(c.ownSize);
            modal->setKeepsOwnSizeWhenPresented(true);
        }
        ViewController* shown = modal.get();
        nav->rootViewController()->presentModalViewController(std::move(modal), true);
        // It starts below the bottom edge and has not appeared yet.
        EXPECT_TRUE(shown->isTransitioning());
        EXPECT_GE(shown->y(), shown->parentWidget()->height());
        EXPECT_EQ(log.last(), QStringLiteral("Modal will appear"));
        ASSERT_TRUE(test::waitUntil([&] { return !shown->isTransitioning(); }));
        EXPECT_EQ(shown->geometry(), c.finalFrame);
        EXPECT_EQ(log.last(), QStringLiteral("Modal did appear"));

        // Going away: the report waits for the end of the slide.
        bool reported = false;
        QPointer<ViewController> guard(shown);
        shown->dismissModalViewController(true, [&] {
            reported = true;
            EXPECT_EQ(nav->rootViewController()->modalViewController(), nullptr);
            EXPECT_EQ(log.last(), QStringLiteral("Modal will disappear"));
        });
        EXPECT_FALSE(reported);
        EXPECT_TRUE(shown->isVisible());
        ASSERT_TRUE(test::waitUntil([&] { return reported; }));
        test::settle();
        EXPECT_TRUE(guard.isNull()) << "the screen is gone";
        EXPECT_EQ(log, (QStringList{"Root will appear", "Root did appear", "Root will disappear", "Modal will appear",
                                    "Modal did appear", "Modal will disappear", "Root will appear",
                                    "Root did appear"}));
    }
}

TEST(UiTransition, AnAlertFadesInAndEditModeSlidesItsControlsInUnlessEndedAtOnce) {
    QWidget window;
    window.resize(320, 480);
    window.show();
    AlertView* alert = AlertView::present(
        std::make_unique<AlertView>(QStringLiteral("Add"), QString(), QStringLiteral("Cancel"), QStringList{}), &window);
    auto* fading = qobject_cast<QGraphicsOpacityEffect*>(alert->graphicsEffect());
    ASSERT_NE(fading, nullptr);
    EXPECT_LT(fading->opacity(), 0.5);
    Transition::finishAll();
    EXPECT_EQ(alert->graphicsEffect(), nullptr) << "drawn directly once in";
    alert->clickButton(0);

    class Rows : public TableViewDataSource {
    public:
        int numberOfRows(const TableView&) const override { return 2; }
        std::unique_ptr<TableViewCell> cellForRow(TableView&, int) override {
            return std::make_unique<TableViewCell>(QStringLiteral("r"));
        }
        bool canEditRow(const TableView& table, int) const override { return table.isEditing(); }
    } rows;
    TableView table(&window);
    table.setGeometry(0, 0, 320, 300);
    table.setDataSource(&rows);
    table.setRowHeight(64);
    table.show();
    table.reloadData();
    table.setEditing(true, true);
    EXPECT_TRUE(table.isEditing()) << "the mode changes at once";
    EXPECT_LT(table.cellForRow(0)->contentView()->x(), 32) << "the content makes room by degrees";
    Transition::finishAll();
    EXPECT_EQ(table.cellForRow(0)->contentView()->x(), 32);
    table.setEditing(false, true);
    EXPECT_FALSE(table.isEditing());
    EXPECT_GT(table.cellForRow(0)->contentView()->x(), 0) << "the controls go by degrees too";
    EXPECT_EQ(Transition::runningCount(), 1);
    Transition::finishAll();
    EXPECT_EQ(Transition::runningCount(), 0);
    EXPECT_EQ(table.cellForRow(0)->contentView()->x(), 0);
    EXPECT_FALSE(table.cellForRow(0)->isEditing());
}

}  // namespace
}  // namespace nestora::ui
