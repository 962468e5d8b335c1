// The app bundle's images as the UI kit reads them.

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "tests/ui/AppDevice.h"
#include "ui/BundleImages.h"

namespace nestora::ui {
namespace {

TEST(BundleImages, EveryImageOfTheBundleLoads) {
    test::AppDevice device;
    for (const char* name : {"dock.png", "RespringIcon.png", "HelpIcon.png", "ChangelogIcon.png", "toggle_on.png",
                             "toggle_off.png", "blank.png"}) {
        EXPECT_FALSE(imageNamed(name).isNull()) << name;
    }
    EXPECT_EQ(imageNamed("dock.png").size(), QSize(320, 62));
    const auto icons = files::listFolder("/Applications/Nestora.app/icons");
    ASSERT_TRUE(icons.has_value());
    EXPECT_GE(icons->size(), 12u);
    for (const std::string& name : *icons) {
        EXPECT_EQ(imageAtPath("/Applications/Nestora.app/icons/" + name).size(), QSize(57, 57)) << name;
    }
}

}  // namespace
}  // namespace nestora::ui
