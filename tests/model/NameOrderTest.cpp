#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

#include "model/AppInventory.h"
#include "platform/AppServices.h"
#include "platform/Preferences.h"
#include "tests/model/FakeAppServices.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using model::compareByLocalizedName;
using model::sortedByLocalizedName;
using test::FakeAppServices;
using ::testing::ElementsAre;

FakeAppServices namedApps() {
    FakeAppServices services;
    services.names = {
        {"id.apple", "apple"},      {"id.Banana", "Banana"},  {"id.cherry", "cherry"},
        {"id.APPLE2", "APPLE"},     {"id.eclair", "\xC3\xA9" "clair"},  // "éclair"
        {"id.Eclair", "\xC3\x89" "CLAIR"},                               // "ÉCLAIR"
        {"id.strasse", "Stra\xC3\x9F" "e"},                              // "Straße"
        {"id.STRASSE", "STRASSE"},  {"id.zebra", "zebra"},     {"id.empty", ""},
    };
    return services;
}

TEST(ModelNameOrder, ComparesNamesIgnoringLetterCaseOnly) {
    const FakeAppServices services = namedApps();
    EXPECT_EQ(compareByLocalizedName(services, "id.apple", "id.Banana"), std::weak_ordering::less);
    EXPECT_EQ(compareByLocalizedName(services, "id.Banana", "id.apple"), std::weak_ordering::greater);
    EXPECT_EQ(compareByLocalizedName(services, "id.Banana", "id.cherry"), std::weak_ordering::less);
    EXPECT_EQ(compareByLocalizedName(services, "id.apple", "id.APPLE2"), std::weak_ordering::equivalent);
    // Case folding beyond ASCII, but no locale rules: "é" folds with "É"
    // and still sorts after "z".
    EXPECT_EQ(compareByLocalizedName(services, "id.eclair", "id.Eclair"), std::weak_ordering::equivalent);
    EXPECT_EQ(compareByLocalizedName(services, "id.zebra", "id.eclair"), std::weak_ordering::less);
    EXPECT_EQ(compareByLocalizedName(services, "id.strasse", "id.STRASSE"), std::weak_ordering::equivalent);
    EXPECT_EQ(compareByLocalizedName(services, "id.empty", "id.apple"), std::weak_ordering::less);
}

// Names of ASCII text are folded without the Unicode tables: every pair of
// two-character names over all of ASCII compares as Unicode's default case
// folding orders them.
TEST(ModelNameOrder, AsciiNamesCompareAsUnicodeFoldsThem) {
    const auto folded = [](const std::string& name) {
        icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
        std::string out;
        text.foldCase(U_FOLD_CASE_DEFAULT).toUTF8String(out);
        return out;
    };
    FakeAppServices services;
    std::vector<std::string> ids;
    for (int c = 1; c < 0x80; ++c) {
        const std::string name = {'m', static_cast<char>(c)};
        ids.push_back("id." + std::to_string(c));
        services.names[ids.back()] = name;
    }
    for (const auto& a : ids) {
        for (const auto& b : ids) {
            const int expected = folded(services.names[a]).compare(folded(services.names[b]));
            EXPECT_EQ(compareByLocalizedName(services, a, b), expected <=> 0) << a << " " << b;
        }
    }
}

TEST(ModelNameOrder, NamesAreLookedUpAfreshForEveryComparison) {
    FakeAppServices services = namedApps();
    EXPECT_EQ(compareByLocalizedName(services, "id.apple", "id.zebra"), std::weak_ordering::less);
    services.names["id.apple"] = "zzz";
    EXPECT_EQ(compareByLocalizedName(services, "id.apple", "id.zebra"), std::weak_ordering::greater);
}

TEST(ModelNameOrder, AppsWithoutANameGoLastByIdentifier) {
    const FakeAppServices services = namedApps();
    EXPECT_EQ(compareByLocalizedName(services, "id.zebra", "id.unknown"), std::weak_ordering::less);
    EXPECT_EQ(compareByLocalizedName(services, "id.unknown", "id.zebra"), std::weak_ordering::greater);
    EXPECT_EQ(compareByLocalizedName(services, "id.b-unknown", "id.a-unknown"), std::weak_ordering::greater);
    EXPECT_EQ(compareByLocalizedName(services, "id.same", "id.same"), std::weak_ordering::equivalent);
}

TEST(ModelNameOrder, TheComparisonIsAConsistentOrdering) {
    const FakeAppServices services = namedApps();
    std::vector<std::string> ids;
    for (const auto& [id, name] : services.names) ids.push_back(id);
    ids.insert(ids.end(), {"id.nameless1", "id.nameless2", "id.apple"});
    for (const auto& a : ids) {
        for (const auto& b : ids) {
            const auto ab = compareByLocalizedName(services, a, b);
            const auto ba = compareByLocalizedName(services, b, a);
            EXPECT_EQ(ab, 0 <=> ba) << a << " " << b;  // antisymmetric
            for (const auto& c : ids) {
                if (ab < 0 && compareByLocalizedName(services, b, c) < 0) {
                    EXPECT_TRUE(compareByLocalizedName(services, a, c) < 0) << a << " " << b << " " << c;
                }
                if (ab == 0 && compareByLocalizedName(services, b, c) == 0) {
                    EXPECT_TRUE(compareByLocalizedName(services, a, c) == 0) << a << " " << b << " " << c;
                }
            }
        }
    }
}

TEST(ModelNameOrder, SortingGivesANewAscendingList) {
    const FakeAppServices services = namedApps();
    const std::vector<std::string> ids = {"id.zebra", "id.nameless", "id.cherry", "id.Banana", "id.apple", "id.eclair"};
    const auto sorted = sortedByLocalizedName(services, ids);
    EXPECT_THAT(sorted, ElementsAre("id.apple", "id.Banana", "id.cherry", "id.zebra", "id.eclair", "id.nameless"));
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), [&](const std::string& a, const std::string& b) {
        return compareByLocalizedName(services, a, b) < 0;
    }));
}

TEST(ModelNameOrder, SortingLooksEachNameUpOncePerSort) {
    const FakeAppServices services = namedApps();
    std::vector<std::string> ids;
    for (int i = 0; i < 50; ++i) ids.push_back(i % 2 ? "id.apple" : "id.zebra");
    services.nameLookups = 0;
    sortedByLocalizedName(services, ids);
    EXPECT_EQ(services.nameLookups, 50);
}

TEST(ModelNameOrder, SampleDeviceSortsByHomeScreenNames) {
    test::TestDevice device;
    device.makeSampleDevice();
    platform::Preferences preferences;
    const platform::DeviceAppServices services;
    const auto sorted = sortedByLocalizedName(services, model::scanAvailableApps(preferences, "iPhone", false));
    // "sudoku" sorts among the capitalised names; Stocks has no display name
    // and is named by its CFBundleName.
    EXPECT_THAT(sorted, ElementsAre("com.example.beta", "com.apple.calculator", "com.apple.mobilecal",
                                    "com.apple.mobileslideshow-Camera", "com.example.chirp", "com.apple.mobileipod-MediaPlayer",
                                    "com.apple.mobilemail", "com.apple.Maps", "com.apple.mobilenotes",
                                    "com.apple.mobileslideshow-Photos", "com.apple.mobilesafari",
                                    "com.apple.Preferences", "com.apple.stocks", "com.example.sudoku",
                                    "com.example.tanks", "com.apple.MobileSMS", "com.example.weatherpro"));
}

TEST(ModelNameOrder, TheAddListIsTheSortedCacheOrAFreshScan) {
    test::TestDevice device;
    device.makeApp("/Applications/Zed.app", "com.example.zed", "Zed");
    device.makeApp("/Applications/Ant.app", "com.example.ant", "ant");
    platform::Preferences preferences;
    const platform::DeviceAppServices services;

    // A filled cache is only sorted, even when the device has changed since.
    const model::AvailableApps cache = std::vector<std::string>{"com.example.zed", "com.example.gone"};
    EXPECT_THAT(model::availableAppsToShow(cache, preferences, services, "iPhone", false),
                ElementsAre("com.example.zed", "com.example.gone"));

    // No cache, or an empty one: scan.
    const auto scanned = model::availableAppsToShow(std::nullopt, preferences, services, "iPod touch", false);
    EXPECT_EQ(scanned.front(), "com.example.ant");
    EXPECT_EQ(scanned.size(), 6u);
    EXPECT_EQ(model::availableAppsToShow(std::vector<std::string>{}, preferences, services, "iPod touch", false),
              scanned);
}

}  // namespace
}  // namespace nestora
