#include "platform/PlainPlist.h"

#include <algorithm>
#include <array>

#include "platform/Plist.h"
#include "platform/PlistText.h"

namespace nestora::plist {

namespace {

struct ElementTags {
    std::string_view open;
    std::string_view empty;
    std::string_view close;
};

constexpr ElementTags kKey{"<key>", "<key/>", "</key>"};
constexpr ElementTags kString{"<string>", "<string/>", "</string>"};
constexpr ElementTags kInteger{"<integer>", "<integer/>", "</integer>"};

// How a byte of character data counts: '&' (an entity), '>' and control
// characters but tab and newline are no plain text; bytes from 0x80 on are
// UTF-8 to be checked.
constexpr unsigned char kRefused = 1;
constexpr unsigned char kNotAscii = 2;
constexpr auto kTextByte = [] {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '&' || byte == '>' || (byte < 0x20 && byte != '\t' && byte != '\n')) table[byte] = kRefused;
        if (byte >= 0x80) table[byte] = kNotAscii;
    }
    return table;
}();

// A cursor over the bytes; every method either consumes what it expects and
// returns true, or leaves the cursor where it was and returns false.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : rest_(bytes) {}

    bool atEnd() const { return rest_.empty(); }

    void skipSpace() {
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t' || rest_.front() == '\n')) {
            rest_.remove_prefix(1);
        }
    }

    bool take(std::string_view token) {
        skipSpace();
        if (!rest_.starts_with(token)) {
            return false;
        }
        rest_.remove_prefix(token.size());
        return true;
    }

    // Character data up to the next '<': plain text only.
    std::optional<std::string_view> text() {
        const std::size_t end = rest_.find('<');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view content = rest_.substr(0, end);
        // Each byte sorted by one look in a table: text that is plain ASCII
        // as it stands, text to check as UTF-8, or no plain text.
        unsigned char seen = 0;
        for (char c : content) seen |= kTextByte[static_cast<unsigned char>(c)];
        if ((seen & kRefused) != 0) {
            return std::nullopt;
        }
        const bool ascii = (seen & kNotAscii) == 0;
        // Text of ASCII bytes with no control character is plain already.
        if (!ascii && !isPlainText(content)) {
            return std::nullopt;
        }
        rest_.remove_prefix(end);
        return content;
    }

    // <name>text</name>, or <name/> for the empty text.
    std::optional<std::string_view> element(const ElementTags& tags);

private:
    std::string_view rest_;
};

std::optional<std::string_view> Cursor::element(const ElementTags& tags) {
    skipSpace();
    if (rest_.starts_with(tags.empty)) {
        rest_.remove_prefix(tags.empty.size());
        return std::string_view();
    }
    const std::string_view saved = rest_;
    if (!rest_.starts_with(tags.open)) {
        return std::nullopt;
    }
    rest_.remove_prefix(tags.open.size());
    auto content = text();
    if (!content || !rest_.starts_with(tags.close)) {
        rest_ = saved;
        return std::nullopt;
    }
    rest_.remove_prefix(tags.close.size());
    return content;
}

bool isPlainInteger(std::string_view digits) {
    if (digits.starts_with('-')) {
        digits.remove_prefix(1);
    }
    // Short enough never to overflow, so no range question can arise.
    if (digits.empty() || digits.size() > 18) {
        return false;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

namespace {

// The value under a key in a list of key and value pairs.
template <typename Pairs>
std::optional<typename Pairs::value_type::second_type> valueFor(const Pairs& pairs, std::string_view key) {
    for (const auto& [name, value] : pairs) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> PlainDictionary::stringForKey(std::string_view key) const { return valueFor(strings, key); }

std::optional<std::string_view> PlainDictionaryView::stringForKey(std::string_view key) const {
    return valueFor(strings, key);
}

namespace {

// Whether a key comes twice: pair by pair for the dozen keys an Info.plist
// has, sorted for a file of thousands.
bool holdsDuplicate(std::vector<std::string_view>& keys) {
    constexpr std::size_t kFewKeys = 32;
    if (keys.size() <= kFewKeys) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            for (std::size_t k = i + 1; k < keys.size(); ++k) {
                if (keys[i] == keys[k]) return true;
            }
        }
        return false;
    }
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

}  // namespace

std::optional<PlainDictionaryView> readPlainDictionaryView(std::string_view bytes) {
    // A UTF-8 byte-order mark goes as for the full parse; UTF-16 text is the
    // full parser's to convert.
    if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
    Cursor cursor(bytes);
    // Only the prologue every property-list writer emits; any other is the
    // full parser's to judge.
    cursor.take(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    cursor.take(R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">)");
    if (!cursor.take(R"(<plist version="1.0">)") && !cursor.take("<plist>")) {
        return std::nullopt;
    }
    if (!cursor.take("<dict>")) {
        return std::nullopt;
    }
    PlainDictionaryView result;
    std::vector<std::string_view> keys;
    // Room for the keys an Info.plist has, as a rule.
    constexpr std::size_t kUsualKeys = 16;
    result.strings.reserve(kUsualKeys);
    keys.reserve(kUsualKeys);
    while (!cursor.take("</dict>")) {
        auto key = cursor.element(kKey);
        if (!key || key->empty()) {
            return std::nullopt;  // not a key, or an empty key
        }
        keys.push_back(*key);
        if (auto value = cursor.element(kString)) {
            result.strings.emplace_back(*key, *value);
        } else if (cursor.take("<true/>") || cursor.take("<false/>")) {
            result.otherKeys.push_back(*key);
        } else if (auto digits = cursor.element(kInteger); digits && isPlainInteger(*digits)) {
            result.otherKeys.push_back(*key);
        } else {
            return std::nullopt;
        }
    }
    if (!cursor.take("</plist>")) {
        return std::nullopt;
    }
    cursor.skipSpace();
    if (!cursor.atEnd() || holdsDuplicate(keys)) {
        return std::nullopt;  // something after the list, or a key twice
    }
    return result;
}

std::optional<PlainDictionary> readPlainDictionary(std::string_view bytes) {
    std::optional<PlainDictionaryView> view = readPlainDictionaryView(bytes);
    if (!view) {
        return std::nullopt;
    }
    PlainDictionary result;
    result.strings.reserve(view->strings.size());
    for (const auto& [key, value] : view->strings) result.strings.emplace_back(key, value);
    result.otherKeys.assign(view->otherKeys.begin(), view->otherKeys.end());
    return result;
}

}  // namespace nestora::plist
