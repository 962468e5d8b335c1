#pragma once

#include <string>

namespace nestora::test {

// A binary property list under 1 MB: a dictionary whose `key` holds an array
// naming one 900 KB string 40,000 times (36 GB once every reader has copied
// it for each reference), and, when given, a CFBundleIdentifier.
std::string expandingList(const std::string& key, const std::string& identifier = "");

}  // namespace nestora::test
