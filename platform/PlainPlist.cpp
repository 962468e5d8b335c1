#include "platform/PlainPlist.h"

#include <unordered_set>

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
        for (char c : content) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '&' || c == '>' || (byte < 0x20 && c != '\t' && c != '\n')) {
                return std::nullopt;
            }
        }
        if (!isPlainText(content)) {
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

std::optional<std::string> PlainDictionary::stringForKey(std::string_view key) const {
    for (const auto& [name, value] : strings) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<PlainDictionary> readPlainDictionary(std::string_view bytes) {
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
    PlainDictionary result;
    std::unordered_set<std::string_view> keys;
    while (!cursor.take("</dict>")) {
        auto key = cursor.element(kKey);
        if (!key || key->empty() || !keys.insert(*key).second) {
            return std::nullopt;  // not a key, an empty key, or a key twice
        }
        if (auto value = cursor.element(kString)) {
            result.strings.emplace_back(std::string(*key), std::string(*value));
        } else if (cursor.take("<true/>") || cursor.take("<false/>")) {
            result.otherKeys.emplace_back(*key);
        } else if (auto digits = cursor.element(kInteger); digits && isPlainInteger(*digits)) {
            result.otherKeys.emplace_back(*key);
        } else {
            return std::nullopt;
        }
    }
    if (!cursor.take("</plist>")) {
        return std::nullopt;
    }
    cursor.skipSpace();
    if (!cursor.atEnd()) {
        return std::nullopt;
    }
    return result;
}

}  // namespace nestora::plist
