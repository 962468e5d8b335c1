// The quick read of binary property lists must give what libplist and its
// guard give wherever it answers at all: checked on the files our writer
// makes, on many mutations of them, and on what it must leave to libplist.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/PlainBinaryPlist.h"
#include "platform/Plist.h"
#include "tests/support/ExpandingPlist.h"

namespace nestora::test {
namespace {

using plist::Array;
using plist::Dictionary;
using plist::Value;

std::optional<Value> quickRead(const std::string& bytes) {
    return plist::readPlainBinaryPlist(bytes, plist::kMaxInputBytes);
}

void expectAgreement(const std::string& bytes) {
    const auto quick = quickRead(bytes);
    if (!quick) return;
    const auto full = plist::parseFully(bytes);
    ASSERT_TRUE(full.has_value()) << "the quick read took what libplist refuses";
    EXPECT_TRUE(*full == *quick) << "the quick read differs from libplist";
}

// Preferences as the app and the tool write them, and the other plain forms.
std::vector<Value> samples() {
    Array items;
    for (int i = 0; i < 40; ++i) items.emplace_back("com.example.app" + std::to_string(i));
    Dictionary category;
    category["items"] = Value(items);
    Dictionary settings;
    settings["ShowAds"] = true;
    settings["Theme"] = "Black";
    settings["Count"] = 300;
    settings["Big"] = std::int64_t{1} << 40;
    settings["Negative"] = -5;
    settings["Recent"] = Value(Array{Value("a"), Value(false), Value(7)});
    settings["Nested"] = Value(Dictionary{{"k", Value("v")}, {"n", Value(1)}});
    settings["Empty"] = Value(Array{});
    settings["LongText"] = std::string(300, 'x');  // a length that needs its own integer
    settings["Control"] = "tab\there";
    return {Value(category), Value(settings), Value(Dictionary{}), Value(items)};
}

TEST(PlatformPlainBinaryPlist, ReadsWhatOurWriterMakesAsLibplistDoes) {
    for (const Value& sample : samples()) {
        const std::string bytes = plist::toBinary(sample);
        const auto quick = quickRead(bytes);
        ASSERT_TRUE(quick.has_value());
        EXPECT_TRUE(*quick == sample);
        EXPECT_TRUE(plist::parse(bytes) == plist::parseFully(bytes));
    }
}

TEST(PlatformPlainBinaryPlist, LeavesEverythingElseToLibplist) {
    const std::vector<Value> others = {
        Value(Dictionary{{"a", Value(Array{Value(Array{Value("three levels")})})}}),
        Value(Dictionary{{"r", Value(1.5)}}),
        Value(Dictionary{{"d", Value(plist::Data{1, 2, 3})}}),
        Value(Dictionary{{"u", Value("caf\xc3\xa9")}}),  // not ASCII: UTF-16 in the file
        Value(Dictionary{{"caf\xc3\xa9", Value("key not ASCII")}}),
        Value("a string at the top"),
    };
    for (const Value& other : others) {
        const std::string bytes = plist::toBinary(other);
        EXPECT_FALSE(quickRead(bytes).has_value());
        EXPECT_TRUE(plist::parse(bytes) == plist::parseFully(bytes)) << "the full parse still reads it";
    }
    EXPECT_FALSE(quickRead("<plist><dict/></plist>").has_value());
    EXPECT_FALSE(quickRead("bplist00").has_value());
    // Past the caller's limit, as the full parse refuses it.
    const std::string bytes = plist::toBinary(samples()[0]);
    EXPECT_FALSE(plist::readPlainBinaryPlist(bytes, bytes.size() - 1).has_value());
}

std::string assemble(const std::vector<std::string>& objects) { return binaryListOf(objects, 1); }

// The marker of an object of `kind` with `length`, the length in an integer
// of its own where it does not fit the marker.
std::string marker(unsigned kind, std::size_t length) {
    if (length < 15) return std::string(1, static_cast<char>((kind << 4) | length));
    std::string out = {static_cast<char>((kind << 4) | 0x0F), static_cast<char>(0x12)};
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((length >> shift) & 0xFF));
    return out;
}

std::string refs(std::size_t count, char ref) { return std::string(count, ref); }

TEST(PlatformPlainBinaryPlist, AKeyGivenTwiceIsLeftToLibplist) {
    // {a: "1", a: "2"}: both key references lead to the one string "a".
    const std::string twice = assemble({marker(0xD, 2) + "\x01\x01\x02\x03", marker(0x5, 1) + "a",
                                        marker(0x5, 1) + "1", marker(0x5, 1) + "2"});
    EXPECT_FALSE(quickRead(twice).has_value());
    const std::string once = assemble({marker(0xD, 1) + "\x01\x02", marker(0x5, 1) + "a", marker(0x5, 1) + "1"});
    ASSERT_TRUE(quickRead(once).has_value()) << "the same file with the key once is plain";
    EXPECT_TRUE(*quickRead(once) == plist::parseFully(once));
}

// One long string referenced from every member of a top array of arrays:
// the tree it stands for is larger than any budget, and is refused whole;
// the same shape, small, is read.
TEST(PlatformPlainBinaryPlist, SharedReferencesCountAgainstTheBudgetOfTheFullParse) {
    const auto shared = [](std::size_t members, std::size_t length) {
        return assemble({marker(0xA, members) + refs(members, 1), marker(0xA, members) + refs(members, 2),
                         marker(0x5, length) + std::string(length, 's')});
    };
    const std::string small = shared(10, 40);
    ASSERT_TRUE(quickRead(small).has_value());
    EXPECT_TRUE(*quickRead(small) == plist::parseFully(small));
    const std::string large = shared(1000, 40000);
    EXPECT_FALSE(quickRead(large).has_value());
    EXPECT_FALSE(plist::parse(large).has_value()) << "and the full parse refuses it too";
}

TEST(PlatformPlainBinaryPlist, AgreesWithLibplistOnMutations) {
    std::mt19937 random(20261208);
    for (const Value& sample : samples()) {
        const std::string original = plist::toBinary(sample);
        for (int round = 0; round < 4000; ++round) {
            std::string bytes = original;
            const int edits = 1 + static_cast<int>(random() % 3);
            for (int e = 0; e < edits; ++e) {
                const std::size_t at = random() % bytes.size();
                switch (random() % 4) {
                    case 0: bytes[at] = static_cast<char>(random() % 256); break;
                    case 1: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
                    case 2: bytes[at] = static_cast<char>(bytes[at] + 1); break;
                    default: bytes[at] = static_cast<char>(bytes[at] - 1); break;
                }
            }
            expectAgreement(bytes);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace nestora::test
