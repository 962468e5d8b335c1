// A restore killed at every step, then run again, leaves the device as the
// backup describes it. "Every step": each program start (each run of the
// tool) and each file-changing system call of nestora-backup itself. After
// each kill, before the second run, the promises already hold: every bundle
// whole, no app hidden that no category holds.
//
// Then the same inside the tool's runs, the tool and the restore killed
// together: here two runs, every run in bench/restore-census.
//
// And a restore cut by a power loss anywhere (in itself or in a tool run it
// started): every state that could leave (tests/support/PowerCutModel.h),
// then one --repairall leaves every category whole or absent, and a second
// restore leaves the device as the backup describes it.
//
// And a restore whose writes, flushes, renames and folder makings fail one
// at a time (a full disk, a failing one): it says so and fails, or ends
// having restored everything; every bundle stays whole, no app is hidden
// without a category, and a second restore finishes the job.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "platform/Plist.h"
#include "tests/backup/BackupHarness.h"
#include "tests/support/CrashCensus.h"
#include "tests/support/DiskFullCensus.h"
#include "tests/support/PowerCutCensus.h"

namespace nestora::test {
namespace {

constexpr const char* kBackupFile = "/var/mobile/Media/layout.plist";

// Every bundle holds the launcher files and an Info.plist naming it (when
// `bundlesWhole`); every hidden app is an item of some category.
void expectPromisesHold(const BackupDevice& device, const std::string& where, bool bundlesWhole) {
    std::set<std::string> heldApps;
    for (const std::string& name : device.categoryNames()) {
        const std::string bundle = "/Applications/" + name + ".app";
        if (bundlesWhole && device.exists(bundle)) {
            for (const char* file : {"NestoraLauncher", "blank.png", "Default.png", "background.png", "MainWindow.nib"}) {
                EXPECT_TRUE(device.exists(bundle + "/" + file)) << where << ": " << bundle << " lacks " << file;
            }
            auto info = plist::readFile(bundle + "/Info.plist");
            EXPECT_TRUE(info && info->stringForKey("CFBundleIdentifier") == "com.quarvek.nestora." + name)
                << where << ": " << bundle << " has no Info.plist of its own";
        }
        auto prefs = plist::readFile(std::string(kPreferencesFolder) + "/com.quarvek.nestora." + name + ".plist");
        const plist::Value* items = prefs ? prefs->find("items") : nullptr;
        if (items != nullptr && items->array()) {
            for (const plist::Value& item : *items->array()) heldApps.insert(item.string() ? *item.string() : "");
        }
    }
    // The sample apps' Info.plist paths by identifier, for the hidden set.
    const std::map<std::string, std::string> appOf = {
        {"/var/mobile/Applications/1A2B3C4D-0002/Tanks.app/Info.plist", "com.example.tanks"},
        {"/var/mobile/Applications/1A2B3C4D-0004/Sudoku.app/Info.plist", "com.example.sudoku"},
        {"/var/mobile/Applications/1A2B3C4D-0001/Chirp.app/Info.plist", "com.example.chirp"},
        {"/Applications/MobileSMS.app/Info.plist", "com.apple.MobileSMS"}};
    for (const std::string& hidden : device.hiddenApps()) {
        auto app = appOf.find(hidden);
        EXPECT_TRUE(app != appOf.end() && heldApps.contains(app->second))
            << where << ": " << hidden << " is hidden but no category holds it";
    }
}

// The device a backup of three categories was made on, emptied: where every
// run of a census starts, and the state a finished restore must give.
struct CensusStart {
    std::string emptiedRoot;
    std::string expectedState;

    CensusStart() {
        BackupDevice source;
        source.makeCategory("Games", {"com.example.tanks", "com.example.sudoku"}, {{"iconFontColor", 3}},
                            pngImage("games"));
        source.makeCategory("Social", {"com.example.chirp", "com.apple.MobileSMS", "com.example.gone"});
        source.makeCategory("Empty", {}, {}, pngImage("empty"));
        EXPECT_EQ(source.backup({"save", kBackupFile}).exitStatus, 0);
        expectedState = source.state();
        source.deleteEveryCategory();
        emptiedRoot = source.root() + "-emptied";
        std::filesystem::copy(source.root(), emptiedRoot,
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    }
    ~CensusStart() {
        std::filesystem::remove_all(emptiedRoot);
        std::filesystem::remove_all(emptiedRoot + "-census");
    }
    CensusStart(const CensusStart&) = delete;
    CensusStart& operator=(const CensusStart&) = delete;

    // After a kill the promises hold (every bundle whole only when the tool
    // was not killed in the middle of making one: the tool's own crash
    // safety, at worst after one more run, answers for that); a second
    // restore finishes the job.
    void expectRunAgainFinishes(const BackupDevice& device, const std::string& where, bool toolKilled) const {
        expectPromisesHold(device, where, !toolKilled);
        RunResult again = device.backup({"restore", kBackupFile});
        EXPECT_EQ(again.exitStatus, 0) << where << "\n" << again.out << again.err;
        EXPECT_EQ(device.state(), expectedState) << where;
        EXPECT_FALSE(device.exists("/var/mobile/Library/Nestora/RestoreJournal.plist")) << where;
    }
};

std::vector<std::string> censusCalls() {
    std::vector<std::string> calls = kFileChangingCalls;
    calls.insert(calls.end(), kProgramStartCalls.begin(), kProgramStartCalls.end());
    return calls;
}

TEST(RestoreCensus, KilledAtEveryToolRunAndEveryWriteThenRunAgainRestoresTheDevice) {
    if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    const TemporaryFilesInMemory inMemory;
    const CensusStart start;
    CrashCensus census(censusCalls(), false);
    std::vector<CrashPoint> points;
    {
        const BackupDevice counting(start.emptiedRoot);
        points = census.points({counting.host(kInstalledBackup), "restore", kBackupFile});
    }
    const auto toolRuns = std::count_if(points.begin(), points.end(),
                                        [](const CrashPoint& p) { return p.call.starts_with("clone"); });
    // One run of the tool makes every category with its name and icon (a
    // sanitizer's leak check at exit starts one more).
    EXPECT_GE(toolRuns, 1);
    EXPECT_LE(toolRuns, 2);
    for (const CrashPoint& point : points) {
        const BackupDevice device(start.emptiedRoot);
        census.runKilledAt(point, {device.host(kInstalledBackup), "restore", kBackupFile});
        start.expectRunAgainFinishes(device, describe(point), false);
        if (::testing::Test::HasFailure()) break;
    }
    std::cout << "restore census: " << census.summary() << "\n";
    EXPECT_EQ(census.killed(), static_cast<int>(points.size())) << "every point is reached on the way";
}

// Stands in for the tool (at @TOOL@, counting its runs in @DIR@): runs the real
// one, under strace when the census says so, and when this run of the tool
// is killed, kills the restore that started it too (the battery dies for
// both).
constexpr const char* kToolWrapper = R"SH(#!/bin/sh
CENSUS_DIR='@DIR@'
CENSUS_TOOL='@TOOL@'
n=$(($(cat "$CENSUS_DIR/runs" 2>/dev/null || echo 0) + 1))
echo $n > "$CENSUS_DIR/runs"
if [ -n "$CENSUS_COUNT" ]; then
  exec /usr/bin/strace -qq -o "$CENSUS_DIR/run.$n" -e trace="$CENSUS_COUNT" -- "$CENSUS_TOOL" "$@"
fi
if [ "$n" = "$CENSUS_RUN" ]; then
  /usr/bin/strace -qq -o /dev/null -e trace="$CENSUS_CALL" -e inject="$CENSUS_CALL:signal=KILL:when=$CENSUS_WHEN" \
    -- "$CENSUS_TOOL" "$@"
  status=$?
  [ $status -ge 128 ] && kill -KILL $PPID
  exit $status
fi
exec "$CENSUS_TOOL" "$@"
)SH";

// Every file-changing call of a run of the tool, killing the tool and the
// restore together. Here the first two runs (making the first category's
// bundle and naming it; giving it its icon): one of each kind. With
// NESTORA_FULL_CENSUS set (bench/restore-census), every run.
TEST(RestoreCensus, KilledInsideTheToolThenRunAgainRestoresTheDevice) {
    if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    const int lastRun = std::getenv("NESTORA_FULL_CENSUS") != nullptr ? INT_MAX : 2;
    const TemporaryFilesInMemory inMemory;
    const CensusStart start;
    const CrashCensus calls(kFileChangingCalls, false);
    const std::string census = start.emptiedRoot + "-census";
    std::filesystem::create_directory(census);
    std::string wrapper = kToolWrapper;
    wrapper.replace(wrapper.find("@DIR@"), 5, census);
    wrapper.replace(wrapper.find("@TOOL@"), 6, NESTORA_TOOL_PATH);
    const auto wrap = [&](const BackupDevice& device) {
        std::filesystem::remove(device.host(kInstalledTool));
        device.writeFile(kInstalledTool, wrapper);
        std::filesystem::permissions(device.host(kInstalledTool), std::filesystem::perms(0755));
        std::filesystem::remove(census + "/runs");
    };

    // One run with every tool run logged: the points of each.
    std::vector<std::pair<int, CrashPoint>> points;
    {
        const BackupDevice counting(start.emptiedRoot);
        wrap(counting);
        runProgram({counting.host(kInstalledBackup), "restore", kBackupFile}, {"CENSUS_COUNT=" + calls.traceSet()});
        for (int run = 1; run <= lastRun && std::filesystem::exists(census + "/run." + std::to_string(run)); ++run) {
            for (const auto& [call, count] : CrashCensus::countLoggedCalls(census + "/run." + std::to_string(run), false)) {
                for (int n = 1; n <= count; ++n) points.emplace_back(run, CrashPoint{call, n});
            }
        }
    }
    ASSERT_FALSE(points.empty());
    int killed = 0;
    for (const auto& [run, point] : points) {
        const BackupDevice device(start.emptiedRoot);
        wrap(device);
        const std::string where = "tool run " + std::to_string(run) + ", " + describe(point);
        const RunResult result = runProgram({device.host(kInstalledBackup), "restore", kBackupFile},
                                            {"CENSUS_RUN=" + std::to_string(run), "CENSUS_CALL=" + point.call,
                                             "CENSUS_WHEN=" + std::to_string(point.occurrence)});
        killed += result.exitStatus == -1 ? 1 : 0;
        start.expectRunAgainFinishes(device, where, true);
        if (::testing::Test::HasFailure()) break;
    }
    std::cout << "restore census inside the tool: " << points.size() << " kill points, " << killed
              << " with the restore killed\n";
    EXPECT_EQ(killed, static_cast<int>(points.size()));
}

TEST(RestoreCensus, CutByAPowerLossAnywhereThenRepairedAndRunAgainRestoresTheDevice) {
    if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    const TemporaryFilesInMemory inMemory;
    const CensusStart start;
    // Some 2,500 states; here a sample of 150, every one in bench/restore-census.
    const PowerCutCensus census(start.emptiedRoot,
                                {start.emptiedRoot + std::string(kInstalledBackup), "restore", kBackupFile}, 150);
    ASSERT_GT(census.changes(), 0u);
    const std::size_t judged = census.forEachState([&](const std::string& root, const std::string& state) {
        const BackupDevice device(root);
        expectPromisesHold(device, state, false);
        const RunResult repair = device.tool({"--repairall"});
        EXPECT_EQ(repair.out.find("ERROR"), std::string::npos) << state << "\n" << repair.out;
        expectPromisesHold(device, state + ", repaired", true);
        const RunResult again = device.backup({"restore", kBackupFile});
        if (again.exitStatus != 0 || device.state() != start.expectedState) {
            std::string names;
            for (const std::string& name : device.categoryNames()) names += " " + name;
            ADD_FAILURE() << state << ": a second restore exits " << again.exitStatus << " and leaves" << names
                          << "\n" << again.out << again.err;
        }
    });
    std::cout << "restore power-loss census: " << census.summary(judged) << "\n";
}

TEST(RestoreCensus, DiskFullAtAnyWriteThenRunAgainRestoresTheDevice) {
    if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    const TemporaryFilesInMemory inMemory;
    const CensusStart start;
    const std::vector<std::string> argv{start.emptiedRoot + std::string(kInstalledBackup), "restore", kBackupFile};
    std::vector<FaultPoint> points;
    {
        // The restore's own calls; its tool runs have their census.
        const BackupDevice counting(start.emptiedRoot);
        points = diskFullPoints(counting.root(), argv, {"hidden-icons.plist"});
    }
    ASSERT_FALSE(points.empty());
    for (const FaultPoint& point : points) {
        const BackupDevice device(start.emptiedRoot);
        const RunResult run = runFailingAt(point, argv);
        const std::string where = describe(point);
        if (run.exitStatus == 0) {
            EXPECT_EQ(device.state(), start.expectedState) << where << ": reported success\n" << run.out << run.err;
        } else {
            EXPECT_EQ(run.exitStatus, 1) << where;
            EXPECT_NE(run.err.find("nestora-backup: "), std::string::npos) << where << ": failed without a word";
        }
        start.expectRunAgainFinishes(device, where, false);
        if (::testing::Test::HasFailure()) break;
    }
    std::cout << "restore disk-full census: " << points.size() << " failed calls\n";
}

}  // namespace
}  // namespace nestora::test
