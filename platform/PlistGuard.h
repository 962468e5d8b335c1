#pragma once

#include <cstddef>
#include <string_view>

namespace nestora::plist {

// Checks, without recursion, that property-list bytes are safe to hand to
// libplist: for binary input the trailer, offset table and every object
// reference are in bounds, references form no cycle and no chain of
// containers is deeper than `maxDepth`; for XML no element is nested deeper
// than `maxDepth` containers (plus the plist wrapper and a leaf).
// Says nothing about whether the input is otherwise well formed.
bool binaryWithinLimits(std::string_view bytes, std::size_t maxDepth);
bool xmlWithinLimits(std::string_view bytes, std::size_t maxDepth);

}  // namespace nestora::plist
