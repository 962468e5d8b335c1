// The app bundle's images as the UI kit reads them.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

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

std::string pngBytes(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(BundleImages, OutsideImagesAreBoundedBeforeDecoding) {
    test::AppDevice device;
    // A few kilobytes that unpack into a picture wider than any icon.
    device.writeFile("/wide.png", pngBytes(QSize(kImageSideLimit + 1, 4)));
    EXPECT_LT(device.readFile("/wide.png").size(), 64u * 1024);
    EXPECT_TRUE(imageAtPath("/wide.png").isNull());
    device.writeFile("/text.png", "not an image");
    EXPECT_TRUE(imageAtPath("/text.png").isNull());
    device.makeFolder("/folder.png");
    EXPECT_TRUE(imageAtPath("/folder.png").isNull());

    // Scaled down to fit, proportions kept; small ones keep their size.
    device.writeFile("/big.png", pngBytes(QSize(200, 100)));
    EXPECT_EQ(imageAtPath("/big.png", QSize(57, 57)).size(), QSize(57, 28));
    EXPECT_EQ(imageAtPath("/Applications/Nestora.app/icons/Games.png", QSize(80, 102)).size(), QSize(57, 57));
}

}  // namespace
}  // namespace nestora::ui
