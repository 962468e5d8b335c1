#pragma once

// Property-list values and their file formats. libplist is the codec; the
// value type here is plain data that owns everything it holds, so callers
// never see a libplist node or have to free anything.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nestora::plist {

class Value;

using Array = std::vector<Value>;
// Keys kept sorted, as the platform's dictionary writer emits them.
using Dictionary = std::map<std::string, Value, std::less<>>;
using Data = std::vector<std::uint8_t>;

// Seconds since 2001-01-01 00:00:00 UTC, the property-list epoch.
struct Date {
    double secondsSinceReferenceDate = 0;
    bool operator==(const Date&) const = default;
};

enum class Type { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

class Value {
public:
    Value() : v_(Dictionary{}) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(std::int64_t{i}) {}
    Value(std::int64_t i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(Data d) : v_(std::move(d)) {}
    Value(Date d) : v_(d) {}
    Value(Array a) : v_(std::move(a)) {}
    Value(Dictionary d) : v_(std::move(d)) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    // A property-list number: integer or real.
    bool isNumber() const { return isInteger() || isReal(); }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Typed access; none when the value is of another type.
    std::optional<bool> boolean() const;
    std::optional<std::int64_t> integer() const;  // an integer, or a real truncated toward zero
    std::optional<double> real() const;           // a real, or an integer converted
    const std::string* string() const;
    const Data* data() const;
    std::optional<Date> date() const;
    const Array* array() const;
    Array* array();
    const Dictionary* dictionary() const;
    Dictionary* dictionary();

    // Dictionary lookup; null when this is not a dictionary or has no such key.
    const Value* find(std::string_view key) const;
    // The string under a key of a dictionary, if it is one.
    std::optional<std::string> stringForKey(std::string_view key) const;

    bool operator==(const Value&) const = default;

private:
    std::variant<bool, std::int64_t, double, std::string, Data, Date, Array, Dictionary> v_;
};

// Input larger than this, or nested deeper than kMaxDepth, is refused before
// libplist sees it: libplist recurses while parsing and freeing, and a
// set-user-id caller runs on whatever stack limit its invoker set.
inline constexpr std::size_t kMaxInputBytes = 1024 * 1024;
inline constexpr std::size_t kMaxDepth = 512;

// Text a property list can hold: UTF-8 without NUL characters.
bool isPlainText(std::string_view text);

// Parses XML or binary (detected). Zero bytes parse as an empty dictionary.
// XML may start with a UTF-8 byte-order mark or be UTF-16 (PlistText.h).
// None for malformed, oversized or too deeply nested input, and for text
// that is not UTF-8 or holds a NUL character.
std::optional<Value> parse(std::string_view bytes);
// The same for input allowed up to `maxBytes` instead of kMaxInputBytes (a
// backup carries every category's icon); depth and expansion stay guarded.
std::optional<Value> parse(std::string_view bytes, std::size_t maxBytes);
// The same, always through libplist and its guard: what the quick reads
// must agree with (tests and fuzz targets judge them by it).
std::optional<Value> parseFully(std::string_view bytes, std::size_t maxBytes = kMaxInputBytes);

// Reads a property-list file; none when it cannot be read or is malformed.
// A zero-byte file reads as an empty dictionary.
std::optional<Value> readFile(std::string_view devicePath);

// Reads a file that must hold a dictionary; none otherwise.
std::optional<Dictionary> readDictionary(std::string_view devicePath);

// As readDictionary, but converts only the named top-level keys (absent ones
// are simply missing): scans that need a key or two of many files (bundles'
// Info.plists) use this. A link at the path itself is not followed.
std::optional<Dictionary> readDictionaryKeys(std::string_view devicePath, std::initializer_list<std::string_view> keys);
// The same, of bytes already read.
std::optional<Dictionary> dictionaryKeysOf(std::string_view bytes, std::initializer_list<std::string_view> keys);

// Serialisations. XML is the platform writer's layout (tab-indented, with the
// XML declaration and DOCTYPE); binary is format "bplist00" (version 1.0).
// Text must be UTF-8 without NUL characters (parse refuses anything else
// too); otherwise the result is empty, which no property list is.
std::string toXml(const Value& value);
std::string toBinary(const Value& value);

// Writes XML through files::writeFileAtomically.
bool writeXmlAtomically(std::string_view devicePath, const Value& value);

}  // namespace nestora::plist
