// Every screen without a mouse: each control a screen reader finds has a
// name, and the keyboard reaches and works the list, the alerts and the
// modal screens.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/RootViewController.h"
#include "screens/editing/AddItemsViewController.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/editing/IconPickerController.h"
#include "screens/settings/PrefsSBViewController.h"
#include "screens/settings/PrefsViewController.h"
#include "screens/settings/SettingsCell.h"
#include "tests/app/AppTestSupport.h"
#include "ui/Accessibility.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"

namespace nestora::app {
namespace {

bool isControl(const QAccessibleInterface& item) {
    switch (item.role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ListItem:
    case QAccessible::Cell:
    case QAccessible::Row:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Link:
    case QAccessible::MenuItem:
    case QAccessible::PageTab:
        return true;
    case QAccessible::EditableText:
        return !item.state().readOnly;
    default:
        return false;
    }
}

// Every control in view under `item` that has no name, as "role class".
void collectUnnamed(QAccessibleInterface* item, QStringList& unnamed, int depth = 0) {
    if (item == nullptr || depth > 64 || item->state().invisible) {
        return;
    }
    if (isControl(*item) && item->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("%1 %2").arg(item->role()).arg(
                       item->object() != nullptr ? QString::fromLatin1(item->object()->metaObject()->className())
                                                 : QString());
    }
    for (int i = 0; i < item->childCount(); ++i) {
        collectUnnamed(item->child(i), unnamed, depth + 1);
    }
}

// The names of the controls in view, in tree order.
void collectNames(QAccessibleInterface* item, QStringList& names, int depth = 0) {
    if (item == nullptr || depth > 64 || item->state().invisible) {
        return;
    }
    if (isControl(*item)) {
        names << item->text(QAccessible::Name);
    }
    for (int i = 0; i < item->childCount(); ++i) {
        collectNames(item->child(i), names, depth + 1);
    }
}

class AppAccessibility : public ::testing::Test {
protected:
    void SetUp() override {
        test::AppDeviceOptions options;
        options.sampleApps = true;
        device_ = std::make_unique<test::AppDevice>(options);
        device_->makeCategory("Category000", "Games", std::vector<std::string>{"com.apple.mobilemail"});
        device_->makeCategory("Category001", "Social");
        nestora_ = std::make_unique<Nestora>();
        nestora_->applicationDidFinishLaunching();
        test::settle();
    }
    QWidget* window() const { return nestora_->window(); }
    RootViewController& list() const { return *nestora_->rootViewController(); }
    ui::NavigationController& nav() const { return *nestora_->navController(); }

    // Walks the screen as a screen reader would and names what it finds unnamed.
    void expectEveryControlNamed(const char* screen) {
        test::settle();
        QStringList unnamed;
        collectUnnamed(QAccessible::queryAccessibleInterface(window()), unnamed);
        EXPECT_TRUE(unnamed.isEmpty()) << screen << ": " << unnamed.join(QStringLiteral("; ")).toStdString();
        ++screensWalked_;
    }
    QStringList namesInView() {
        QStringList names;
        collectNames(QAccessible::queryAccessibleInterface(window()), names);
        return names;
    }
    void cancelAlert() {
        if (ui::AlertView* alert = test::visibleAlert(window())) {
            alert->clickButton(0);
        }
        test::settle();
    }

    std::unique_ptr<test::AppDevice> device_;
    std::unique_ptr<Nestora> nestora_;
    int screensWalked_ = 0;
};

TEST_F(AppAccessibility, EveryControlOfEveryScreenHasANameThatSaysWhatItDoes) {
    expectEveryControlNamed("the list");
    const QStringList names = namesInView();
    for (const char* expected : {"Edit", "Add", "Respring", "Help", "Change Log",
                                 "Games (1), /Applications/Category000.app"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(expected))) << expected;
    }
    list().editButtonTapped();
    expectEveryControlNamed("edit mode");
    list().tableView().selectRow(0);
    list().didSelectRow(list().tableView(), 0);
    expectEveryControlNamed("the edit-choice alert");
    EXPECT_TRUE(namesInView().contains(QStringLiteral("Name")));
    cancelAlert();
    ui::AlertAnswerQueue::forWindow(window()).answerNext(2);  // "Icon"
    list().tableView().selectRow(0);
    list().didSelectRow(list().tableView(), 0);
    ASSERT_TRUE(test::waitUntil([&] { return list().modalViewController() != nullptr; }));
    expectEveryControlNamed("the icon picker");
    EXPECT_TRUE(namesInView().contains(QStringLiteral("Games")));
    list().modalViewController()->escapePressed();
    test::settle();
    list().editButtonTapped();
    list().addButtonTapped();
    expectEveryControlNamed("the add alert");
    cancelAlert();

    list().didSelectRow(list().tableView(), 0);
    test::settle();
    auto* contents = dynamic_cast<screens::CategoryViewController*>(nav().topViewController());
    ASSERT_NE(contents, nullptr);
    expectEveryControlNamed("a category's contents");
    contents->addButtonTapped();
    expectEveryControlNamed("the add-items screen");
    contents->modalViewController()->escapePressed();
    test::settle();
    nav().popViewController();
    list().helpTapped();
    expectEveryControlNamed("the help page");
    list().modalViewController()->escapePressed();
    test::settle();

    nestora_->handleOpenURL("nestora:?com.quarvek.nestora.Category000");
    test::settle();
    auto* prefs = dynamic_cast<screens::PrefsViewController*>(nav().topViewController());
    ASSERT_NE(prefs, nullptr);
    expectEveryControlNamed("the settings");
    EXPECT_TRUE(namesInView().contains(QStringLiteral("Show Titlebar, on")) ||
                namesInView().contains(QStringLiteral("Show Titlebar, off")));
    for (int row : {screens::PrefsViewController::kRowsPerColumnRow, screens::PrefsViewController::kIconFontColorRow}) {
        auto* cell = dynamic_cast<screens::SettingsCell*>(prefs->tableView().cellForRow(row));
        ASSERT_NE(cell, nullptr);
        prefs->buttonTapped(cell->control());
        expectEveryControlNamed(row == screens::PrefsViewController::kRowsPerColumnRow ? "the rows picker"
                                                                                       : "the colour picker");
        cancelAlert();
    }
    EXPECT_TRUE(namesInView().contains(QStringLiteral("Icon Font Color, white")) ||
                namesInView().contains(QStringLiteral("Icon Font Color, yellow")));
    nav().popViewController();
    nav().pushViewController(std::make_unique<screens::PrefsSBViewController>(nestora_->preferences(),
                                                                              "com.quarvek.nestora.Category000"));
    expectEveryControlNamed("the extension's settings");
    EXPECT_EQ(screensWalked_, 12);
}

TEST_F(AppAccessibility, TheKeyboardReachesAndWorksTheListAlertsAndModalScreens) {
    // Tab reaches the bar's buttons, the list and the dock.
    QSet<QString> reached;
    window()->activateWindow();
    list().tableView().setFocus();
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QWidget* focused = QApplication::focusWidget()) {
            auto* button = qobject_cast<QAbstractButton*>(focused);
            reached << (button != nullptr ? (button->text().isEmpty() ? button->accessibleName() : button->text())
                                          : QString::fromLatin1(focused->metaObject()->className()));
        }
    }
    for (const char* stop : {"Edit", "Add", "Help", "nestora::ui::TableView"}) {
        EXPECT_TRUE(reached.contains(QString::fromLatin1(stop))) << stop;
    }

    // Down and Return open the second row's contents; Escape goes back.
    ui::TableView& table = list().tableView();
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(table.keyboardRow(), 1);
    EXPECT_TRUE(table.cellForRow(1)->isKeyboardFocused());
    QTest::keyClick(&table, Qt::Key_Return);
    test::settle();
    ASSERT_EQ(nav().depth(), 2u);
    // The empty category opened its add-items screen; Escape is its "Done".
    auto* contents = dynamic_cast<screens::CategoryViewController*>(nav().topViewController());
    ASSERT_NE(contents, nullptr);
    ASSERT_NE(contents->modalViewController(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    test::settle();
    EXPECT_EQ(contents->modalViewController(), nullptr);
    QTest::keyClick(&nav(), Qt::Key_Escape);
    test::settle();
    EXPECT_EQ(nav().depth(), 1u);

    // In edit mode Return asks what to edit; Escape cancels the alert.
    list().editButtonTapped();
    test::settle();
    table.setFocus();
    table.setKeyboardRow(0);
    QTest::keyClick(&table, Qt::Key_Return);
    ui::AlertView* alert = test::visibleAlert(window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QStringLiteral("What do you want to edit?"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(alert->isAncestorOf(QApplication::focusWidget())) << "Tab stays in the alert";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    test::settle();
    EXPECT_EQ(test::visibleAlert(window()), nullptr);
    EXPECT_EQ(list().messageBoxFunction(), RootViewController::kEditChoiceAlert);

    // Delete asks, Escape takes it back; Delete twice deletes the row.
    table.setFocus();
    table.setKeyboardRow(1);
    QTest::keyClick(&table, Qt::Key_Delete);
    EXPECT_TRUE(table.cellForRow(1)->isShowingDeleteConfirmation());
    QTest::keyClick(&table, Qt::Key_Escape);
    EXPECT_FALSE(table.cellForRow(1)->isShowingDeleteConfirmation());
    QTest::keyClick(&table, Qt::Key_Delete);
    QTest::keyClick(&table, Qt::Key_Delete);
    test::settle();
    EXPECT_EQ(list().categories(), std::vector<std::string>{"com.quarvek.nestora.Category000"});
    // A button takes Return as a tap.
    QPushButton* done = nav().navigationBar().leftButton();
    ASSERT_NE(done, nullptr);
    done->setFocus();
    QTest::keyClick(done, Qt::Key_Return);
    test::settle();
    EXPECT_FALSE(table.isEditing());
}

}  // namespace
}  // namespace nestora::app
