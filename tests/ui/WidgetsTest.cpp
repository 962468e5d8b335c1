// The reusable widgets on their own: navigation stack, alerts answered in
// advance, the table's cell reuse and edit controls.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/AlertView.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"
#include "ui/QtOwnership.h"
#include "ui/TableView.h"
#include "tests/ui/AppDevice.h"
#include "tests/ui/NumberRows.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::ui {
namespace {

class CountingScreen : public ViewController {
public:
    CountingScreen(QString name, QStringList& log) : log_(log) {
        setTitle(std::move(name));
        setBackButtonTitle(QStringLiteral("Back"));
    }
    void viewWillAppear() override { log_ << title() + QStringLiteral(" will appear"); }
    void viewDidAppear() override { log_ << title() + QStringLiteral(" did appear"); }
    void viewWillDisappear() override { log_ << title() + QStringLiteral(" will disappear"); }

private:
    QStringList& log_;
};

// A shown window with a navigation controller over `navFrame`, its root
// screen "Root" logging to `log`.
NavigationController* showNavigation(QWidget& window, QSize windowSize, QRect navFrame, QStringList& log) {
    window.resize(windowSize);
    auto* nav = makeChild<NavigationController>(&window, std::make_unique<CountingScreen>(QStringLiteral("Root"), log));
    nav->setGeometry(navFrame);
    window.show();
    nav->showTop();
    return nav;
}

TEST(AppNavigationController, PushPopAndModalAppearances) {
    QStringList log;
    QWidget window;
    NavigationController* nav = showNavigation(window, QSize(320, 413), QRect(0, 0, 320, 413), log);
    nav->pushViewController(std::make_unique<CountingScreen>(QStringLiteral("Second"), log));
    EXPECT_EQ(nav->depth(), 2u);
    EXPECT_EQ(nav->navigationBar().titleText(), QStringLiteral("Second"));
    ASSERT_NE(nav->navigationBar().leftButton(), nullptr);
    EXPECT_EQ(nav->navigationBar().leftButton()->text(), QStringLiteral("Back"));
    QTest::mouseClick(nav->navigationBar().leftButton(), Qt::LeftButton);
    EXPECT_TRUE(test::waitUntil([&] { return !nav->isSliding(); }));  // "Back" slides the screen out
    test::settle();
    EXPECT_EQ(nav->depth(), 1u);
    EXPECT_EQ(nav->navigationBar().titleText(), QStringLiteral("Root"));
    nav->rootViewController()->presentModalViewController(std::make_unique<CountingScreen>(QStringLiteral("Modal"), log));
    ASSERT_NE(nav->rootViewController()->modalViewController(), nullptr);
    EXPECT_EQ(nav->rootViewController()->modalViewController()->geometry(), nav->rect());
    nav->rootViewController()->modalViewController()->dismissModalViewController();
    test::settle();
    EXPECT_EQ(log,
              (QStringList{"Root will appear", "Root did appear", "Root will disappear", "Second will appear",
                           "Second did appear", "Second will disappear", "Root will appear", "Root did appear",
                           "Root will disappear", "Modal will appear", "Modal did appear", "Modal will disappear",
                           "Root will appear", "Root did appear"}));
}

TEST(AppNavigationController, AnimatedPushSaysItAppearedWhenTheSlideEnds) {
    QStringList log;
    QWidget window;
    NavigationController* nav = showNavigation(window, QSize(320, 413), QRect(0, 0, 320, 413), log);
    auto second = std::make_unique<CountingScreen>(QStringLiteral("Second"), log);
    ViewController* pushed = second.get();
    nav->pushViewController(std::move(second), true);
    EXPECT_TRUE(nav->isSliding());
    EXPECT_EQ(log.last(), QStringLiteral("Second will appear"));
    EXPECT_NE(pushed->pos(), QPoint(0, NavigationBar::kHeight));
    // A second push while sliding ends the first slide at once.
    nav->pushViewController(std::make_unique<CountingScreen>(QStringLiteral("Third"), log), true);
    EXPECT_TRUE(log.contains(QStringLiteral("Second did appear")));
    ASSERT_TRUE(test::waitUntil([&] { return !nav->isSliding(); }));
    EXPECT_EQ(log.last(), QStringLiteral("Third did appear"));
    EXPECT_EQ(nav->topViewController()->geometry(), QRect(0, NavigationBar::kHeight, 320, 413 - NavigationBar::kHeight));
    EXPECT_FALSE(pushed->isVisible());
    EXPECT_TRUE(nav->rootViewController()->isHidden());
}

TEST(AppNavigationController, ATallModalKeepsItsOwnSizeOverTheWindow) {
    QStringList log;
    QWidget window;
    NavigationController* nav = showNavigation(window, QSize(320, 480), QRect(0, 12, 320, 413), log);
    auto tall = std::make_unique<CountingScreen>(QStringLiteral("Tall"), log);
    tall->resize(320, 420);
    tall->setKeepsOwnSizeWhenPresented(true);
    ViewController* shown = tall.get();
    nav->rootViewController()->presentModalViewController(std::move(tall));
    EXPECT_EQ(shown->parentWidget(), &window);
    EXPECT_EQ(shown->geometry(), QRect(0, 12, 320, 420));
    EXPECT_EQ(shown->visibleRegion().boundingRect(), QRect(0, 0, 320, 420));  // nothing cut off
    shown->dismissModalViewController();
    test::settle();
    EXPECT_EQ(nav->rootViewController()->modalViewController(), nullptr);
    EXPECT_EQ(log.last(), QStringLiteral("Root did appear"));
}

TEST(AppAlertView, AnswersGivenInAdvanceAreUsedInOrder) {
    QWidget window;
    window.resize(320, 480);
    window.show();
    AlertAnswerQueue::forWindow(&window).answerNext(1, QStringLiteral("typed"));
    AlertAnswerQueue::forWindow(&window).answerNext(0);
    std::vector<std::pair<int, QString>> heard;
    for (int i = 0; i < 2; ++i) {
        auto alert = std::make_unique<AlertView>(QStringLiteral("Add"), QStringLiteral("Enter category title"),
                                                 QStringLiteral("Cancel"), QStringList{QStringLiteral("Add")});
        alert->addTextField();
        alert->setClickHandler([&heard](AlertView& shown, int index) {
            heard.emplace_back(index, shown.textField()->text());
        });
        AlertView::present(std::move(alert), &window);
        EXPECT_TRUE(heard.size() == static_cast<std::size_t>(i)) << "answered before the caller was done";
        test::settle();
    }
    EXPECT_EQ(heard, (std::vector<std::pair<int, QString>>{{1, QStringLiteral("typed")}, {0, QString()}}));
    EXPECT_EQ(AlertAnswerQueue::forWindow(&window).pending(), 0u);
    EXPECT_EQ(test::visibleAlert(&window), nullptr);
}

TEST(AppAlertView, TextFieldGrowsTheBoxAndTakesTheFocus) {
    QWidget window;
    window.resize(320, 480);
    window.show();
    auto plain = std::make_unique<AlertView>(QStringLiteral("Rename"), QStringLiteral("Enter new title"),
                                             QStringLiteral("Cancel"), QStringList{QStringLiteral("Rename")});
    AlertView* shownPlain = AlertView::present(std::move(plain), &window);
    const QRect plainBox = shownPlain->boxFrame();
    auto withField = std::make_unique<AlertView>(QStringLiteral("Rename"), QStringLiteral("Enter new title"),
                                                 QStringLiteral("Cancel"), QStringList{QStringLiteral("Rename")});
    withField->addTextField();
    AlertView* shown = AlertView::present(std::move(withField), &window);
    // The box moves up to a quarter of its y and grows by 50 points; the
    // field takes those 50 points under the message, at x − 5 and width − 25
    // of the box (x 18 on the 320-point screen), 30 high; the buttons move
    // down by the same 50 points.
    const QRect box = shown->boxFrame();
    EXPECT_EQ(box.height(), plainBox.height() + 50);
    EXPECT_EQ(box.y(), static_cast<int>(plainBox.y() * 0.25));
    EXPECT_EQ(box.x(), 18);
    const QRect field = shown->textField()->geometry().translated(-box.topLeft());
    EXPECT_EQ(field.x(), 13);
    EXPECT_EQ(field.width(), 284 - 25);
    EXPECT_EQ(field.height(), 30);
    const auto buttonsTop = [](AlertView* alert) {
        int top = alert->height();
        for (auto* button : alert->findChildren<QPushButton*>()) {
            top = std::min(top, button->y() - alert->boxFrame().y());
        }
        return top;
    };
    const auto messageBottom = [](AlertView* alert) {
        for (auto* label : alert->findChildren<QLabel*>()) {
            if (label->text() == alert->message()) {
                return label->geometry().bottom() + 1 - alert->boxFrame().y();
            }
        }
        return -1;
    };
    EXPECT_EQ(messageBottom(shown), messageBottom(shownPlain));
    EXPECT_EQ(buttonsTop(shown), buttonsTop(shownPlain) + 50);
    EXPECT_GE(field.top(), messageBottom(shown));
    EXPECT_LE(field.bottom() + 1, buttonsTop(shown));
    shownPlain->clickButton(0);
    // Return in the field takes the action button, once.
    std::vector<int> taps;
    shown->setClickHandler([&taps](AlertView&, int index) { taps.push_back(index); });
    QTest::keyClicks(shown->textField(), QStringLiteral("New"));
    QTest::keyClick(shown->textField(), Qt::Key_Return);
    shown->clickButton(0);
    EXPECT_EQ(taps, std::vector<int>{1});
}

TEST(AppAlertView, EscapeCancels) {
    QWidget window;
    window.resize(320, 480);
    window.show();
    auto alert = std::make_unique<AlertView>(QStringLiteral("What do you want to edit?"), QString(),
                                             QStringLiteral("Cancel"),
                                             QStringList{QStringLiteral("Name"), QStringLiteral("Icon")});
    int heard = -1;
    alert->setClickHandler([&heard](AlertView&, int index) { heard = index; });
    AlertView* shown = AlertView::present(std::move(alert), &window);
    QTest::keyClick(shown, Qt::Key_Escape);
    EXPECT_EQ(heard, 0);
}

TEST(AppTableView, OnlyRowsInViewHaveCells) {
    QWidget window;
    window.resize(320, 307);
    NumberRows rows(1000);
    TableView table(&window);
    table.setGeometry(0, 0, 320, 307);
    table.setDataSource(&rows);
    table.setRowHeight(64);
    window.show();
    table.reloadData();
    EXPECT_EQ(table.rowCount(), 1000);
    EXPECT_LE(table.cellCount(), 6u);  // 307 / 64 rounds up to 5 rows, at most 6 in view while scrolling
    for (int row = 0; row < 1000; row += 37) {
        table.scrollToRow(row);
    }
    table.scrollToRow(995);
    EXPECT_LE(table.cellCount(), 12u);
    ASSERT_NE(table.cellForRow(996), nullptr);
    EXPECT_EQ(table.cellForRow(996)->textLabel()->text(), QStringLiteral("996"));
    EXPECT_EQ(table.cellForRow(0), nullptr);
}

TEST(AppTableView, ReorderGripMovesARow) {
    QWidget window;
    window.resize(320, 307);
    NumberRows rows(3);
    TableView table(&window);
    table.setGeometry(0, 0, 320, 307);
    table.setDataSource(&rows);
    table.setRowHeight(64);
    window.show();
    table.setEditing(true);
    const QPoint grip(305, table.centreOfRow(0).y());
    QTest::mousePress(table.viewport(), Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(305, table.centreOfRow(2).y()), table.viewport()->mapToGlobal(QPointF(305, table.centreOfRow(2).y())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table.viewport(), &move);
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, QPoint(305, table.centreOfRow(2).y()));
    test::settle();  // the row settles into its place
    EXPECT_EQ(rows.moves, (std::vector<std::pair<int, int>>{{0, 2}}));
}

}  // namespace
}  // namespace nestora::ui
