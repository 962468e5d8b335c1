// The value and colour pickers: their geometry, rows, and what they report.

#include <gtest/gtest.h>

#include <QLabel>

#include "screens/settings/ColorPicker.h"
#include "screens/settings/ValuePicker.h"
#include "model/Prefs.h"
#include "tests/screens/settings/SettingsTestSupport.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::screens {
namespace {

// Records what the pickers report, with the tag and whether the picker was
// still up at that moment.
class Recorder : public QObject, public ValuePickerDelegate, public ColorPickerDelegate {
public:
    void valuePickerDidSelectValue(ValuePicker& picker, const std::string& value) override {
        values.push_back(value);
        tags.push_back(picker.tag());
        stillShown.push_back(picker.isVisible());
    }
    void colorPickerDidSelectColor(ColorPicker& picker, const model::Color& color) override {
        colors.push_back(&color);
        stillShown.push_back(picker.isVisible());
    }
    std::vector<std::string> values;
    std::vector<int> tags;
    std::vector<const model::Color*> colors;
    std::vector<bool> stillShown;
};

// Pickers are shown over a window of the phone's size.
class PickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(320, 480);
        window.show();
    }
    template <typename Picker>
    Picker* show(std::unique_ptr<Picker> picker) {
        Picker* shown = picker.get();
        ui::AlertView::present(std::move(picker), &window);
        return shown;
    }

    QWidget window;
};

TEST(PickerGeometry, TheAlertGrowsTo380AndTheListFillsTheNewSpace) {
    const PickerLayout layout = pickerLayout(QRect(18, 180, 284, 120));
    EXPECT_EQ(layout.alertFrame, QRect(18, 60, 284, 380));
    EXPECT_EQ(layout.listFrame, QRect(10, 110, 264, 250));
    // Whatever the natural size, the same top and height.
    EXPECT_EQ(pickerLayout(QRect(0, 0, 300, 200)).alertFrame, QRect(0, 60, 300, 380));
    EXPECT_EQ(pickerLayout(QRect(0, 0, 300, 200)).listFrame, QRect(10, 190, 280, 170));
}

TEST_F(PickerTest, ValuePickerShowsCentredRowsInOrderAndReportsBeforeClosing) {
    Recorder recorder;
    auto values = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"1", "2", "3", "4"});
    auto made = std::make_unique<ValuePicker>(QStringLiteral("Rows per Column"), QStringLiteral("Choose # of Rows"), values);
    made->setTag(7);
    made->setPickerDelegate(&recorder);
    ValuePicker* picker = show(std::move(made));
    EXPECT_EQ(&picker->values(), values.get()) << "the caller's list is shared, not copied";
    EXPECT_EQ(picker->buttonTitles(), QStringList{QStringLiteral("Cancel")});
    // Laid out from its natural frame as it showed.
    EXPECT_EQ(picker->boxFrame().y(), 60);
    EXPECT_EQ(picker->boxFrame().height(), 380);
    ui::TableView* list = picker->tableView();
    ASSERT_NE(list, nullptr);
    // The list's numbers put its end 20 points above the alert's new bottom.
    EXPECT_EQ(list->geometry().bottom(), picker->boxFrame().bottom() - 20);
    EXPECT_EQ(list->x(), picker->boxFrame().x() + 10);
    ASSERT_EQ(list->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        auto* cell = dynamic_cast<PickerCell*>(list->cellForRow(row));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->reuseIdentifier(), QStringLiteral("ValuePickerCell"));
        EXPECT_EQ(cell->textLabel()->text(), QString::number(row + 1));
        EXPECT_TRUE(cell->textLabel()->alignment() & Qt::AlignHCenter);
    }
    test::saveScreenshot(window, QStringLiteral("value-picker"), QStringLiteral("settings"));
    test::tapRow(*list, 2);
    EXPECT_EQ(recorder.values, std::vector<std::string>{"3"});
    EXPECT_EQ(recorder.tags, std::vector<int>{7});
    EXPECT_EQ(recorder.stillShown, std::vector<bool>{true});
    test::settle();
    EXPECT_EQ(test::visibleAlert(&window), nullptr);
}

TEST_F(PickerTest, ValuePickerCancelReportsNothingAndAGoneDelegateIsNotCalled) {
    auto recorder = std::make_unique<Recorder>();
    auto values = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"a", "b"});
    ValuePicker* picker = show(std::make_unique<ValuePicker>(QStringLiteral("T"), QStringLiteral("M"), values));
    picker->setPickerDelegate(recorder.get());
    picker->clickButton(0);
    test::settle();
    EXPECT_TRUE(recorder->values.empty());

    picker = show(std::make_unique<ValuePicker>(QStringLiteral("T"), QStringLiteral("M"), values));
    picker->setPickerDelegate(recorder.get());
    recorder.reset();  // the screen went away while its picker was up
    EXPECT_EQ(picker->pickerDelegate(), nullptr);
    test::tapRow(*picker->tableView(), 0);  // must not crash
    test::settle();
    EXPECT_EQ(test::visibleAlert(&window), nullptr);
}

TEST_F(PickerTest, ColorPickerBarsInCodeOrderAndTheLastIsTheSharedYellow) {
    Recorder recorder;
    ColorPicker* picker = show(std::make_unique<ColorPicker>(QStringLiteral("Font Color"), QStringLiteral("Choose a Color")));
    picker->setPickerDelegate(&recorder);
    ASSERT_EQ(picker->colors().size(), 11u);
    for (int code = 0; code < 11; ++code) {
        EXPECT_EQ(picker->colors()[static_cast<std::size_t>(code)], &model::Prefs::uiColorForFontColor(code));
    }
    ui::TableView* list = picker->tableView();
    ASSERT_NE(list, nullptr);
    // Each row is drawn as a bar of its colour, without text.
    for (int code : {0, 1, 2}) {
        ASSERT_NE(list->cellForRow(code), nullptr);
        const QImage bar = list->cellForRow(code)->grab().toImage();
        EXPECT_EQ(QColor(bar.pixel(bar.width() / 2, bar.height() / 2)), toQColor(*picker->colors()[code])) << code;
        EXPECT_TRUE(list->cellForRow(code)->textLabel()->text().isEmpty());
    }
    test::saveScreenshot(window, QStringLiteral("color-picker"), QStringLiteral("settings"));
    list->scrollToRow(10);
    test::tapRow(*list, 10);
    ASSERT_EQ(recorder.colors.size(), 1u);
    EXPECT_EQ(recorder.colors[0], &model::Color::yellowColor());
    EXPECT_EQ(model::Prefs::fontColorForUIColor(*recorder.colors[0]), 10);
    test::settle();
}

}  // namespace
}  // namespace nestora::screens
