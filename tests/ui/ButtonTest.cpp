// The plain button and what it draws with: stretchable images and text from
// outside shown on one line; and the bar's title cut to fit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>

#include "ui/Button.h"
#include "ui/DisplayText.h"
#include "ui/NavigationBar.h"
#include "ui/SystemFont.h"
#include "ui/StretchableImage.h"

namespace nestora::ui {
namespace {

// An 11 x 4 image: red left cap (5), one green column, blue right cap (5).
QPixmap capsImage() {
    QImage image(11, 4, QImage::Format_RGB32);
    for (int x = 0; x < 11; ++x) {
        const QRgb colour = x < 5 ? qRgb(255, 0, 0) : x == 5 ? qRgb(0, 255, 0) : qRgb(0, 0, 255);
        for (int y = 0; y < 4; ++y) image.setPixel(x, y, colour);
    }
    return QPixmap::fromImage(image);
}

QRgb pixelAfterDrawing(const StretchableImage& stretchable, const QSize& size, const QPoint& at) {
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    stretchable.draw(painter, canvas.rect());
    painter.end();
    return canvas.pixel(at);
}

TEST(AppStretchableImage, CapsKeepTheirWidthAndTheColumnAfterTheLeftCapFills) {
    const StretchableImage image = stretchableImage(capsImage(), 5, 0);
    const QSize size(54, 27);
    EXPECT_EQ(pixelAfterDrawing(image, size, {4, 13}), qRgb(255, 0, 0));
    EXPECT_EQ(pixelAfterDrawing(image, size, {5, 13}), qRgb(0, 255, 0));
    EXPECT_EQ(pixelAfterDrawing(image, size, {48, 13}), qRgb(0, 255, 0));
    EXPECT_EQ(pixelAfterDrawing(image, size, {49, 26}), qRgb(0, 0, 255));
    // Narrower than its caps: the whole image scaled, nothing left undrawn.
    EXPECT_EQ(pixelAfterDrawing(image, QSize(6, 4), {5, 0}), qRgb(0, 0, 255));
}

TEST(AppButton, StatesFallBackToNormalAndTheTitleStaysOnOneLine) {
    Button button;
    button.setTitle(QStringLiteral("OFF"), Button::State::Normal);
    button.setTitleColor(Qt::gray, Button::State::Normal);
    button.setTitle(QStringLiteral("ON"), Button::State::Selected);
    EXPECT_EQ(button.currentTitle(), QStringLiteral("OFF"));
    button.setSelected(true);
    EXPECT_EQ(button.currentTitle(), QStringLiteral("ON"));
    EXPECT_EQ(button.currentTitleColor(), QColor(Qt::gray)) << "no colour of its own: the normal one";
    // A tap does not change the selected state; its owner does.
    button.resize(54, 27);
    button.click();
    EXPECT_TRUE(button.isSelected());

    EXPECT_EQ(singleLineText(QStringLiteral("a\nb\u202Ec\u2028d\te")), QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFDe"));
    EXPECT_EQ(singleLineText(std::string_view("ok \xff")), QStringLiteral("ok \uFFFD"));
}

TEST(UiSystemFont, ScreensAreDrawnInNimbusSansLoadedFromItsFiles) {
    // The test main loaded it, as the app and the home screen do: every
    // widget and every measurement uses it, whatever fontconfig would pick.
    const auto nimbus = [](const QFont& font) { return QFontInfo(font).family().startsWith(QStringLiteral("Nimbus Sans")); };
    EXPECT_EQ(systemFontFamily(), QStringLiteral("Nimbus Sans"));
    EXPECT_TRUE(nimbus(systemFont(18, true)));
    EXPECT_TRUE(QFontInfo(systemFont(18, true)).bold());
    EXPECT_TRUE(nimbus(QApplication::font()));
    EXPECT_TRUE(nimbus(QFont(QStringLiteral("Helvetica"))));
    EXPECT_EQ(systemFontStyle(18, true), QStringLiteral("font: bold 18px 'Nimbus Sans';"));
    // Helvetica's widths: "Edit" in bold at 1000 units is 667 + 611 + 278 + 333.
    QFont big = systemFont(1000, true);
    big.setKerning(false);
    EXPECT_NEAR(QFontMetricsF(big).horizontalAdvance(QStringLiteral("Edit")), 1889.0, 2.0);
}

TEST(AppNavigationBar, ALongTitleIsCutAtItsTailButKeptWhole) {
    NavigationBar bar;
    bar.resize(320, NavigationBar::kHeight);
    bar.show();
    // Too long for the bar even in the smallest title type.
    const QString title = QStringLiteral("Prefs for: A rather long category name that goes on and on");
    bar.showItem(title, nullptr, nullptr, QStringLiteral("Back"));
    EXPECT_EQ(bar.titleText(), title);
    auto* label = bar.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Prefs for: ")));
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
}

}  // namespace
}  // namespace nestora::ui
