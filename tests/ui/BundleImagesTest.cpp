// The app bundle's images as the UI kit reads them.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Files.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPng.h"
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

// Every picture of the bundle is drawn from shapes: on a machine without a
// single font the generator makes the very same files.
TEST(BundleImages, TheBundlesImagesAreTheSameOnAMachineWithoutFonts) {
    test::TestDevice scratch;
    scratch.writeFile("/fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    scratch.makeFolder("/no-fonts");
    const test::RunResult run = test::runProgram(
        {NESTORA_MAKE_IMAGES, scratch.host("/drawn")},
        {"QT_QPA_PLATFORM=offscreen", "FONTCONFIG_FILE=" + scratch.host("/fonts.conf"),
         "QT_QPA_FONTDIR=" + scratch.host("/no-fonts")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(NESTORA_APP_IMAGES_DIR)) {
        if (entry.path().extension() != ".png") continue;
        const auto name = std::filesystem::relative(entry.path(), NESTORA_APP_IMAGES_DIR).string();
        std::ifstream built(entry.path(), std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(built)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(expected == scratch.readFile("/drawn/" + name)) << name;
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

// What a device's app bundles hold: the optimised form is drawn as the phone
// draws it, through the same loader as every other file.
TEST(BundleImages, OptimisedFilesAreDrawnLikeStandardOnes) {
    test::AppDevice device;
    const test::TestPicture picture = test::patternPicture(57, 57, true);
    const test::TestPicture shown = test::throughPremultiplication(picture);
    const std::string standard = test::standardPng(picture);
    device.writeFile("/standard.png", standard);
    device.writeFile("/optimised.png", *test::optimisedPng(standard));
    device.writeFile("/interlaced.png",
                     *test::optimisedPng(test::standardPng(picture, {test::PngLayout::Rgba, true})));
    for (const char* path : {"/optimised.png", "/interlaced.png"}) {
        // A pixmap holds its pixels premultiplied: compared so, exactly.
        const QImage image = imageAtPath(path).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(image.size(), QSize(57, 57)) << path;
        for (int y = 0; y < 57; y += 7) {
            for (int x = 0; x < 57; x += 5) {
                const std::uint8_t* p = shown.pixel(x, y);
                EXPECT_EQ(image.pixel(x, y), qPremultiply(qRgba(p[0], p[1], p[2], p[3]))) << path << " " << x << "," << y;
            }
        }
    }
    const std::uint8_t* opaque = picture.pixel(3, 0);
    EXPECT_EQ(imageAtPath("/standard.png").toImage().pixel(3, 0), qRgba(opaque[0], opaque[1], opaque[2], opaque[3]));
    EXPECT_EQ(imageAtPath("/optimised.png", QSize(29, 29)).size(), QSize(29, 29));

    // Damaged, it is no picture at all, not a half-read one.
    std::string damaged = *test::optimisedPng(standard);
    damaged[damaged.size() / 2] ^= 0x55;
    device.writeFile("/damaged.png", damaged);
    EXPECT_TRUE(imageAtPath("/damaged.png").isNull());
}

}  // namespace
}  // namespace nestora::ui
