#pragma once

// libplist's own reading of XML, the judge of the guard in front of it (used
// by the tests and the fuzz targets, so header-only): how deep the
// containers of the tree it builds nest, or none when it refuses the text.

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PlistNodes.h"

namespace nestora::test {

inline std::optional<std::size_t> libplistXmlDepth(std::string_view xml) {
    plist_t raw = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &raw);
    plist::Node tree(raw);
    if (!tree) return std::nullopt;
    std::size_t deepest = 0;
    std::vector<std::pair<plist_t, std::size_t>> pending{{tree.get(), 0}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        const plist_type type = plist_get_node_type(node);
        if (type != PLIST_ARRAY && type != PLIST_DICT) continue;
        deepest = std::max(deepest, depth + 1);
        if (type == PLIST_ARRAY) {
            for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
                pending.emplace_back(plist_array_get_item(node, i), depth + 1);
            }
            continue;
        }
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (plist_t item = nullptr;;) {
            plist_dict_next_item(node, iter, nullptr, &item);
            if (item == nullptr) break;
            pending.emplace_back(item, depth + 1);
        }
        std::free(iter);
    }
    return deepest;
}

}  // namespace nestora::test
