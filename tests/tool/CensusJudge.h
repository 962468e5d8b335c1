#pragma once

// What every census of the tool (a run killed, cut by a power loss or
// stopped by a full disk at each step) starts from and how it judges what a
// run left: the laid-out device with categories the operation must leave
// alone, the operations themselves, and the promises:
//   1. no file of another category has changed;
//   2. no app is hidden unless some category's items hold it;
//   3. no half bundle stands behind a category name;
// and, after one --repairall, every category whole or absent, nothing left
// under a hidden name, every item still held.

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/tool/ToolHarness.h"

namespace nestora::test {

inline constexpr std::string_view kHiddenIcons = "/var/lib/nestora/hidden-icons.plist";
inline constexpr std::string_view kNewIcon = "/var/mobile/Media/new-icon.png";

// Every entry at and under a device path: its kind, permission bits and bytes.
using Tree = std::map<std::string, std::string>;
// What each category holds, by directory name.
using HeldItems = std::map<std::string, std::set<std::string>>;
// The bytes each launcher file may have in a bundle.
using LauncherCopies = std::map<std::string, std::set<std::string>>;
using Problems = std::vector<std::string>;

// One operation of a census and what it started from.
struct Operation {
    std::vector<std::string> arguments;
    std::vector<std::string> others;  // categories it must leave alone
    std::string deleted{};            // the category whose items it gives back, if any
    bool againEndsAsUnkilled = true;  // false for create: each run makes another category
};

struct StartState {
    Tree others;
    HeldItems held;
    std::set<std::string> dotEntries;
    LauncherCopies launcher;
};

// The start of a census of the operation on the laid-out device.
StartState startStateOf(const ToolDevice& layout, const Operation& operation);

// The categories' bundles and preferences files and the hidden apps, names
// with a leading dot left out.
Tree deviceState(const ToolDevice& device);
// "changed: path", "appeared: path", "gone: path" for the first few.
std::vector<std::string> treeDifferences(const Tree& before, const Tree& after);

// Promise 1.
void checkOthersUnchanged(const ToolDevice& device, const Operation& operation, const StartState& start,
                          Problems& problems);
// Promise 2.
void checkHiddenAppsHeld(const ToolDevice& device, Problems& problems);
// Promises 1 to 3, right after a run was stopped.
Problems checkAfterKill(const ToolDevice& device, const Operation& operation, const StartState& start);
// One --repairall, then: every category whole or absent, nothing left under
// a hidden name that was not there before, every item still held (but the
// deleted category's), and promises 1 and 2.
Problems checkAfterRepair(const ToolDevice& device, const Operation& operation, const StartState& start);

// A run reported a failure: a status other than 0 or an ERROR line.
bool failed(const RunResult& run);
std::string outcome(const RunResult& run);
std::vector<std::string> toolCommand(const std::vector<std::string>& arguments);
// The broken points, the first few in full.
std::string brokenPointsReport(const std::vector<std::pair<std::string, Problems>>& broken);

// The sample apps of a census device.
struct SampleApp {
    std::string identifier;
    std::string bundle;
};
extern const std::vector<SampleApp> kSampleApps;
const SampleApp& sampleApp(const std::string& identifier);

// Directory names of the categories with something at their bundle path.
std::set<std::string> bundledCategories(const ToolDevice& device);

}  // namespace nestora::test
