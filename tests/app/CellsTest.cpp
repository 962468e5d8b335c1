// The category row: name with item count, bundle path and icon.

#include <gtest/gtest.h>

#include "app/NestoraTableCell.h"
#include "app/RootViewController.h"
#include "ui/TableView.h"
#include "platform/Preferences.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

TEST(AppNestoraTableCell, NameCountPathAndIcon) {
    test::AppDevice device;
    device.makeCategory("Category007", "Games", std::vector<std::string>(12, "com.apple.mobilemail"));
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.resize(320, 64);
    cell.setBundleIdentifier("com.quarvek.nestora.Category007");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("Games (12)"));
    EXPECT_EQ(cell.subtitle()->text(), QStringLiteral("/Applications/Category007.app"));
    EXPECT_EQ(cell.numberOfItemsInCategory(), 12);
    ASSERT_NE(cell.imageView()->pixmap().isNull(), true);
    // Two lines of 22 and 18 points centred in the 64-point row: y is 12.
    EXPECT_EQ(cell.title()->geometry(), QRect(80, 12, 191, 22));
    EXPECT_EQ(cell.subtitle()->geometry(), QRect(80, 34, 191, 18));
    // A display name that looks like markup is shown as typed.
    device.makeCategory("Category008", "<img src=\"/nowhere.png\"><b>Games</b>", std::nullopt);
    cell.setBundleIdentifier("com.quarvek.nestora.Category008");
    EXPECT_EQ(cell.title()->textFormat(), Qt::PlainText);
    EXPECT_EQ(cell.title()->text(), QStringLiteral("<img src=\"/nowhere.png\"><b>Games</b> (0)"));
}

TEST(AppNestoraTableCell, MissingOrWrongItemsCountZero) {
    test::AppDevice device;
    device.makeCategory("Category000", "None", std::nullopt);
    device.makeCategory("Category001", "Wrong", std::nullopt);
    device.writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category001.plist",
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>items</key><string>x</string>"
                     "</dict></plist>");
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.setBundleIdentifier("com.quarvek.nestora.Category000");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("None (0)"));
    cell.setBundleIdentifier("com.quarvek.nestora.Category001");
    EXPECT_EQ(cell.title()->text(), QStringLiteral("Wrong (0)"));
}

TEST(AppNestoraTableCell, ReusedCellReplacesEverything) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games", std::vector<std::string>(3, "a"));
    platform::Preferences preferences;
    NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
    cell.setBundleIdentifier("com.quarvek.nestora.Category000");
    ASSERT_FALSE(cell.imageView()->pixmap().isNull());
    // A category without bundle: no name (the count stays), no image.
    device.writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.Category005.plist", "");
    cell.setBundleIdentifier("com.quarvek.nestora.Category005");
    EXPECT_EQ(cell.title()->text(), QStringLiteral(" (0)"));
    EXPECT_EQ(cell.subtitle()->text(), QStringLiteral("/Applications/Category005.app"));
    EXPECT_TRUE(cell.imageView()->pixmap().isNull());
}

// A selected row is the selection blue from edge to edge, its text white;
// a name too long for the row ends in an ellipsis and keeps its count.
TEST(AppNestoraTableCell, ASelectedRowIsBlueEdgeToEdgeWithWhiteTextAndLongNamesEndInAnEllipsis) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games", std::vector<std::string>(2, "a"));
    device.makeCategory("Category001", "A category with a name far too long for its row",
                        std::vector<std::string>(3, "a"));
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    RootViewController& screen = *nestora.rootViewController();
    ui::TableView& table = screen.tableView();
    for (bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "edit mode" : "normal mode");
        if (editing) {
            screen.editButtonTapped();
            test::settle();
        }
        table.selectRow(0);
        auto* cell = dynamic_cast<NestoraTableCell*>(table.cellForRow(0));
        ASSERT_NE(cell, nullptr);
        table.clearFocus();  // no keyboard ring over the row
        const QImage picture = cell->grab().toImage();
        const auto isBlue = [](QColor c) { return c.blue() > 200 && c.red() < 40 && c.green() < 170; };
        // Every column of the row's middle line that is not the icon, a
        // control or text: the whole width is blue, not only its edges.
        int blue = 0;
        for (int x = 0; x < picture.width(); ++x) {
            blue += isBlue(picture.pixelColor(x, 1)) ? 1 : 0;
        }
        EXPECT_EQ(blue, picture.width()) << "the row is blue from edge to edge";
        for (const QLabel* label : {static_cast<QLabel*>(cell->title()), static_cast<QLabel*>(cell->subtitle())}) {
            const QRect area(label->mapTo(cell, QPoint(0, 0)), label->size());
            int white = 0;
            int dark = 0;
            int behind = 0;
            for (int y = area.top(); y <= area.bottom(); ++y) {
                for (int x = area.left(); x <= area.right(); ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    white += c.lightness() > 240 ? 1 : 0;
                    dark += c.lightness() < 100 ? 1 : 0;  // darker than the darkest blue: black or grey text
                    behind += isBlue(c) ? 1 : 0;
                }
            }
            EXPECT_GT(white, 20) << "white text";
            EXPECT_EQ(dark, 0) << "no dark text";
            EXPECT_GT(behind, area.width() * area.height() / 2) << "blue behind the text, not a white box";
        }
        table.deselectRow();
    }
    // Leaving edit mode leaves no row selected.
    table.selectRow(1);
    screen.editButtonTapped();
    EXPECT_FALSE(table.selectedRow().has_value());

    auto* longRow = dynamic_cast<NestoraTableCell*>(table.cellForRow(1));
    ASSERT_NE(longRow, nullptr);
    EXPECT_EQ(longRow->title()->text(), QStringLiteral("A category with a name far too long for its row (3)"));
    const QString shown = longRow->title()->shownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("A category")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\u2026 (3)"))) << shown.toStdString();
    EXPECT_LE(longRow->title()->fontMetrics().horizontalAdvance(shown), longRow->title()->width());
    // A short one is shown whole.
    EXPECT_EQ(dynamic_cast<NestoraTableCell*>(table.cellForRow(0))->title()->shownText(), QStringLiteral("Games (2)"));
    // The kit's own rule, for any label.
    const QFontMetrics metrics(longRow->title()->font());
    const int room = metrics.horizontalAdvance(QStringLiteral("Photo\u2026")) + 1;
    const QString cut = ui::tailTruncated(QStringLiteral("Photographs"), metrics, room);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("Phot")) && cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), room);
    EXPECT_EQ(ui::tailTruncated(QStringLiteral("Photographs (12)"), metrics, 1, 5), QStringLiteral("\u2026 (12)"));
}

}  // namespace
}  // namespace nestora::app
