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
// libplist copies an object once for every reference to it, and so does our
// conversion into values, so binary input whose references, expanded into a
// tree, would make more than kMaxExpandedObjects objects is refused (a few
// hundred bytes could ask for 2^60 copies), and so is input whose expanded
// tree would hold more bytes than its budget (one long string referenced
// many times): the text of its strings and keys, the bytes of its data, and
// kBytesPerObject for each object, summed over the expanded tree. XML holds
// no references; its objects are counted against the same cap.
// Says nothing about whether the input is otherwise well formed.
inline constexpr std::uint64_t kMaxExpandedObjects = 1'000'000;
inline constexpr std::uint64_t kBytesPerObject = 16;
// Ample for any real preferences file or Info.plist. The budget is not tied
// to the file's own size: our writer shares every equal string, so a file
// it rewrites may come out far smaller than the tree it holds, and must
// still read.
inline constexpr std::uint64_t kMaxExpandedBytes = 16 * 1024 * 1024;

// The bytes input may expand to: kMaxExpandedBytes, or for a caller that
// reads larger files (a backup with every icon) its own input limit.
std::uint64_t expandedByteBudget(std::size_t maxInputBytes);

bool binaryWithinLimits(std::string_view bytes, std::size_t maxDepth, std::uint64_t maxExpandedBytes);
bool xmlWithinLimits(std::string_view bytes, std::size_t maxDepth);

}  // namespace nestora::plist
