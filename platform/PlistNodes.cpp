#include "platform/PlistNodes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace nestora::plist {

namespace {

struct FreeWithFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
using Malloced = std::unique_ptr<void, FreeWithFree>;

bool isContainer(plist_t node) {
    const plist_type type = plist_get_node_type(node);
    return type == PLIST_ARRAY || type == PLIST_DICT;
}

// The first item of a container (value of the first entry for a dictionary),
// with the entry's key for a dictionary; null when it is empty.
plist_t firstItem(plist_t node, std::string* key) {
    if (plist_get_node_type(node) == PLIST_ARRAY) {
        return plist_array_get_size(node) > 0 ? plist_array_get_item(node, 0) : nullptr;
    }
    plist_dict_iter raw = nullptr;
    plist_dict_new_iter(node, &raw);
    Malloced iter(raw);
    char* name = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, raw, &name, &item);
    Malloced owned(name);
    if (item != nullptr && key != nullptr) *key = name != nullptr ? name : "";
    return item;
}

// A value that holds no other.
std::optional<Value> scalarFromNode(plist_t node) {
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
    default:
        return std::nullopt;
    }
}

// One container being converted: its value so far and where its walk stands.
struct Frame {
    plist_t node;
    Value value;
    uint32_t next = 0;  // arrays: the next index
    Malloced iter;      // dictionaries: libplist's iterator
    std::string key;    // dictionaries: the key of the item being converted

    explicit Frame(plist_t container) : node(container) {
        if (plist_get_node_type(container) == PLIST_DICT) {
            value = Value(Dictionary{});
            plist_dict_iter raw = nullptr;
            plist_dict_new_iter(container, &raw);
            iter.reset(raw);
        } else {
            Array items;
            items.reserve(plist_array_get_size(container));
            value = Value(std::move(items));
        }
    }

    // The next item, with `key` set for a dictionary; null at the end. False
    // when a key is not text.
    bool nextItem(plist_t& item) {
        item = nullptr;
        if (value.isArray()) {
            if (next < plist_array_get_size(node)) {
                item = plist_array_get_item(node, next++);
                if (item == nullptr) return false;
            }
            return true;
        }
        char* name = nullptr;
        plist_dict_next_item(node, iter.get(), &name, &item);
        Malloced owned(name);
        if (item == nullptr) return true;
        if (name == nullptr || !isPlainText(name)) return false;
        key = name;
        return true;
    }

    void add(Value item) {
        if (Array* array = value.array()) {
            array->push_back(std::move(item));
        } else {
            value.dictionary()->insert_or_assign(std::move(key), std::move(item));
        }
    }
};

}  // namespace

void freeNode(plist_t node) {
    if (node == nullptr) return;
    // Take the tree apart from the first item down: an item is removed only
    // once it is a scalar or an empty container, so libplist never recurses
    // more than one level. Taking the first item keeps each removal cheap.
    std::vector<plist_t> path{node};
    while (!path.empty()) {
        plist_t current = path.back();
        std::string key;
        plist_t item = isContainer(current) ? firstItem(current, &key) : nullptr;
        if (item == nullptr) {
            path.pop_back();
            if (path.empty()) plist_free(current);
            continue;  // an emptied container goes with its parent's next removal
        }
        if (isContainer(item) && firstItem(item, nullptr) != nullptr) {
            path.push_back(item);
        } else if (plist_get_node_type(current) == PLIST_ARRAY) {
            plist_array_remove_item(current, 0);
        } else {
            plist_dict_remove_item(current, key.c_str());
        }
    }
}

void freeKnownTree(Node node, std::size_t depth) {
    // libplist's own free recurses once per level: a few frames here.
    if (depth <= kShallowTree) plist_free(node.release());
}

std::optional<Value> valueFromNode(plist_t node, std::size_t maxDepth, std::size_t* depth) {
    if (depth != nullptr) *depth = 0;
    if (!isContainer(node)) return scalarFromNode(node);
    if (maxDepth == 0) return std::nullopt;
    std::vector<Frame> stack;
    stack.emplace_back(node);
    std::size_t deepest = 1;
    while (!stack.empty()) {
        plist_t item = nullptr;
        if (!stack.back().nextItem(item)) return std::nullopt;
        deepest = std::max(deepest, stack.size());
        if (item == nullptr) {
            Value done = std::move(stack.back().value);
            stack.pop_back();
            if (stack.empty()) {
                if (depth != nullptr) *depth = deepest;
                return done;
            }
            stack.back().add(std::move(done));
        } else if (isContainer(item)) {
            if (stack.size() >= maxDepth) return std::nullopt;
            stack.emplace_back(item);
        } else {
            auto scalar = scalarFromNode(item);
            if (!scalar) return std::nullopt;
            stack.back().add(std::move(*scalar));
        }
    }
    return std::nullopt;
}

Node nodeFromValue(const Value& value) {
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
        return Node(plist_new_date(static_cast<int32_t>(whole),
                                   static_cast<int32_t>(std::lround((seconds - whole) * 1e6))));
    }
    case Type::Array: {
        Node node(plist_new_array());
        for (const Value& item : *value.array()) {
            plist_array_append_item(node.get(), nodeFromValue(item).release());
        }
        return node;
    }
    case Type::Dictionary: {
        Node node(plist_new_dict());
        for (const auto& [key, item] : *value.dictionary()) {
            plist_dict_set_item(node.get(), key.c_str(), nodeFromValue(item).release());
        }
        return node;
    }
    }
    return Node(plist_new_dict());
}

}  // namespace nestora::plist
