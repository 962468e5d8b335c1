#include <gtest/gtest.h>
#include <plist/plist.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Plist.h"
#include "platform/PlistGuard.h"
#include "platform/PlistNodes.h"
#include "tests/support/LibplistDepth.h"

namespace nestora {
namespace {

void appendBigEndian(std::string& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Assembles a binary property list from encoded objects.
std::string binaryPlist(const std::vector<std::string>& objects, std::size_t refSize, std::uint64_t top = 0,
                        std::size_t offsetSize = 4) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t tableStart = out.size();
    for (auto offset : offsets) appendBigEndian(out, offset, offsetSize);
    out.append(6, '\0');
    out.push_back(static_cast<char>(offsetSize));
    out.push_back(static_cast<char>(refSize));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, top, 8);
    appendBigEndian(out, tableStart, 8);
    return out;
}

std::string arrayOf(const std::vector<std::uint64_t>& refs, std::size_t refSize) {
    std::string object;
    if (refs.size() < 15) {
        object.push_back(static_cast<char>(0xA0 | refs.size()));
    } else {
        object.push_back(static_cast<char>(0xAF));
        object.push_back(static_cast<char>(0x11));
        appendBigEndian(object, refs.size(), 2);
    }
    for (auto ref : refs) appendBigEndian(object, ref, refSize);
    return object;
}

// The binary guard with the widest byte budget.
bool withinLimits(std::string_view bytes) {
    return plist::binaryWithinLimits(bytes, plist::kMaxDepth, plist::kMaxExpandedBytes);
}

// Object i is an array holding object i + 1; the last is empty.
std::string nestedBinaryArrays(std::size_t depth) {
    const std::size_t refSize = depth > 0xFFFF ? 3 : 2;
    std::vector<std::string> objects;
    for (std::size_t i = 0; i + 1 < depth; ++i) objects.push_back(arrayOf({i + 1}, refSize));
    objects.push_back(arrayOf({}, refSize));
    return binaryPlist(objects, refSize, 0, 4);
}

std::string nestedXmlArrays(std::size_t depth) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    for (std::size_t i = 0; i < depth; ++i) xml += "<array>";
    for (std::size_t i = 0; i < depth; ++i) xml += "</array>";
    return xml + "\n</plist>\n";
}

TEST(PlatformPlistGuard, RefusesTheDeepBinaryThatOverflowsLibplist) {
    const std::string bytes = nestedBinaryArrays(100000);
    ASSERT_LT(bytes.size(), plist::kMaxInputBytes);
    EXPECT_FALSE(plist::parse(bytes));
}

TEST(PlatformPlistGuard, AcceptsNestingUpToTheLimitAndRefusesOneMore) {
    EXPECT_TRUE(plist::parse(nestedBinaryArrays(plist::kMaxDepth)));
    EXPECT_FALSE(plist::parse(nestedBinaryArrays(plist::kMaxDepth + 1)));
    EXPECT_TRUE(plist::parse(nestedXmlArrays(plist::kMaxDepth)));
    EXPECT_FALSE(plist::parse(nestedXmlArrays(plist::kMaxDepth + 1)));
}

TEST(PlatformPlistGuard, RefusesDeepXmlThatCrashesWhenFreed) {
    EXPECT_FALSE(plist::parse(nestedXmlArrays(100000)));
    // Closing tags inside a comment must not hide the real depth.
    std::string xml = "<plist version=\"1.0\">";
    for (int i = 0; i < 400; ++i) xml += "<array>";
    xml += "<!--";
    for (int i = 0; i < 400; ++i) xml += "</array>";
    xml += "-->";
    for (int i = 0; i < 400; ++i) xml += "<array>";
    EXPECT_FALSE(plist::xmlWithinLimits(xml, plist::kMaxDepth));
}

// Wherever the guard lets text through at a limit, libplist builds nothing
// deeper than that limit.
void expectGuardHolds(const std::string& xml) {
    const std::optional<std::size_t> depth = test::libplistXmlDepth(xml);
    for (std::size_t limit = 0; limit <= 4; ++limit) {
        if (plist::xmlWithinLimits(xml, limit) && depth) {
            EXPECT_LE(*depth, limit) << xml;
        }
    }
}

std::string repeated(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(PlatformPlistGuard, ReadsMarkupTheWayLibplistDoes) {
    // Quoted text in a processing instruction hides a close from a reader
    // that ends it at the first "?>".
    const std::string pi = "<plist>" + repeated("<array><?x \"?></array>\"?>", 4) + repeated("</array>", 4) + "</plist>";
    EXPECT_EQ(test::libplistXmlDepth(pi), 4u);
    EXPECT_FALSE(plist::xmlWithinLimits(pi, 3));
    EXPECT_TRUE(plist::xmlWithinLimits(pi, 4));
    const std::string deep =
        "<plist>" + repeated("<array><?x \"?></array>\"?>", 31000) + repeated("</array>", 31000) + "</plist>";
    EXPECT_FALSE(plist::xmlWithinLimits(deep, plist::kMaxDepth));
    EXPECT_FALSE(plist::parse(deep));

    for (const std::string& xml : {
             pi,
             // Quoted attribute values, with markup and an empty-tag slash in them.
             std::string("<plist><array a=\"<array/>\"><array x=\"</array>\"><array/></array></array></plist>"),
             std::string("<plist><array a='<array/>'><array/></array></plist>"),
             // A DOCTYPE whose quoted parts hold ">" and "[".
             std::string("<!DOCTYPE plist PUBLIC \"a>[b\" \"c\"><plist><array><array/></array></plist>"),
             // Comments and CDATA in text hide closes; a comment ignores quotes.
             std::string("<plist><array><string><!--</string>--></string><array></array></array></plist>"),
             std::string("<plist><array><string><![CDATA[</string></array>]]></string><array/></array></plist>"),
             std::string("<plist><array><!-- \" --><array></array><!-- \" --></array></plist>"),
             // Closing tags with attributes or a slash, and mismatched ones.
             std::string("<plist><array><array></array x=\">\"><array></array/></array></plist>"),
             std::string("<plist><array><dict></array><array><array/></array></dict></plist>"),
             // An empty root container that later elements still go into.
             std::string("<plist><array/><array><array><array/></array></array></plist>"),
             // Elements nested inside a plist element inside an array.
             std::string("<array><plist><array><array/></array></plist></array>"),
         }) {
        SCOPED_TRACE(xml);
        expectGuardHolds(xml);
    }
}

TEST(PlatformPlistGuard, RefusesWhatLibplistMightReadOtherwise) {
    // An internal DOCTYPE subset, whatever it holds.
    EXPECT_FALSE(plist::xmlWithinLimits("<!DOCTYPE plist [ <!ENTITY e \"]>\"> ]><plist><true/></plist>", 8));
    EXPECT_FALSE(plist::xmlWithinLimits(std::string("<plist><array") + '\0' + " x></array></plist>", 8));
    EXPECT_FALSE(plist::xmlWithinLimits("<plist><?x \"unterminated ?></plist>", 8));
    // The prologue every writer emits is read as before.
    EXPECT_TRUE(plist::parse(plist::toXml(plist::Value(plist::Array{plist::Value(plist::Array{})}))));
}

TEST(PlatformPlistNodes, DeepTreesAreConvertedAndFreedWithoutRecursion) {
    // Deeper than any guard lets through: as if one had missed it.
    plist::Node root(plist_new_array());
    plist_t innermost = root.get();
    for (int i = 0; i < 300000; ++i) {
        plist_t next = plist_new_array();
        plist_array_append_item(innermost, next);
        innermost = next;
    }
    plist_array_append_item(innermost, plist_new_string("deep"));
    EXPECT_FALSE(plist::valueFromNode(root.get(), plist::kMaxDepth));
    // A tree within the limit converts; the cap counts containers.
    plist::Node shallow(plist_new_array());
    plist_array_append_item(shallow.get(), plist_new_array());
    EXPECT_EQ(plist::valueFromNode(shallow.get(), 2), plist::Value(plist::Array{plist::Value(plist::Array{})}));
    EXPECT_FALSE(plist::valueFromNode(shallow.get(), 1));
    // Freed when `root` goes: plist_free would recurse 300,000 frames deep.
}

TEST(PlatformPlistGuard, RefusesCyclesAndReferencesOutOfBounds) {
    // An array holding itself.
    EXPECT_FALSE(withinLimits(binaryPlist({arrayOf({0}, 1)}, 1)));
    // A two-object cycle below the top.
    EXPECT_FALSE(withinLimits(binaryPlist({arrayOf({1}, 1), arrayOf({2}, 1), arrayOf({1}, 1)}, 1)));
    // A reference past the last object.
    EXPECT_FALSE(withinLimits(binaryPlist({arrayOf({5}, 1)}, 1)));
    // A top object that does not exist.
    EXPECT_FALSE(withinLimits(binaryPlist({arrayOf({}, 1)}, 1, 3)));
    // An array claiming more references than the file holds.
    std::string lying = arrayOf({}, 1);
    lying[0] = static_cast<char>(0xAE);
    EXPECT_FALSE(withinLimits(binaryPlist({lying}, 1)));
    // A trailer whose offset table runs past the end.
    std::string bytes = binaryPlist({arrayOf({}, 1)}, 1);
    bytes[bytes.size() - 1] = static_cast<char>(0x7F);
    EXPECT_FALSE(withinLimits(bytes));
    EXPECT_FALSE(plist::parse(bytes));
    EXPECT_FALSE(withinLimits("bplist00"));
}

std::string doublingLevels(std::uint64_t levels) {
    // Each level holds the next one twice: 2^levels paths, levels + 1 objects.
    std::vector<std::string> objects;
    for (std::uint64_t i = 0; i < levels; ++i) objects.push_back(arrayOf({i + 1, i + 1}, 1));
    objects.push_back(arrayOf({}, 1));
    return binaryPlist(objects, 1);
}

TEST(PlatformPlistGuard, SharedObjectsCountOncePerReference) {
    // libplist would build 2^60 copies; the guard refuses without walking them.
    EXPECT_FALSE(plist::parse(doublingLevels(60)));
    // Modest sharing is fine, and libplist expands it into a tree.
    auto value = plist::parse(doublingLevels(8));
    ASSERT_TRUE(value);
    const plist::Value* node = &*value;
    for (int level = 0; level < 8; ++level) {
        ASSERT_TRUE(node->array());
        ASSERT_EQ(node->array()->size(), 2u);
        node = &node->array()->at(1);
    }
    EXPECT_TRUE(node->array() && node->array()->empty());
}

// An object with a length (string, UTF-16 string, data): its marker, the
// length as a 4-byte integer, then its bytes.
std::string sized(unsigned kind, std::uint64_t count, const std::string& payload) {
    std::string object;
    object.push_back(static_cast<char>((kind << 4) | 0x0F));
    object.push_back(static_cast<char>(0x12));
    appendBigEndian(object, count, 4);
    return object + payload;
}

// An array whose every element is object 1, `shared`.
std::string referencedOften(const std::string& shared, std::size_t references) {
    return binaryPlist({arrayOf(std::vector<std::uint64_t>(references, 1), 2), shared}, 2);
}

TEST(PlatformPlistGuard, SharedBytesCountOncePerReference) {
    // A preferences file under 1 MB whose one string, referenced 40,000
    // times, would ask libplist and the conversion for 36 GB.
    const std::string huge = referencedOften(sized(0x5, 900'000, std::string(900'000, 'a')), 40'000);
    ASSERT_LT(huge.size(), plist::kMaxInputBytes);
    EXPECT_FALSE(plist::parse(huge));

    // The same from under 64 KB, for every kind of object that holds bytes:
    // referenced 2,000 times each is refused, a few times each is read.
    const std::string text(20'000, 'a');
    std::string utf16;
    for (int i = 0; i < 10'000; ++i) utf16 += std::string("\x04\x10", 2);  // U+0410, two bytes as UTF-8
    const std::vector<std::pair<std::string, std::function<std::string(std::size_t)>>> cases = {
        {"a string", [&](std::size_t n) { return referencedOften(sized(0x5, text.size(), text), n); }},
        {"a UTF-16 string", [&](std::size_t n) { return referencedOften(sized(0x6, 10'000, utf16), n); }},
        {"data", [&](std::size_t n) { return referencedOften(sized(0x4, text.size(), text), n); }},
        {"a dictionary with a long key",
         [&](std::size_t n) {
             const std::string dictionary("\xD1\x02\x03", 3);  // {object 2: object 3}
             return binaryPlist({arrayOf(std::vector<std::uint64_t>(n, 1), 1), dictionary,
                                 sized(0x5, text.size(), text), "\x09"},
                                1);
         }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        const std::string often = make(2'000);
        ASSERT_LT(often.size(), 64u * 1024u);
        EXPECT_FALSE(plist::parse(often));
        EXPECT_TRUE(plist::parse(make(3)));
    }
}

TEST(PlatformPlistGuard, WhatRealWritersShareStaysWithinTheBudget) {
    // Three thousand categories' settings, every key and most values shared
    // by the writer: many times the file's size once expanded.
    plist::Array categories;
    for (int i = 0; i < 3'000; ++i) {
        plist::Dictionary settings;
        for (const char* key : {"showCategoryName", "showIconLabels", "saveImageOnExit", "useBackgroundImage",
                                "leftRightScroll", "leftRightRowsPerColumn", "iconFontColor", "iconThemeName",
                                "keepResident"}) {
            settings[key] = plist::Value(std::string("the same value for every category"));
        }
        settings["items"] = plist::Value(plist::Array{plist::Value("com.example.shared.application")});
        categories.emplace_back(std::move(settings));
    }
    const plist::Value written(std::move(categories));
    const std::string bytes = plist::toBinary(written);
    ASSERT_LT(bytes.size(), plist::kMaxInputBytes);
    EXPECT_EQ(plist::parse(bytes), written);

    // Our writer shares every equal string, so what it writes of a list
    // naming one app ten thousand times is a thirtieth of the tree it holds;
    // it reads all the same.
    plist::Array items(10'000, plist::Value("com.example.one.application.named.often"));
    const plist::Value often(plist::Dictionary{{"items", plist::Value(std::move(items))}});
    const auto fromXml = plist::parse(plist::toXml(often));
    ASSERT_TRUE(fromXml);
    const std::string rewritten = plist::toBinary(*fromXml);
    ASSERT_LT(rewritten.size() * 16, 10'000u * 39u);
    EXPECT_EQ(plist::parse(rewritten), often);

    // A reader allowed larger files (a backup's icons) may expand to its
    // own limit, past the fixed cap.
    const plist::Value icon(plist::Data(plist::kMaxExpandedBytes + 1024, 0x42));
    EXPECT_EQ(plist::parse(plist::toBinary(icon), 2 * plist::kMaxExpandedBytes), icon);
}

TEST(PlatformPlistGuard, XmlObjectsAreCountedToo) {
    std::string xml = "<plist version=\"1.0\"><array>";
    for (std::uint64_t i = 0; i < plist::kMaxExpandedObjects; ++i) xml += "<true/>";
    EXPECT_FALSE(plist::xmlWithinLimits(xml + "</array></plist>", plist::kMaxDepth));
    xml.resize(xml.size() - 7);  // the array itself is one object
    EXPECT_TRUE(plist::xmlWithinLimits(xml + "</array></plist>", plist::kMaxDepth));
}

TEST(PlatformPlistGuard, RefusesOversizedInput) {
    std::string xml = "<plist version=\"1.0\"><string>";
    xml.append(plist::kMaxInputBytes, 'a');
    xml += "</string></plist>";
    EXPECT_FALSE(plist::parse(xml));
}

}  // namespace
}  // namespace nestora

namespace nestora {
namespace {

TEST(PlatformPlistGuardKeys, RefusesDictionaryKeysThatAreNotStrings) {
    // {1: 1}: libplist would abort on the integer key.
    const std::string integer = "\x10\x01";
    const std::string dict = std::string("\xD1\x01\x01", 3);
    EXPECT_FALSE(withinLimits(binaryPlist({dict, integer}, 1)));
    EXPECT_FALSE(plist::parse(binaryPlist({dict, integer}, 1)));
    const std::string nulKey = std::string("\x52k\0", 3);
    EXPECT_FALSE(plist::parse(binaryPlist({std::string("\xD1\x01\x02", 3), nulKey, integer}, 1)));
    const std::string key = "\x51k";
    const std::string good = std::string("\xD1\x01\x02", 3);
    EXPECT_TRUE(plist::parse(binaryPlist({good, key, integer}, 1)));
}

}  // namespace
}  // namespace nestora
