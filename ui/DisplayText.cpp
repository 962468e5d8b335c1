#include "ui/DisplayText.h"

namespace nestora::ui {

namespace {

bool breaksTheLine(char16_t c) {
    if (c < 0x20 || (c >= 0x7f && c < 0xa0)) return true;       // C0 and C1 controls
    if (c == 0x2028 || c == 0x2029) return true;                 // line and paragraph separators
    if (c >= 0x202a && c <= 0x202e) return true;                 // embeddings and overrides
    return c >= 0x2066 && c <= 0x2069;                           // isolates
}

}  // namespace

QString singleLineText(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (breaksTheLine(c.unicode())) {
            c = QChar::ReplacementCharacter;
        }
    }
    return line;
}

QString singleLineText(std::string_view utf8) {
    return singleLineText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace nestora::ui
