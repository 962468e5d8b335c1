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
// `depth`, where given, is set to how deep the containers nest (0 for a
// scalar, 1 for a container of scalars) when the value is made.
std::optional<Value> valueFromNode(plist_t node, std::size_t maxDepth, std::size_t* depth = nullptr);

// Frees a tree the caller knows to nest no deeper than kShallowTree
// through libplist itself, at the cost of a few calls per item rather than
// a removal each; deeper trees as freeNode does.
inline constexpr std::size_t kShallowTree = 16;
void freeKnownTree(Node node, std::size_t depth);

// A tree for a value. Recurses once per level, so only for values whose
// depth this program bounds: those parsed here, and those it builds itself.
Node nodeFromValue(const Value& value);

}  // namespace nestora::plist
