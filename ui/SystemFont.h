#pragma once

// The phone draws its screens in Helvetica. We draw them in Nimbus Sans, a
// face with Helvetica's shapes and widths from Debian's fonts-urw-base35,
// loaded from its files: which font a machine's fontconfig picks for the
// name "Helvetica" (DejaVu Sans, much wider, on a plain Debian) no longer
// changes where a title wraps or a label is cut.

#include <QFont>
#include <QString>

namespace nestora::ui {

// Where fonts-urw-base35 installs its OpenType files.
inline constexpr const char* kSystemFontFolder = "/usr/share/fonts/opentype/urw-base35";

// Loads the regular and bold faces from kSystemFontFolder and makes the
// family the application's font. Call once the QApplication exists, before
// any widget is made. False when a face cannot be loaded: the screens then
// ask fontconfig for "Helvetica", as before.
bool loadSystemFont();

// The family every screen is drawn in: the loaded one, or "Helvetica".
QString systemFontFamily();
// The family at a pixel size (points on the phone's 320-point screen).
QFont systemFont(int pixelSize, bool bold = false);
// The same as a style-sheet declaration: "font: bold 18px 'Nimbus Sans';".
QString systemFontStyle(int pixelSize, bool bold = false);

}  // namespace nestora::ui
