#pragma once

// Python's plistlib as an independent judge of the property lists we write
// and as an independent writer of the ones we read.

#include <optional>
#include <string>

namespace nestora::test {

// Python that imports datetime, json, plistlib and sys and defines conv(v):
// a value plistlib read, made JSON-ready as plistlibJson describes.
extern const char* const kPlistToJsonPython;

// Loads the file with plistlib and returns the value as JSON with sorted keys
// (data as {"data": hex}, dates as {"date": iso}, booleans as true/false, so
// that a boolean and an integer are told apart); none when plistlib fails.
std::optional<std::string> plistlibJson(const std::string& hostPath);

// Writes `pythonLiteral` (a Python expression, e.g. "{'a': [1, True]}") to the
// host path with plistlib in the given format ("xml" or "binary").
bool plistlibWrite(const std::string& hostPath, const std::string& pythonLiteral, const std::string& format);

// Writes UTF-8 `text` to the host path encoded by Python: "utf-8-bom",
// "utf-16-le-bom", "utf-16-be-bom" (byte-order mark first) or "utf-16-le"
// (none), as some real apps' Info.plists are stored.
bool writeEncodedText(const std::string& hostPath, const std::string& text, const std::string& encoding);

}  // namespace nestora::test
