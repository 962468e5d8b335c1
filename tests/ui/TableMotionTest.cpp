// A list in motion: a dragged row makes its neighbours slide aside and
// settles into its gap before the move is reported; a list taller than its
// frame shows a scroll indicator when it first appears and while it scrolls.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include "ui/TableView.h"
#include "ui/Transition.h"
#include "tests/ui/NumberRows.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::ui {
namespace {

void moveMouse(TableView& table, QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), table.viewport()->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table.viewport(), &move);
}

TEST(UiTableMotion, ADraggedRowMakesRoomAndSettlesIntoItsGapBeforeTheMoveIsReported) {
    QWidget window;
    window.resize(320, 400);
    NumberRows rows(5);
    TableView table(&window);
    table.setGeometry(0, 0, 320, 400);
    table.setDataSource(&rows);
    table.setRowHeight(64);
    window.show();
    table.reloadData();
    table.setEditing(true);
    TableViewCell* dragged = table.cellForRow(0);
    TableViewCell* second = table.cellForRow(1);
    TableViewCell* third = table.cellForRow(2);
    TableViewCell* fourth = table.cellForRow(3);
    const int x = 305;  // the grip
    QTest::mousePress(table.viewport(), Qt::LeftButton, {}, QPoint(x, table.centreOfRow(0).y()));
    moveMouse(table, QPoint(x, table.centreOfRow(0).y() + 20));
    moveMouse(table, QPoint(x, table.centreOfRow(2).y()));
    EXPECT_EQ(dragged->y(), 128) << "the row follows the finger";
    EXPECT_EQ(table.dragGap(), 2);
    Transition::finishAll();
    // Rows 1 and 2 slid up into the dragged row's place; row 3 stays.
    EXPECT_EQ(second->y(), 0);
    EXPECT_EQ(third->y(), 64);
    EXPECT_EQ(fourth->y(), 192);
    // Back up a row: row 2 goes back to its own place.
    moveMouse(table, QPoint(x, table.centreOfRow(1).y()));
    Transition::finishAll();
    EXPECT_EQ(table.dragGap(), 1);
    EXPECT_EQ(second->y(), 0);
    EXPECT_EQ(third->y(), 128);
    moveMouse(table, QPoint(x, table.centreOfRow(2).y() + 10));
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, QPoint(x, table.centreOfRow(2).y() + 10));
    EXPECT_TRUE(rows.moves.empty()) << "reported only once the row has settled";
    Transition::finishAll();
    EXPECT_EQ(rows.moves, (std::vector<std::pair<int, int>>{{0, 2}}));
    EXPECT_FALSE(table.dragGap().has_value());
}

TEST(UiTableMotion, AListTallerThanItsFrameFlashesItsScrollIndicatorAndShowsItWhileScrolling) {
    QWidget window;
    window.resize(320, 300);
    NumberRows many(20);
    NumberRows few(2);
    TableView tall(&window);
    TableView shortList(&window);
    for (auto [table, rows] : {std::pair{&tall, &many}, std::pair{&shortList, &few}}) {
        table->setGeometry(0, 0, 320, 300);
        table->setDataSource(rows);
        table->setRowHeight(64);
        table->reloadData();
    }
    window.show();
    test::waitUntil([] { return false; }, 50);
    // The tall one flashes its bar along its right edge; the short one has none.
    EXPECT_TRUE(tall.scrollIndicator().isVisible());
    EXPECT_EQ(tall.scrollIndicator().opacity(), 1.0);
    EXPECT_FALSE(shortList.scrollIndicator().isVisible());
    const QRect atTop = tall.scrollIndicator().barRect();
    EXPECT_GE(atTop.left(), 320 - 8);
    EXPECT_EQ(atTop.width(), ScrollIndicator::kWidth);
    EXPECT_NEAR(atTop.height(), (300 - 4) * 300 / (20 * 64), 1) << "as long as the view is to the content";
    // It fades when left alone, and comes back lower down while scrolling.
    ASSERT_TRUE(test::waitUntil([&] { return !tall.scrollIndicator().isVisible(); }, 5000));
    tall.scrollToRow(10);
    EXPECT_TRUE(tall.scrollIndicator().isVisible());
    EXPECT_GT(tall.scrollIndicator().barRect().top(), atTop.top());
    EXPECT_EQ(tall.scrollIndicator().geometry(), tall.scrollIndicator().barRect());
}

}  // namespace
}  // namespace nestora::ui
