#include "platform/Plist.h"

#include <plist/plist.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/Files.h"
#include "platform/PlainPlist.h"
#include "platform/PlistGuard.h"

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

struct NodeFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeFree>;

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

// Depth is bounded by the guard (or by the value we built), so recursion is safe.
std::optional<Value> fromNode(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT:
    case PLIST_UID: {
        uint64_t u = 0;
        if (plist_get_node_type(node) == PLIST_UINT) plist_get_uint_val(node, &u);
        else plist_get_uid_val(node, &u);
        // libplist keeps every integer as 64 unsigned bits; signed values
        // come back through the two's-complement cast.
        return Value(static_cast<std::int64_t>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t length = 0;
        const char* p = plist_get_string_ptr(node, &length);
        std::string text(p ? p : "", p ? length : 0);
        if (!isPlainText(text)) return std::nullopt;
        return Value(std::move(text));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* p = plist_get_data_ptr(node, &length);
        Data data;
        if (p) data.assign(reinterpret_cast<const std::uint8_t*>(p), reinterpret_cast<const std::uint8_t*>(p) + length);
        return Value(std::move(data));
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return Value(Date{static_cast<double>(sec) + static_cast<double>(usec) / 1e6});
    }
    case PLIST_ARRAY: {
        Array array;
        const uint32_t count = plist_array_get_size(node);
        array.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            plist_t item = plist_array_get_item(node, i);
            if (item == nullptr) return std::nullopt;
            auto value = fromNode(item);
            if (!value) return std::nullopt;
            array.push_back(std::move(*value));
        }
        return Value(std::move(array));
    }
    case PLIST_DICT: {
        Dictionary dict;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        bool ok = true;
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (item == nullptr) {
                std::free(key);
                break;
            }
            auto value = fromNode(item);
            if (!value || key == nullptr || !isPlainText(key)) {
                std::free(key);
                ok = false;
                break;
            }
            dict.insert_or_assign(std::string(key), std::move(*value));
            std::free(key);
        }
        std::free(iter);
        if (!ok) return std::nullopt;
        return Value(std::move(dict));
    }
    default:
        return std::nullopt;
    }
}

Node toNode(const Value& value) {
    switch (value.type()) {
    case Type::Boolean:
        return Node(plist_new_bool(*value.boolean() ? 1 : 0));
    case Type::Integer:
        return Node(plist_new_uint(static_cast<uint64_t>(*value.integer())));
    case Type::Real:
        return Node(plist_new_real(*value.real()));
    case Type::String:
        return Node(plist_new_string(value.string()->c_str()));
    case Type::Data: {
        const Data& data = *value.data();
        return Node(plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
    }
    case Type::Date: {
        // libplist holds whole seconds in 32 bits (about 1933 to 2069): a
        // date read from elsewhere that lies outside is written as the
        // nearest one it can hold, never converted out of range.
        double seconds = value.date()->secondsSinceReferenceDate;
        if (!std::isfinite(seconds)) seconds = 0;
        seconds = std::clamp(seconds, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX));
        const double whole = std::floor(seconds);
        return Node(plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>(std::lround((seconds - whole) * 1e6))));
    }
    case Type::Array: {
        Node node(plist_new_array());
        for (const Value& item : *value.array()) {
            plist_array_append_item(node.get(), toNode(item).release());
        }
        return node;
    }
    case Type::Dictionary: {
        Node node(plist_new_dict());
        for (const auto& [key, item] : *value.dictionary()) {
            plist_dict_set_item(node.get(), key.c_str(), toNode(item).release());
        }
        return node;
    }
    }
    return Node(plist_new_dict());
}

}  // namespace

namespace {

// libplist's tree for guarded input; null for anything refused or malformed.
Node parseNode(std::string_view bytes, std::size_t maxBytes = kMaxInputBytes) {
    if (bytes.size() > maxBytes || bytes.size() > UINT32_MAX) return nullptr;
    const bool binary = plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size())) != 0;
    if (binary ? !binaryWithinLimits(bytes, kMaxDepth) : !xmlWithinLimits(bytes, kMaxDepth)) {
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
    Node node = parseNode(bytes, maxBytes);
    if (!node) return std::nullopt;
    return fromNode(node.get());
}

std::optional<Dictionary> readDictionaryKeys(std::string_view devicePath, std::initializer_list<std::string_view> keys) {
    auto bytes = files::readFileNotThroughLink(devicePath, kMaxInputBytes);
    if (!bytes) return std::nullopt;
    if (bytes->empty()) return Dictionary{};
    // Most Info.plists are plain dictionaries of strings: read those without
    // libplist, unless a wanted key holds something other than a string.
    if (auto plain = readPlainDictionary(*bytes)) {
        bool onlyStrings = true;
        for (std::string_view key : keys) {
            for (const auto& other : plain->otherKeys) onlyStrings = onlyStrings && other != key;
        }
        if (onlyStrings) {
            Dictionary result;
            for (std::string_view key : keys) {
                if (auto text = plain->stringForKey(key)) result.insert_or_assign(std::string(key), Value(std::move(*text)));
            }
            return result;
        }
    }
    Node node = parseNode(*bytes);
    if (!node || plist_get_node_type(node.get()) != PLIST_DICT) return std::nullopt;
    Dictionary result;
    for (std::string_view key : keys) {
        plist_t item = plist_dict_get_item(node.get(), std::string(key).c_str());
        if (item == nullptr) continue;
        auto value = fromNode(item);
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
    Node node = toNode(value);
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node.get(), &out, &length);
    std::string xml = out ? std::string(out, length) : std::string();
    plist_to_xml_free(out);
    return xml;
}

std::string toBinary(const Value& value) {
    if (!allTextIsPlain(value)) return {};
    Node node = toNode(value);
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
