#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nestora::test {

// A binary property list under 1 MB: a dictionary whose `key` holds an array
// naming one 900 KB string 40,000 times (36 GB once every reader has copied
// it for each reference), and, when given, a CFBundleIdentifier.
std::string expandingList(const std::string& key, const std::string& identifier = "");

// A binary property list of objects already encoded, the first at the top,
// with 4-byte offsets and references `refSize` bytes wide.
std::string binaryListOf(const std::vector<std::string>& objects, std::size_t refSize);

}  // namespace nestora::test
