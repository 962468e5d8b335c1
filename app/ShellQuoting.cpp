#include "app/ShellQuoting.h"

namespace nestora::app {

namespace {

void replaceAll(std::string& text, char from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == from) {
            out.append(to);
        } else {
            out.push_back(c);
        }
    }
    text = std::move(out);
}

}  // namespace

std::string escapeForDoubleQuotes(std::string_view text) {
    std::string escaped(text);
    replaceAll(escaped, '\\', "\\\\");
    replaceAll(escaped, '$', "\\$");
    replaceAll(escaped, '`', "\\`");
    replaceAll(escaped, '"', "\\\"");
    return escaped;
}

std::string doubleQuotedWord(std::string_view text) {
    return "\"" + escapeForDoubleQuotes(text) + "\"";
}

}  // namespace nestora::app
