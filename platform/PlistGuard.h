#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nestora::plist {

// Checks, without recursion, that property-list bytes are safe to hand to
// libplist: for binary input the trailer, offset table and every object
// reference are in bounds, references form no cycle and no chain of
// containers is deeper than `maxDepth`; for XML, read by libplist's own
// rules of markup (PlistXmlGuard.cpp), no container is nested deeper than
// `maxDepth`, and what libplist could read otherwise than the guard
// (internal DOCTYPE subsets, NUL bytes) is refused.
// libplist copies an object once for every reference to it, so binary input
// whose references, expanded into a tree, would make more than
// kMaxExpandedObjects objects is refused too (a few hundred bytes could ask
// for 2^60 copies).
// Says nothing about whether the input is otherwise well formed.
inline constexpr std::uint64_t kMaxExpandedObjects = 1'000'000;
bool binaryWithinLimits(std::string_view bytes, std::size_t maxDepth);
bool xmlWithinLimits(std::string_view bytes, std::size_t maxDepth);

}  // namespace nestora::plist
