#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "platform/Files.h"
#include "platform/Plist.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using plist::Array;
using plist::Dictionary;
using plist::Value;
using test::TestDevice;

Value sampleValue() {
    Dictionary inner{{"flag", Value(false)}, {"count", Value(4)}};
    return Value(Dictionary{
        {"CFBundleDisplayName", Value("Jeux \"vidéo\" & <more>")},
        {"yes", Value(true)},
        {"number", Value(std::int64_t{1} << 40)},
        {"ratio", Value(0.5)},
        {"blob", Value(plist::Data{0, 1, 254, 255})},
        {"when", Value(plist::Date{86400.0})},
        {"items", Value(Array{Value("com.apple.mobilesafari"), Value("com.apple.mobileslideshow-Camera")})},
        {"empty", Value(Array{})},
        {"nested", Value(std::move(inner))},
    });
}

constexpr const char* kSampleJson =
    R"({"CFBundleDisplayName": "Jeux \"vidéo\" & <more>", "blob": {"data": "0001feff"}, "empty": [], )"
    R"("items": ["com.apple.mobilesafari", "com.apple.mobileslideshow-Camera"], "nested": {"count": 4, "flag": false}, )"
    R"("number": 1099511627776, "ratio": 0.5, "when": {"date": "2001-01-02T00:00:00"}, "yes": true})";

TEST(PlatformPlist, PlistlibReadsTheXmlWeWrite) {
    TestDevice device;
    ASSERT_TRUE(plist::writeXmlAtomically("/Info.plist", sampleValue()));
    EXPECT_EQ(test::plistlibJson(device.host("/Info.plist")), kSampleJson);
    const std::string xml = device.readFile("/Info.plist");
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC", 0), 0u) << xml;
    EXPECT_NE(xml.find("<plist version=\"1.0\">\n<dict>\n\t<key>CFBundleDisplayName</key>"), std::string::npos) << xml;
}

TEST(PlatformPlist, PlistlibReadsTheBinaryWeWrite) {
    TestDevice device;
    const std::string bytes = plist::toBinary(sampleValue());
    EXPECT_EQ(bytes.rfind("bplist00", 0), 0u);
    device.writeFile("/p.plist", bytes);
    EXPECT_EQ(test::plistlibJson(device.host("/p.plist")), kSampleJson);
}

TEST(PlatformPlist, ReadsWhatPlistlibWritesInBothFormats) {
    TestDevice device;
    const std::string literal =
        "{'items': ['a', 'b-Camera'], 'n': 7, 'neg': -3, 'r': 1.25, 't': True, 'f': False, 's': 'caf\\u00e9', "
        "'d': b'\\x00\\x01', 'when': datetime.datetime(2001, 1, 2), 'sub': {'k': []}}";
    for (const char* format : {"xml", "binary"}) {
        SCOPED_TRACE(format);
        const std::string path = std::string("/") + format + ".plist";
        ASSERT_TRUE(test::plistlibWrite(device.host(path), literal, format));
        auto value = plist::readFile(path);
        ASSERT_TRUE(value);
        ASSERT_TRUE(value->isDictionary());
        ASSERT_TRUE(value->find("items") && value->find("items")->array());
        EXPECT_EQ(*value->find("items")->array(), (Array{Value("a"), Value("b-Camera")}));
        EXPECT_EQ(value->find("n")->integer(), 7);
        EXPECT_EQ(value->find("neg")->integer(), -3);
        EXPECT_EQ(value->find("r")->real(), 1.25);
        EXPECT_EQ(value->find("t")->boolean(), true);
        EXPECT_EQ(value->find("f")->boolean(), false);
        EXPECT_FALSE(value->find("f")->isNumber()) << "a boolean is not a number";
        EXPECT_EQ(value->stringForKey("s"), "café");
        EXPECT_EQ(*value->find("d")->data(), (plist::Data{0, 1}));
        EXPECT_EQ(value->find("when")->date()->secondsSinceReferenceDate, 86400.0);
        EXPECT_TRUE(value->find("sub")->find("k")->isArray());
    }
}

TEST(PlatformPlist, ZeroBytesReadAsEmptyDictionaryAndJunkAsNone) {
    TestDevice device;
    device.writeFile("/empty.plist", "");
    auto empty = plist::readFile("/empty.plist");
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, Value(Dictionary{}));
    EXPECT_TRUE(plist::readDictionary("/empty.plist"));

    device.writeFile("/junk.plist", "this is not a property list");
    EXPECT_FALSE(plist::readFile("/junk.plist"));
    device.writeFile("/truncated.plist", plist::toBinary(sampleValue()).substr(0, 60));
    EXPECT_FALSE(plist::readFile("/truncated.plist"));
    EXPECT_FALSE(plist::readFile("/missing.plist"));

    device.writeFile("/array.plist", plist::toXml(Value(Array{Value(1)})));
    EXPECT_TRUE(plist::readFile("/array.plist"));
    EXPECT_FALSE(plist::readDictionary("/array.plist")) << "a dictionary was asked for";
}

TEST(PlatformPlist, NegativeIntegersSurviveOurOwnRoundTrip) {
    const Value value(Dictionary{{"iconFontColor", Value(-1)}});
    auto xml = plist::parse(plist::toXml(value));
    auto bin = plist::parse(plist::toBinary(value));
    ASSERT_TRUE(xml && bin);
    EXPECT_EQ(xml->find("iconFontColor")->integer(), -1);
    EXPECT_EQ(bin->find("iconFontColor")->integer(), -1);
}

TEST(PlatformPlist, DatesPastWhatTheWriterHoldsAreWrittenAsTheNearestItCan) {
    for (double seconds : {-3e9, 3e9, std::nan("")}) {
        auto back = plist::parse(plist::toBinary(Value(plist::Date{seconds})));
        ASSERT_TRUE(back && back->date()) << seconds;
        const double expected = std::isnan(seconds) ? 0.0 : (seconds < 0 ? INT32_MIN : INT32_MAX);
        EXPECT_EQ(back->date()->secondsSinceReferenceDate, expected) << seconds;
    }
}

TEST(PlatformPlist, TypedAccessRefusesOtherTypes) {
    const Value text("3");
    EXPECT_FALSE(text.integer());
    EXPECT_FALSE(text.boolean());
    EXPECT_FALSE(Value(0).boolean()) << "the number 0 is not a boolean";
    EXPECT_EQ(Value(2.9).integer(), 2);
    EXPECT_EQ(text.find("x"), nullptr);
    EXPECT_FALSE(Value(Dictionary{{"k", Value(1)}}).stringForKey("k"));
}

}  // namespace
}  // namespace nestora

namespace nestora {
namespace {

TEST(PlatformPlistText, OnlyUtf8WithoutNulIsReadOrWritten) {
    // A binary "ASCII" string holding byte 0xCD: plistlib refuses it, so do we.
    static const char kBad[] = "bplist00" "\x51\xcd" "\x08" "\x00\x00\x00\x00\x00\x00\x01\x01"
                               "\x00\x00\x00\x00\x00\x00\x00\x01" "\x00\x00\x00\x00\x00\x00\x00\x00"
                               "\x00\x00\x00\x00\x00\x00\x00\x0a";
    const std::string bad(kBad, sizeof kBad - 1);
    std::string good = bad;
    good[9] = 'A';
    EXPECT_EQ(plist::parse(good), plist::Value("A"));
    EXPECT_FALSE(plist::parse(bad));
    EXPECT_TRUE(plist::toXml(plist::Value("\xcd")).empty());
    EXPECT_TRUE(plist::toBinary(plist::Value(plist::Dictionary{{"\xff", plist::Value(1)}})).empty());
    EXPECT_TRUE(plist::toXml(plist::Value(std::string("a\0b", 3))).empty()) << "a NUL would cut the text";
    EXPECT_FALSE(plist::toXml(plist::Value("Jeux vidéo 🎮")).empty());
    test::TestDevice device;
    EXPECT_FALSE(plist::writeXmlAtomically("/bad.plist", plist::Value("\xc3\x28")));
    EXPECT_FALSE(device.exists("/bad.plist"));
}

// An Info.plist as some real apps ship it: CRLF line ends, text beyond ASCII
// and beyond the basic plane, in the encoding its declaration names.
std::string infoPlistText(const std::string& declaredEncoding) {
    return "<?xml version=\"1.0\" encoding=\"" + declaredEncoding +
           "\"?>\r\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\r\n<plist version=\"1.0\">\r\n<dict>\r\n"
           "\t<key>CFBundleIdentifier</key>\r\n\t<string>com.example.marked</string>\r\n"
           "\t<key>CFBundleDisplayName</key>\r\n\t<string>Caf\xc3\xa9 \xf0\x9f\x8e\xae</string>\r\n"
           "</dict>\r\n</plist>\r\n";
}

TEST(PlatformPlist, ReadsByteOrderMarkedAndUtf16XmlAsPlistlibDoes) {
    TestDevice device;
    const std::string name = "Caf\xc3\xa9 \xf0\x9f\x8e\xae";
    struct Variant {
        const char* encoding;
        const char* declared;
        bool plistlibReadsIt;
    };
    for (const Variant& variant : {Variant{"utf-8-bom", "UTF-8", true}, Variant{"utf-16-le-bom", "UTF-16", true},
                                   Variant{"utf-16-be-bom", "UTF-16", true},
                                   // Declared but unmarked: plistlib wants the mark, XML itself does not.
                                   Variant{"utf-16-le", "UTF-16", false}}) {
        SCOPED_TRACE(variant.encoding);
        const std::string path = std::string("/") + variant.encoding + ".plist";
        ASSERT_TRUE(test::writeEncodedText(device.host(path), infoPlistText(variant.declared), variant.encoding));
        if (variant.plistlibReadsIt) {
            EXPECT_EQ(test::plistlibJson(device.host(path)),
                      "{\"CFBundleDisplayName\": \"" + name + "\", \"CFBundleIdentifier\": \"com.example.marked\"}");
        }
        auto value = plist::readFile(path);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->stringForKey("CFBundleDisplayName"), name);
        auto keys = plist::readDictionaryKeys(path, {"CFBundleIdentifier"});
        ASSERT_TRUE(keys);
        EXPECT_EQ(Value(*keys).stringForKey("CFBundleIdentifier"), "com.example.marked");
    }
}

TEST(PlatformPlist, RefusesUtf16ThatIsNotText) {
    using namespace std::string_literals;
    const std::string mark = "\xff\xfe";
    const std::string declaration = "<\0?\0x\0m\0l\0 \0?\0>\0<\0t\0r\0u\0e\0/\0>\0"s;
    EXPECT_EQ(plist::parse(mark + declaration), Value(true));
    // An odd byte, and a lone high surrogate (U+D800).
    EXPECT_FALSE(plist::parse(mark + declaration + "x"));
    EXPECT_FALSE(plist::parse(mark + "<\0s\0t\0r\0i\0n\0g\0>\0\0\xd8<\0/\0s\0t\0r\0i\0n\0g\0>\0"s));
}

}  // namespace
}  // namespace nestora
