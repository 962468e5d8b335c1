#include "tests/support/ExpandingPlist.h"

#include <cstdint>
#include <vector>

namespace nestora::test {

namespace {

void appendBigEndian(std::string& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string expandingList(const std::string& key, const std::string& identifier) {
    const auto text = [](const std::string& value) {
        std::string object(1, static_cast<char>(0x5F));
        object.push_back(static_cast<char>(0x12));
        appendBigEndian(object, value.size(), 4);
        return object + value;
    };
    std::string array{static_cast<char>(0xAF), static_cast<char>(0x12)};
    appendBigEndian(array, 40'000, 4);
    for (int i = 0; i < 40'000; ++i) appendBigEndian(array, 3, 2);
    std::string dictionary{static_cast<char>(identifier.empty() ? 0xD1 : 0xD2)};
    appendBigEndian(dictionary, 1, 2);
    if (!identifier.empty()) appendBigEndian(dictionary, 4, 2);
    appendBigEndian(dictionary, 2, 2);
    if (!identifier.empty()) appendBigEndian(dictionary, 5, 2);
    std::vector<std::string> objects = {dictionary, text(key), array, text(std::string(900'000, 'a'))};
    if (!identifier.empty()) {
        objects.push_back(text("CFBundleIdentifier"));
        objects.push_back(text(identifier));
    }
    return binaryListOf(objects, 2);
}

std::string binaryListOf(const std::vector<std::string>& objects, std::size_t refSize) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets) appendBigEndian(out, offset, 4);
    out.append(6, '\0');
    out.push_back(static_cast<char>(4));
    out.push_back(static_cast<char>(refSize));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

}  // namespace nestora::test
