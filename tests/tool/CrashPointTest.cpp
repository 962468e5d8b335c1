// NestoraTool killed at every file-changing system call of each operation
// that changes categories, on a small device with other categories beside
// the one it works on. After each kill:
//   1. no file of another category has changed;
//   2. no app is hidden unless some category's items hold it;
//   3. no half bundle stands behind a category name (a preferences file
//      without its bundle may: two folders cannot change in one step).
// Then one --repairall, not killed, leaves every category whole or absent,
// nothing the killed run made under a hidden name, every item still held,
// and promises 1 and 2 still true. And the same operation run again on
// what the kill left (instead of the repair) ends where an unkilled run
// ends.
//
// Every kill point is tried, not a sample: the whole census takes seconds,
// the devices living in memory. Each operation prints how many points it
// had and how each ended.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/tool/CensusLayout.h"

namespace nestora::test {
namespace {

// The operation run again, on a copy of what the kill left, ends as the
// unkilled run did (create: succeeds).
Problems checkRunAgain(const ToolDevice& killed, const Operation& operation, const Tree& unkilledState) {
    Problems problems;
    const ToolDevice again(killed.root());
    const RunResult run = again.tool(operation.arguments);
    if (failed(run)) problems.push_back("run again: " + outcome(run));
    if (operation.againEndsAsUnkilled) {
        for (const std::string& difference : treeDifferences(unkilledState, deviceState(again))) {
            problems.push_back("run again, unlike an unkilled run: " + difference);
        }
    }
    return problems;
}


// alive): an unkilled run first, where a run after a kill must end; then a
// kill at every point, each on a fresh copy.
void runCensus(const std::string& label, const ToolDevice& layout, const Operation& operation) {
    const auto started = std::chrono::steady_clock::now();
    const StartState start = startStateOf(layout, operation);
    Tree unkilledState;
    {
        const ToolDevice device(layout.root());
        const RunResult run = device.tool(operation.arguments);
        ASSERT_FALSE(failed(run)) << label << " unkilled: " << outcome(run);
        unkilledState = deviceState(device);
        Problems problems = checkAfterKill(device, operation, start);
        for (std::string& problem : checkAfterRepair(device, operation, start)) problems.push_back(std::move(problem));
        ASSERT_TRUE(problems.empty()) << label << " unkilled: " << brokenPointsReport({{"finished", problems}});
    }
    CrashCensus census(kFileChangingCalls, false);
    std::vector<CrashPoint> points;
    {
        const ToolDevice counting(layout.root());
        points = census.points(toolCommand(operation.arguments));
    }
    ASSERT_FALSE(points.empty());
    std::vector<std::pair<std::string, Problems>> broken;
    for (const CrashPoint& point : points) {
        const ToolDevice device(layout.root());
        census.runKilledAt(point, toolCommand(operation.arguments));
        Problems problems = checkAfterKill(device, operation, start);
        for (std::string& problem : checkRunAgain(device, operation, unkilledState)) {
            problems.push_back(std::move(problem));
        }
        for (std::string& problem : checkAfterRepair(device, operation, start)) {
            problems.push_back("after --repairall: " + problem);
        }
        if (!problems.empty()) broken.emplace_back(describe(point), std::move(problems));
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "crash points of " << label << ": " << census.summary() << "; " << broken.size()
              << " broke a promise (" << static_cast<int>(seconds * 10) / 10.0 << " s)\n";
    EXPECT_EQ(census.killed(), static_cast<int>(points.size())) << label << ": every point is reached on the way";
    EXPECT_TRUE(broken.empty()) << label << ": " << brokenPointsReport(broken);
}

class ToolCrashPoints : public ToolCensus {};

TEST_P(ToolCrashPoints, Census) { runOnLayout(runCensus); }

INSTANTIATE_TEST_SUITE_P(EveryChangingOperation, ToolCrashPoints, ::testing::ValuesIn(kCensusCases), censusCaseName);

}  // namespace
}  // namespace nestora::test
