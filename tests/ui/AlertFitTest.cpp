// An alert's box is measured for its title and message in the fonts they
// are drawn in: a title of one line or of two fits above the buttons.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "ui/AlertView.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::ui {
namespace {

struct AlertCase {
    const char* title;
    const char* message;
    QStringList others;
    int titleLines;
};

TEST(AppAlertView, TitlesOfOneAndTwoLinesFitWholeAboveTheButtons) {
    const AlertCase cases[] = {
        {"What do you want to edit?", "", {QStringLiteral("Name"), QStringLiteral("Icon")}, 1},
        {"Add", "Enter category title", {QStringLiteral("Add")}, 1},
        {"A title that is far too long to stand on one line", "", {QStringLiteral("OK")}, 2},
        {"A title that is far too long to stand on one line", "And a message under it.", {}, 2},
    };
    for (const AlertCase& c : cases) {
        SCOPED_TRACE(c.title);
        QWidget window;
        window.resize(320, 480);
        window.show();
        AlertView* alert = AlertView::present(
            std::make_unique<AlertView>(QString::fromUtf8(c.title), QString::fromUtf8(c.message),
                                        QStringLiteral("Cancel"), c.others),
            &window);
        test::settle();
        const QLabel* title = alert->titleLabel();
        const QFontMetrics metrics(title->font());
        // Measured in the font it is drawn in, and as many lines as it takes.
        EXPECT_EQ(title->font().pixelSize(), 18);
        EXPECT_GE(title->height(), c.titleLines * metrics.height());
        EXPECT_EQ(title->heightForWidth(title->width()) > metrics.height() + 2, c.titleLines == 2);
        EXPECT_GE(title->height(), title->heightForWidth(title->width()));
        int below = title->geometry().bottom();
        if (!alert->messageLabel()->isHidden()) {
            EXPECT_GE(alert->messageLabel()->y(), below);
            EXPECT_GE(alert->messageLabel()->height(), alert->messageLabel()->heightForWidth(alert->messageLabel()->width()));
            below = alert->messageLabel()->geometry().bottom();
        }
        for (int i = 0; alert->button(i) != nullptr; ++i) {
            EXPECT_GT(alert->button(i)->y(), below) << "button " << i << " runs into the text";
            EXPECT_TRUE(alert->boxFrame().contains(alert->button(i)->geometry())) << "button " << i;
        }
        alert->clickButton(0);
    }
}

}  // namespace
}  // namespace nestora::ui
