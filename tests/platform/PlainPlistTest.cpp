// The quick Info.plist read must agree with the full parser wherever it
// answers at all: checked on the forms we and others write, and on many
// mutations of them.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "platform/Plist.h"
#include "platform/PlainPlist.h"

namespace nestora::test {
namespace {

using plist::readPlainDictionary;

// Where the quick read answers, the full parse must give a dictionary with
// exactly the same string values.
void expectAgreement(const std::string& bytes) {
    auto plain = readPlainDictionary(bytes);
    auto view = plist::readPlainDictionaryView(bytes);
    ASSERT_EQ(plain.has_value(), view.has_value()) << bytes;
    if (!plain) {
        return;
    }
    ASSERT_EQ(view->strings.size(), plain->strings.size()) << bytes;
    for (std::size_t i = 0; i < plain->strings.size(); ++i) {
        EXPECT_EQ(view->strings[i].first, plain->strings[i].first) << bytes;
        EXPECT_EQ(view->strings[i].second, plain->strings[i].second) << bytes;
    }
    auto full = plist::parse(bytes);
    ASSERT_TRUE(full.has_value()) << "quick read accepted what the parser refuses:\n" << bytes;
    ASSERT_TRUE(full->isDictionary()) << bytes;
    std::size_t strings = 0;
    for (const auto& [key, value] : *full->dictionary()) {
        if (value.isString()) {
            ++strings;
            EXPECT_EQ(plain->stringForKey(key), *value.string()) << key << " in\n" << bytes;
        } else {
            EXPECT_EQ(plain->stringForKey(key), std::nullopt) << key << " in\n" << bytes;
        }
    }
    EXPECT_EQ(plain->strings.size(), strings) << bytes;
    EXPECT_EQ(plain->strings.size() + plain->otherKeys.size(), full->dictionary()->size()) << bytes;
}

// A dictionary of `count` string keys "K0", "K1", ..., the last named
// `lastKey` instead when given.
std::string manyKeys(int count, std::optional<std::string> lastKey = std::nullopt) {
    std::string bytes = "<plist><dict>";
    for (int i = 0; i < count; ++i) {
        const std::string key = i == count - 1 && lastKey ? *lastKey : "K" + std::to_string(i);
        bytes += "<key>" + key + "</key><string>v</string>";
    }
    return bytes + "</dict></plist>";
}

std::vector<std::string> samples() {
    plist::Dictionary info;
    info["CFBundleIdentifier"] = "com.quarvek.nestora.Category000";
    info["CFBundleDisplayName"] = "Games \xc3\xa9 \xe2\x98\x83 with  spaces\tand tab";
    info["CFBundleName"] = "";
    info["Quoted"] = "\"q\" 'a'";
    info["Flag"] = true;
    info["Count"] = 42;
    std::vector<std::string> out = {plist::toXml(plist::Value(info))};
    out.push_back(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        "<key>CFBundleIdentifier</key><string>com.example.app</string>\n"
        "<key>CFBundleDisplayName</key>\n\n  <string/>\n<key>N</key><integer>-17</integer><key>B</key><false/>\n"
        "</dict>\n</plist>\n");
    out.push_back("<plist><dict><key>A</key><string>one\nline two</string></dict></plist>");
    out.push_back("<plist version=\"1.0\"><dict></dict></plist>");
    // A UTF-8 byte-order mark, as some real Info.plists carry.
    out.push_back("\xef\xbb\xbf" + out.front());
    // More keys than are compared pair by pair.
    out.push_back(manyKeys(300));
    return out;
}

TEST(PlatformPlainPlist, ReadsThePlainFormsLikeTheParser) {
    for (const std::string& sample : samples()) {
        ASSERT_TRUE(readPlainDictionary(sample).has_value()) << sample;
        expectAgreement(sample);
    }
    auto ours = readPlainDictionary(samples()[0]);
    EXPECT_EQ(ours->stringForKey("CFBundleIdentifier"), "com.quarvek.nestora.Category000");
    EXPECT_EQ(ours->stringForKey("Flag"), std::nullopt);
    EXPECT_EQ(ours->otherKeys, (std::vector<std::string>{"Count", "Flag"}));
}

TEST(PlatformPlainPlist, LeavesEverythingElseToTheParser) {
    for (const char* bytes : {
             "<plist><dict><key>A</key><string>x &amp; y</string></dict></plist>",
             "<plist><dict><key>A</key><string>x > y</string></dict></plist>",
             "<?xml version=\"1.1\"?><plist><dict></dict></plist>",
             "<plist><dict><key>A</key><string>x<!-- c -->y</string></dict></plist>",
             "<plist><dict><key>A</key><string><![CDATA[x]]></string></dict></plist>",
             "<plist><dict><key>A</key><array/></dict></plist>",
             "<plist><dict><key>A</key><string>1</string><key>A</key><string>2</string></dict></plist>",
             "<plist><dict><key>A</key><string>cr\r\nlf</string></dict></plist>",
             "<plist><dict><key>A</key><string>\xff</string></dict></plist>",
             "<plist><dict><key>A</key><integer>99999999999999999999</integer></dict></plist>",
             "<plist><dict><key>A</key><string>x</string></dict></plist> trailing",
             "<plist><array/></plist>",
             "bplist00",
             "",
             // Overlong, surrogate and control forms among otherwise ASCII text.
             "<plist><dict><key>A</key><string>a\xc0\xaf" "b</string></dict></plist>",
             "<plist><dict><key>A</key><string>a\xed\xa0\x80" "b</string></dict></plist>",
             "<plist><dict><key>A</key><string>a\x01b</string></dict></plist>",
         }) {
        EXPECT_FALSE(readPlainDictionary(bytes).has_value()) << bytes;
    }
    // A key twice, however many keys come between.
    for (int count : {2, 31, 32, 33, 300}) {
        EXPECT_FALSE(readPlainDictionary(manyKeys(count, "K0")).has_value()) << count << " keys";
        EXPECT_TRUE(readPlainDictionary(manyKeys(count)).has_value()) << count << " keys";
    }
}

TEST(PlatformPlainPlist, AgreesWithTheParserOnMutations) {
    std::mt19937 random(20261207);
    const std::string alphabet = "<>/&!-[]? \t\n\r\"'=akdisgtrnuecpl01\xc3\xa9\xff";
    for (const std::string& sample : samples()) {
        for (int round = 0; round < 3000; ++round) {
            std::string bytes = sample;
            const int edits = 1 + static_cast<int>(random() % 3);
            for (int e = 0; e < edits && !bytes.empty(); ++e) {
                const std::size_t at = random() % bytes.size();
                switch (random() % 3) {
                    case 0: bytes[at] = alphabet[random() % alphabet.size()]; break;
                    case 1: bytes.insert(at, 1, alphabet[random() % alphabet.size()]); break;
                    default: bytes.erase(at, 1 + random() % 8); break;
                }
            }
            expectAgreement(bytes);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

}  // namespace
}  // namespace nestora::test
