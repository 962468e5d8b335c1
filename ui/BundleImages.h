#pragma once

// The one image loader of the house: the app's own bundle images by name,
// icon files by device path, and pictures fetched for a page. Every read
// goes to the file again; nothing is cached, so a changed icon shows the next
// time a cell is configured.
//
// PNG files are read in both the standard form and the optimised one the
// phone's build tools write into app bundles (platform/PngDecoder); other
// formats are left to Qt's readers.
//
// Image files are outside input: one that is too large, in bytes or in
// pixels, is not decoded at all, so a small file that claims a huge picture
// cannot take the app's memory.

#include <QImage>
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

// The picture held in `bytes` (a file's or a download's); a null image when
// they are too many, no image, damaged, or the picture is too large.
QImage imageFromBytes(std::string_view bytes);

}  // namespace nestora::ui
