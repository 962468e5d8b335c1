// NestoraTool cut off by a power loss at every point of each operation that
// changes categories. A run is recorded once under strace; from its
// file-system calls every state a power cut could leave on a journaling file
// system that keeps metadata in order and allocates late is built
// (tests/support/PowerCutModel.h), each on a fresh device, and judged as
// the kill census judges a kill: no other category changed, no app hidden
// without a category, and after one --repairall every category whole or
// absent with nothing lost.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "tests/support/PowerCutCensus.h"
#include "tests/tool/CensusLayout.h"

namespace nestora::test {
namespace {

void runPowerLossCensus(const std::string& label, const ToolDevice& layout, const Operation& operation) {
    const auto started = std::chrono::steady_clock::now();
    const StartState start = startStateOf(layout, operation);
    // Every state: each operation gives a hundred or fewer.
    const PowerCutCensus census(layout.root(), toolCommand(operation.arguments), 400);
    ASSERT_GT(census.changes(), 0u) << label << " changed nothing";
    std::vector<std::pair<std::string, Problems>> broken;
    const std::size_t judged = census.forEachState([&](const std::string& root, const std::string& description) {
        const ToolDevice device(root);
        Problems problems;
        checkOthersUnchanged(device, operation, start, problems);
        checkHiddenAppsHeld(device, problems);
        for (std::string& problem : checkAfterRepair(device, operation, start)) {
            problems.push_back("after --repairall: " + problem);
        }
        if (!problems.empty()) broken.emplace_back(description, std::move(problems));
    });
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "power-loss states of " << label << ": " << census.summary(judged) << "; " << broken.size()
              << " broke a promise (" << static_cast<int>(seconds * 10) / 10.0 << " s)\n";
    EXPECT_TRUE(broken.empty()) << label << ": " << brokenPointsReport(broken);
}

class ToolPowerLoss : public ToolCensus {};

TEST_P(ToolPowerLoss, Census) { runOnLayout(runPowerLossCensus); }

INSTANTIATE_TEST_SUITE_P(EveryChangingOperation, ToolPowerLoss, ::testing::ValuesIn(kCensusCases), censusCaseName);

}  // namespace
}  // namespace nestora::test
