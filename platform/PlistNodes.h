#pragma once

// libplist's trees, which nothing outside the property-list layer sees
// (tests use them to judge the guards). Input decides how deep a parsed tree
// nests, so everything here that walks one does so with a stack of its own:
// no tree can exhaust the call stack, whatever a guard in front missed, on
// whatever stack limit a set-user-id caller's invoker set.

#include <plist/plist.h>

#include <cstddef>
#include <memory>
#include <optional>

#include "platform/Plist.h"

namespace nestora::plist {

// Frees a tree without recursion (libplist's plist_free recurses once per level).
void freeNode(plist_t node);

struct NodeFree {
    void operator()(plist_t node) const { freeNode(node); }
};
using Node = std::unique_ptr<void, NodeFree>;

// The value of a tree; none when containers nest deeper than `maxDepth`, or
// a string, key or dictionary key is not text a property list can hold.
std::optional<Value> valueFromNode(plist_t node, std::size_t maxDepth);

// A tree for a value. Recurses once per level, so only for values whose
// depth this program bounds: those parsed here, and those it builds itself.
Node nodeFromValue(const Value& value);

}  // namespace nestora::plist
