#pragma once

// Text that comes from outside (file names, stored values) as it is shown
// in one line of a control: it cannot break the line, reorder the text
// around it or show bytes that are not UTF-8 as anything but U+FFFD.

#include <QString>

#include <string_view>

namespace nestora::ui {

// Control characters, line and paragraph separators and the bidirectional
// embedding, override and isolate marks each become U+FFFD.
QString singleLineText(const QString& text);

// The same for UTF-8 bytes; each malformed sequence becomes U+FFFD.
QString singleLineText(std::string_view utf8);

}  // namespace nestora::ui
