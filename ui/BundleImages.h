#pragma once

// Images read from the device: the app's own bundle images by name, and
// icon files by device path. Every read goes to the file again; nothing is
// cached, so a changed icon shows the next time a cell is configured.
//
// Image files are outside input: one that is too large, in bytes or in
// pixels, is not decoded at all, so a small file that claims a huge picture
// cannot take the app's memory.

#include <QPixmap>
#include <QSize>

#include <string_view>

namespace nestora::ui {

// The app's own bundle, where its images and the tool live.
inline constexpr std::string_view kAppBundlePath = "/Applications/Nestora.app";

// Files and pictures larger than these are not icons and are not decoded.
inline constexpr std::size_t kImageByteLimit = 4 * 1024 * 1024;
inline constexpr int kImageSideLimit = 2048;

// A PNG (or any image Qt reads) at a device path; a null pixmap when the file
// is missing, unreadable, too large or not an image.
QPixmap imageAtPath(std::string_view devicePath);

// The same, scaled down (keeping its proportions) to fit `bounds` when it is
// larger; smaller images keep their size.
QPixmap imageAtPath(std::string_view devicePath, QSize bounds);

// An image of the app's bundle by file name ("dock.png").
QPixmap imageNamed(std::string_view name);

}  // namespace nestora::ui
