#pragma once

// Images read from the device: the app's own bundle images by name, and
// icon files by device path. Every read goes to the file again; nothing is
// cached, so a changed icon shows the next time a cell is configured.

#include <QPixmap>

#include <string_view>

namespace nestora::ui {

// The app's own bundle, where its images and the tool live.
inline constexpr std::string_view kAppBundlePath = "/Applications/Nestora.app";

// A PNG (or any image Qt reads) at a device path; a null pixmap when the file
// is missing, unreadable, too large or not an image.
QPixmap imageAtPath(std::string_view devicePath);

// An image of the app's bundle by file name ("dock.png").
QPixmap imageNamed(std::string_view name);

}  // namespace nestora::ui
