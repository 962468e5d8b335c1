#include "tool/TerminalText.h"

#include <algorithm>

#include "tool/TextArguments.h"

namespace nestora::tool {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out.append("\\x");
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
}

}  // namespace

std::string printableText(std::string_view text) {
    // Most text is printable ASCII throughout, and goes as it is.
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto lead = static_cast<unsigned char>(text.front());
        const std::size_t length = validSequenceLength(text);
        const bool c1Control = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
        if (length == 0 || lead < 0x20 || lead == 0x7F || c1Control) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
                appendEscaped(out, static_cast<unsigned char>(text[i]));
            }
            text.remove_prefix(std::max<std::size_t>(length, 1));
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace nestora::tool
