// The app's preferences writes killed at every file-changing system call:
// each domain's file reads as it was before or as it is after, never torn,
// and nothing but a temporary file of the write is left beside it.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Plist.h"
#include "tests/support/CrashCensus.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

constexpr const char* kFolder = "/var/mobile/Library/Preferences";
constexpr const char* kDomain = "com.quarvek.nestora.Category000";
constexpr const char* kDefaultsDomain = "com.quarvek.nestora";

std::string fileOf(const char* domain) { return std::string(kFolder) + "/" + domain + ".plist"; }

// Each domain as a killed or finished run may leave it.
std::vector<std::string> stateOf(const test::TestDevice& device) {
    std::vector<std::string> state;
    for (const char* domain : {kDomain, kDefaultsDomain}) {
        const std::string bytes = device.readFile(fileOf(domain));
        auto value = plist::parse(bytes);
        state.push_back(value ? plist::toXml(*value) : "unreadable: " + bytes);
    }
    return state;
}

void layOut(const test::TestDevice& device) {
    device.makeFolder(kFolder);
    plist::Dictionary category;
    category["items"] = plist::Value(plist::Array{plist::Value("com.example.game")});
    category["gone"] = plist::Value("old");
    category["iconFontColor"] = plist::Value(std::int64_t{3});
    device.writeFile(fileOf(kDomain), plist::toBinary(plist::Value(category)));
    plist::Dictionary defaults;
    defaults["keepResident"] = plist::Value(false);
    device.writeFile(fileOf(kDefaultsDomain), plist::toBinary(plist::Value(defaults)));
}

TEST(PlatformPreferencesCrashPoints, EveryDomainIsOldOrNewAfterAKillAtAnyWrite) {
    if (!test::crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    const test::TemporaryFilesInMemory inMemory;
    const std::vector<std::string> argv = {NESTORA_PREFERENCES_WRITER, kDomain, kDefaultsDomain};
    std::vector<std::string> before;
    std::vector<std::string> after;
    std::vector<test::CrashPoint> points;
    test::CrashCensus census(test::kFileChangingCalls, false);
    {
        const test::TestDevice device;
        layOut(device);
        before = stateOf(device);
        points = census.points(argv);
    }
    {
        const test::TestDevice device;
        layOut(device);
        ASSERT_EQ(test::runProgram(argv).exitStatus, 0);
        after = stateOf(device);
    }
    ASSERT_NE(before[0], after[0]);
    ASSERT_NE(before[1], after[1]);
    ASSERT_GE(points.size(), 4u) << "two writes, each with its file and its rename";
    int leftovers = 0;
    for (const test::CrashPoint& point : points) {
        const test::TestDevice device;
        layOut(device);
        census.runKilledAt(point, argv);
        const std::vector<std::string> state = stateOf(device);
        // Each domain reads old or new; the second is written after the first.
        EXPECT_TRUE(state[0] == before[0] || state[0] == after[0]) << describe(point) << ": " << state[0];
        EXPECT_TRUE(state[1] == before[1] || (state[1] == after[1] && state[0] == after[0]))
            << describe(point) << ": " << state[1];
        for (const auto& entry : std::filesystem::directory_iterator(device.host(kFolder))) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".")) {
                ++leftovers;
                EXPECT_TRUE(name.starts_with(".com.quarvek.nestora")) << describe(point) << ": " << name;
            }
        }
    }
    std::cout << "preferences census: " << census.summary() << "; " << leftovers
              << " temporary files left beside the domains, none in their place\n";
    EXPECT_EQ(census.killed(), static_cast<int>(points.size()));
}

}  // namespace
}  // namespace nestora
