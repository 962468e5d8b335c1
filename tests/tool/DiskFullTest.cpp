// NestoraTool meeting a full disk (ENOSPC) or a failing one (EIO) at each
// write, flush, rename and folder making of every operation that changes
// categories, one at a time. Each run exits with status 0 and prints one
// error line, or, when the failed call did not keep it from its work, none
// and ends as a run that met no failure ends; either way no other category
// changed, no app is hidden without a category, no half bundle stands
// behind a category name, and one --repairall leaves every category whole
// or absent with nothing lost.
//
// The hide library's own writes are passed over: it is an outside
// component, and its entry points answer only whether they changed
// something, so the tool cannot tell an un-hide that failed on a full disk
// from one that had nothing to do.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "tests/support/DiskFullCensus.h"
#include "tests/tool/CensusLayout.h"

namespace nestora::test {
namespace {

std::size_t errorLines(const std::string& out) {
    std::size_t count = 0;
    for (const std::string& line : linesOf(out)) count += line.starts_with("ERROR: ") ? 1 : 0;
    return count;
}

// What the run printed and did, against a run that met no failure.
Problems checkReport(const ToolDevice& device, const RunResult& run, const Operation& operation,
                     const Tree& unfailedState, const std::set<std::string>& categoriesBefore) {
    Problems problems;
    if (run.exitStatus != 0) problems.push_back("exit " + std::to_string(run.exitStatus));
    const std::size_t errors = errorLines(run.out);
    if (errors > 1) problems.push_back("printed " + std::to_string(errors) + " error lines: " + run.out);
    if (errors == 0) {
        // Reported as a success: it must be one.
        if (operation.againEndsAsUnkilled) {
            for (const std::string& difference : treeDifferences(unfailedState, deviceState(device))) {
                problems.push_back("printed no error, unlike a run that met no failure: " + difference);
            }
        } else if (bundledCategories(device).size() != categoriesBefore.size() + 1) {
            problems.push_back("printed no error but made no category");
        }
    }
    return problems;
}

void runDiskFullCensus(const std::string& label, const ToolDevice& layout, const Operation& operation) {
    const auto started = std::chrono::steady_clock::now();
    const StartState start = startStateOf(layout, operation);
    const std::set<std::string> categoriesBefore = bundledCategories(layout);
    Tree unfailedState;
    {
        const ToolDevice device(layout.root());
        ASSERT_FALSE(failed(device.tool(operation.arguments))) << label;
        unfailedState = deviceState(device);
    }
    std::vector<FaultPoint> points;
    {
        const ToolDevice counting(layout.root());
        points = diskFullPoints(counting.root(), toolCommand(operation.arguments), {"hidden-icons.plist"});
    }
    ASSERT_FALSE(points.empty()) << label;
    std::vector<std::pair<std::string, Problems>> broken;
    std::vector<std::string> unreported;
    for (const FaultPoint& point : points) {
        const ToolDevice device(layout.root());
        const RunResult run = runFailingAt(point, toolCommand(operation.arguments));
        if (errorLines(run.out) == 0) unreported.push_back(describe(point));
        Problems problems = checkReport(device, run, operation, unfailedState, categoriesBefore);
        for (std::string& problem : checkAfterKill(device, operation, start)) problems.push_back(std::move(problem));
        for (std::string& problem : checkAfterRepair(device, operation, start)) {
            problems.push_back("after --repairall: " + problem);
        }
        if (!problems.empty()) broken.emplace_back(describe(point), std::move(problems));
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "disk-full points of " << label << ": " << points.size() << " failed calls, "
              << unreported.size() << " of them harmless; " << broken.size() << " broke a promise ("
              << static_cast<int>(seconds * 10) / 10.0 << " s)\n";
    for (const std::string& point : unreported) std::cout << "  harmless: " << point << "\n";
    EXPECT_TRUE(broken.empty()) << label << ": " << brokenPointsReport(broken);
}

class ToolDiskFull : public ToolCensus {};

TEST_P(ToolDiskFull, Census) { runOnLayout(runDiskFullCensus); }

INSTANTIATE_TEST_SUITE_P(EveryChangingOperation, ToolDiskFull, ::testing::ValuesIn(kCensusCases), censusCaseName);

}  // namespace
}  // namespace nestora::test
