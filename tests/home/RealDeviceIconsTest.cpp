// A device laid out as real ones are: app bundles whose icons are standard
// or optimised PNGs (every colour layout, interlaced or not), found by the
// old file names or only through the newer Info.plist keys. Every place that
// shows an app or category icon must find and draw each one: the list cells,
// the icon picker, the category list, the home screen and the category
// launcher. The counts are printed for the record.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <iostream>

#include "app/NestoraTableCell.h"
#include "common/CategoryNaming.h"
#include "home/CategoryLauncher.h"
#include "home/HomeScreen.h"
#include "home/IconCell.h"
#include "model/IconLookup.h"
#include "platform/AppServices.h"
#include "platform/Plist.h"
#include "platform/Preferences.h"
#include "screens/editing/CategoryIcon.h"
#include "screens/editing/EditTableCell.h"
#include "tests/home/HomeDevice.h"
#include "tests/support/TestPng.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora {
namespace {

using test::PngLayout;

struct IconFile {
    std::string name;
    int side;
    bool optimised;
    PngLayout layout = PngLayout::Rgba;
    bool interlaced = false;
};

struct RealApp {
    std::string folder;  // bundle folder
    plist::Dictionary icons;  // the Info.plist's icon keys
    std::vector<IconFile> files;
};

plist::Dictionary primaryIcon(plist::Array names, const char* key = "CFBundleIcons") {
    return {{key, plist::Dictionary{{"CFBundlePrimaryIcon", plist::Dictionary{{"CFBundleIconFiles", names}}}}}};
}

std::vector<RealApp> realApps() {
    using plist::Array;
    const std::string store = "/var/mobile/Applications/";
    return {
        {"/Applications/Plain.app", {}, {{"icon.png", 57, false}}},
        {"/Applications/Crushed.app", {}, {{"icon.png", 57, true}}},
        {"/Applications/Capital.app", {}, {{"Icon.png", 57, true}}},
        {"/Applications/Palette.app", {}, {{"icon.png", 57, true, PngLayout::Palette}}},
        {"/Applications/Opaque.app", {}, {{"icon.png", 57, true, PngLayout::Rgb}}},
        {"/Applications/Woven.app", {}, {{"icon.png", 57, true, PngLayout::Rgba, true}}},
        {"/Applications/Named.app", {{"CFBundleIconFile", "AppIcon"}}, {{"AppIcon.png", 57, true}}},
        {"/Applications/Woven2.app", {}, {{"icon.png", 57, false, PngLayout::Rgb, true}}},
        {store + "A1/Paper.app", {{"CFBundleIconFiles", Array{"Paper.png", "Paper@2x.png"}}},
         {{"Paper.png", 57, true}, {"Paper@2x.png", 114, true}}},
        {store + "A2/Plane.app", primaryIcon(Array{"AppIcon57x57", "AppIcon72x72"}),
         {{"AppIcon57x57.png", 57, true}, {"AppIcon57x57@2x.png", 114, true}, {"AppIcon72x72.png", 72, true}}},
        {store + "A3/Phone.app", primaryIcon(Array{"Icon"}, "CFBundleIcons~iphone"),
         {{"Icon~iphone.png", 57, false}, {"Icon@2x~iphone.png", 114, false}}},
        {store + "A4/Sharp.app", {{"CFBundleIconFiles", Array{"Sharp"}}},
         {{"Sharp@2x.png", 114, true, PngLayout::Rgba, true}}},
        {store + "A5/Gone.app", {{"CFBundleIconFile", "Missing"}, {"CFBundleIconFiles", Array{"Icon-Small"}}},
         {{"Icon-Small.png", 57, true, PngLayout::Palette}}},
        {store + "A6/Deep.app", {{"CFBundleIconFiles", Array{"Deep"}}}, {{"Deep.png", 57, true, PngLayout::Rgba16}}},
    };
}

// Each app's icon in a colour of its own, so a drawn icon shows whose it is.
QColor colourOf(std::size_t app) {
    return QColor::fromHsv(static_cast<int>(app * 360 / 15), 200, 100 + static_cast<int>(app % 3) * 60);
}

std::string solidPng(QColor colour, const IconFile& file) {
    test::TestPicture picture{file.side, file.side, {}};
    for (int i = 0; i < file.side * file.side; ++i) {
        picture.rgba.insert(picture.rgba.end(), {static_cast<std::uint8_t>(colour.red()),
                                                 static_cast<std::uint8_t>(colour.green()),
                                                 static_cast<std::uint8_t>(colour.blue()), 255});
    }
    std::string png = test::standardPng(picture, {file.layout, file.interlaced});
    return file.optimised ? *test::optimisedPng(png) : png;
}

bool near(QRgb shown, QColor expected) {
    return std::abs(qRed(shown) - expected.red()) <= 2 && std::abs(qGreen(shown) - expected.green()) <= 2 &&
           std::abs(qBlue(shown) - expected.blue()) <= 2;
}

bool drawsColour(const QPixmap& picture, QColor colour) {
    if (picture.isNull()) return false;
    const QImage image = picture.toImage();
    return near(image.pixel(image.width() / 2, image.height() / 2), colour);
}

// The centre of the icon as a cell of the home screen or launcher paints it.
bool cellDrawsColour(home::IconCell& cell, QColor colour) {
    const QImage shown = cell.grab().toImage();
    return near(shown.pixel(home::IconCell::kWidth / 2, 4 + 57 / 2), colour);
}

struct Tally {
    int found = 0;
    int drawn = 0;
};

TEST(RealDeviceIcons, EveryPlaceFindsAndDrawsEveryIconABundleNames) {
    test::HomeDevice device;
    const std::vector<RealApp> apps = realApps();
    std::vector<std::string> identifiers;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const std::string identifier = "com.example.real" + std::to_string(i);
        identifiers.push_back(identifier);
        device.makeApp(apps[i].folder, identifier, "Real " + std::to_string(i));
        auto info = plist::readDictionary(apps[i].folder + "/Info.plist");
        ASSERT_TRUE(info.has_value());
        info->insert(apps[i].icons.begin(), apps[i].icons.end());
        device.writeFile(apps[i].folder + "/Info.plist", plist::toXml(plist::Value(*info)));
        for (const IconFile& file : apps[i].files) {
            device.writeFile(apps[i].folder + "/" + file.name, solidPng(colourOf(i), file));
        }
    }
    const int total = static_cast<int>(apps.size());
    const platform::DeviceAppServices services;

    // The list cells of the contents and add-items screens.
    Tally cells;
    std::vector<std::string> iconPaths;
    for (int i = 0; i < total; ++i) {
        const auto path = model::iconPathForDisplayIdentifier(services, identifiers[i]);
        cells.found += path.has_value();
        iconPaths.push_back(path.value_or(""));
        screens::EditTableCell cell(QStringLiteral("EditTableCell"), services);
        cell.setDisplayIdentifier(identifiers[i]);
        cells.drawn += drawsColour(cell.imageView()->pixmap(), colourOf(i));
    }

    // The icon picker, shown the very files the bundles hold.
    Tally picker;
    for (int i = 0; i < total; ++i) {
        const std::string copy = "/var/mobile/Media/Nestora/Icons/real" + std::to_string(i) + ".png";
        device.writeFile(copy, device.readFile(iconPaths[i]));
        picker.found += device.exists(copy);
        screens::CategoryIcon icon(QRect(0, 0, 80, 102), copy);
        picker.drawn += drawsColour(icon.image(), colourOf(i));
    }

    // The category list: a category per app, given its icon by the tool.
    Tally categoryList;
    const platform::Preferences preferences;
    for (int i = 0; i < total; ++i) {
        char directory[24];
        std::snprintf(directory, sizeof directory, "Category%03d", i);
        device.addCategory(directory, "Real", {identifiers[i]});
        EXPECT_EQ(device.runTool({"-i", iconPaths[i], directory}), "");
        const std::string identifier = std::string(kCategoryIdentifierPrefix) + directory;
        categoryList.found += device.readFile(bundlePathForIdentifier(identifier) + "/icon.png") ==
                              device.readFile(iconPaths[i]);
        app::NestoraTableCell cell(QStringLiteral("NestoraTableCell"), preferences);
        cell.setBundleIdentifier(identifier);
        categoryList.drawn += drawsColour(cell.imageView()->pixmap(), colourOf(i));
    }

    // The home screen, and a category holding every app opened on it.
    device.addCategory("Category900", "All", identifiers);
    home::HomeScreen home;
    Tally homeScreen;
    Tally launcher;
    for (int i = 0; i < total; ++i) {
        for (const home::HomeIcon& icon : home.icons()) {
            if (icon.displayIdentifier != identifiers[i]) continue;
            homeScreen.found += model::iconPathForBundlePath(icon.bundlePath).has_value();
            home::IconCell cell(icon);
            homeScreen.drawn += cellDrawsColour(cell, colourOf(i));
        }
    }
    for (const home::HomeIcon& icon : home.icons()) {
        if (icon.displayIdentifier == std::string(kCategoryIdentifierPrefix) + "Category900") home.openIcon(icon);
    }
    ASSERT_NE(home.launcher(), nullptr);
    for (home::IconCell* cell : home.launcher()->cells()) {
        for (int i = 0; i < total; ++i) {
            if (cell->icon().displayIdentifier != identifiers[i]) continue;
            launcher.found += model::iconPathForBundlePath(cell->icon().bundlePath).has_value();
            launcher.drawn += cellDrawsColour(*cell, colourOf(i));
        }
    }

    const auto report = [total](const char* place, const Tally& tally) {
        std::cout << "icons of " << total << " real-device bundles in " << place << ": " << tally.found
                  << " found, " << tally.drawn << " drawn\n";
        EXPECT_EQ(tally.found, total) << place;
        EXPECT_EQ(tally.drawn, total) << place;
    };
    report("the list cells", cells);
    report("the icon picker", picker);
    report("the category list", categoryList);
    report("the home screen", homeScreen);
    report("the category launcher", launcher);
}

}  // namespace
}  // namespace nestora
