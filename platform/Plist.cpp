#include "platform/Plist.h"

#include <plist/plist.h>

#include <climits>
#include <cmath>
#include <cstdint>

#include "platform/Files.h"
#include "platform/PlainBinaryPlist.h"
#include "platform/PlainPlist.h"
#include "platform/PlistGuard.h"
#include "platform/PlistNodes.h"
#include "platform/PlistText.h"

namespace nestora::plist {

// ---- Value ----------------------------------------------------------------

std::optional<bool> Value::boolean() const {
    if (auto* b = std::get_if<bool>(&v_)) return *b;
    return std::nullopt;
}

std::optional<std::int64_t> Value::integer() const {
    if (auto* i = std::get_if<std::int64_t>(&v_)) return *i;
    if (auto* d = std::get_if<double>(&v_)) {
        if (std::isfinite(*d) && *d > -9.2e18 && *d < 9.2e18) return static_cast<std::int64_t>(*d);
    }
    return std::nullopt;
}

std::optional<double> Value::real() const {
    if (auto* d = std::get_if<double>(&v_)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*i);
    return std::nullopt;
}

const std::string* Value::string() const { return std::get_if<std::string>(&v_); }
const Data* Value::data() const { return std::get_if<Data>(&v_); }
std::optional<Date> Value::date() const {
    if (auto* d = std::get_if<Date>(&v_)) return *d;
    return std::nullopt;
}
const Array* Value::array() const { return std::get_if<Array>(&v_); }
Array* Value::array() { return std::get_if<Array>(&v_); }
const Dictionary* Value::dictionary() const { return std::get_if<Dictionary>(&v_); }
Dictionary* Value::dictionary() { return std::get_if<Dictionary>(&v_); }

const Value* Value::find(std::string_view key) const {
    const Dictionary* dict = dictionary();
    if (dict == nullptr) return nullptr;
    auto it = dict->find(key);
    return it == dict->end() ? nullptr : &it->second;
}

std::optional<std::string> Value::stringForKey(std::string_view key) const {
    const Value* value = find(key);
    if (value == nullptr || value->string() == nullptr) return std::nullopt;
    return *value->string();
}

// libplist's XML reader refuses anything else, and its writers cut a string
// at a NUL.
bool isPlainText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // No overlong forms, surrogates or values past U+10FFFF.
        static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kMinimum[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// ---- libplist conversion ---------------------------------------------------

namespace {

bool allTextIsPlain(const Value& value) {
    switch (value.type()) {
    case Type::String:
        return isPlainText(*value.string());
    case Type::Array:
        for (const Value& item : *value.array()) {
            if (!allTextIsPlain(item)) return false;
        }
        return true;
    case Type::Dictionary:
        for (const auto& [key, item] : *value.dictionary()) {
            if (!isPlainText(key) || !allTextIsPlain(item)) return false;
        }
        return true;
    default:
        return true;
    }
}

}  // namespace

namespace {

// libplist's tree for guarded input; null for anything refused or malformed.
Node parseNode(std::string_view input, std::size_t maxBytes = kMaxInputBytes) {
    std::string converted;
    const auto text = plistBytesAsUtf8(input, converted);
    if (!text || input.size() > maxBytes || text->size() > maxBytes || text->size() > UINT32_MAX) return nullptr;
    const std::string_view bytes = *text;
    const bool binary = plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size())) != 0;
    if (binary ? !binaryWithinLimits(bytes, kMaxDepth, expandedByteBudget(maxBytes))
               : !xmlWithinLimits(bytes, kMaxDepth)) {
        return nullptr;
    }
    plist_t raw = nullptr;
    if (binary) {
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    } else {
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    }
    return Node(raw);
}

}  // namespace

std::optional<Value> parse(std::string_view bytes) { return parse(bytes, kMaxInputBytes); }

std::optional<Value> parse(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.empty()) return Value(Dictionary{});
    // Preferences files as every writer of them lays them out, without
    // libplist; anything else through it.
    if (auto quick = readPlainBinaryPlist(bytes, maxBytes)) return quick;
    return parseFully(bytes, maxBytes);
}

std::optional<Value> parseFully(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.empty()) return Value(Dictionary{});
    Node node = parseNode(bytes, maxBytes);
    if (!node) return std::nullopt;
    std::size_t depth = 0;
    std::optional<Value> value = valueFromNode(node.get(), kMaxDepth, &depth);
    if (value) freeKnownTree(std::move(node), depth);
    return value;
}

std::optional<Dictionary> readDictionaryKeys(std::string_view devicePath, std::initializer_list<std::string_view> keys) {
    auto bytes = files::readFileNotThroughLink(devicePath, kMaxInputBytes);
    if (!bytes) return std::nullopt;
    return dictionaryKeysOf(*bytes, keys);
}

std::optional<Dictionary> dictionaryKeysOf(std::string_view bytes, std::initializer_list<std::string_view> keys) {
    if (bytes.empty()) return Dictionary{};
    // Most Info.plists are plain dictionaries of strings: read those without
    // libplist, unless a wanted key holds something other than a string.
    if (auto plain = readPlainDictionaryView(bytes)) {
        bool onlyStrings = true;
        for (std::string_view key : keys) {
            for (const auto& other : plain->otherKeys) onlyStrings = onlyStrings && other != key;
        }
        if (onlyStrings) {
            Dictionary result;
            for (std::string_view key : keys) {
                if (auto text = plain->stringForKey(key)) result.insert_or_assign(std::string(key), Value(std::string(*text)));
            }
            return result;
        }
    }
    Node node = parseNode(bytes);
    if (!node || plist_get_node_type(node.get()) != PLIST_DICT) return std::nullopt;
    Dictionary result;
    for (std::string_view key : keys) {
        plist_t item = plist_dict_get_item(node.get(), std::string(key).c_str());
        if (item == nullptr) continue;
        auto value = valueFromNode(item, kMaxDepth);
        if (!value) return std::nullopt;
        result.insert_or_assign(std::string(key), std::move(*value));
    }
    return result;
}

std::optional<Value> readFile(std::string_view devicePath) {
    auto bytes = files::readFile(devicePath, kMaxInputBytes);
    if (!bytes) return std::nullopt;
    return parse(*bytes);
}

std::optional<Dictionary> readDictionary(std::string_view devicePath) {
    auto value = readFile(devicePath);
    if (!value || !value->isDictionary()) return std::nullopt;
    return std::move(*value->dictionary());
}

std::string toXml(const Value& value) {
    if (!allTextIsPlain(value)) return {};
    Node node = nodeFromValue(value);
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node.get(), &out, &length);
    std::string xml = out ? std::string(out, length) : std::string();
    plist_to_xml_free(out);
    return xml;
}

std::string toBinary(const Value& value) {
    if (!allTextIsPlain(value)) return {};
    Node node = nodeFromValue(value);
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node.get(), &out, &length);
    std::string bin = out ? std::string(out, length) : std::string();
    plist_to_bin_free(out);
    return bin;
}

bool writeXmlAtomically(std::string_view devicePath, const Value& value) {
    const std::string xml = toXml(value);
    if (xml.empty()) return false;
    return files::writeFileAtomically(devicePath, xml);
}

}  // namespace nestora::plist
