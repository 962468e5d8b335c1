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
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Plist.h"
#include "tests/support/CrashCensus.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHiddenIcons = "/var/lib/nestora/hidden-icons.plist";
constexpr std::string_view kNewIcon = "/var/mobile/Media/new-icon.png";

struct SampleApp {
    std::string identifier;
    std::string bundle;
};

const std::vector<SampleApp> kSampleApps = {
    {"com.apple.mobilesafari", "/Applications/MobileSafari.app"},
    {"com.apple.mobilenotes", "/Applications/MobileNotes.app"},
    {"com.example.game", "/var/mobile/Applications/C0FFEE01/Game.app"},
    {"com.example.tanks", "/var/mobile/Applications/C0FFEE02/Tanks.app"},
    {"com.example.sudoku", "/var/mobile/Applications/C0FFEE03/Sudoku.app"},
    {"com.example.chirp", "/var/mobile/Applications/C0FFEE04/Chirp.app"},
    {"com.example.maps", "/var/mobile/Applications/C0FFEE05/Maps.app"},
};

const SampleApp& sampleApp(const std::string& identifier) {
    const auto app = std::find_if(kSampleApps.begin(), kSampleApps.end(),
                                  [&](const SampleApp& a) { return a.identifier == identifier; });
    EXPECT_NE(app, kSampleApps.end()) << identifier;
    return app != kSampleApps.end() ? *app : kSampleApps.front();
}

// The app whose Info.plist the hide library names; none for a path that is
// no app of the device.
std::optional<std::string> appOfInfoPlist(const std::string& path) {
    for (const SampleApp& app : kSampleApps) {
        if (app.bundle + "/Info.plist" == path) return app.identifier;
    }
    return std::nullopt;
}

// The app a legacy list.txt entry ("Game.app") names; the entry itself,
// marked, when the device has no such app.
std::string appOfLegacyEntry(const std::string& entry) {
    for (const SampleApp& app : kSampleApps) {
        if (fs::path(app.bundle).filename() == entry) return app.identifier;
    }
    return "?" + entry;
}

bool isCategoryDirectoryName(std::string_view name) {
    return name.size() == 11 && name.starts_with("Category") &&
           std::all_of(name.begin() + 8, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> folderEntries(const ToolDevice& device, std::string_view devicePath) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(device.host(devicePath), error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Directory names of the categories with something at their bundle path.
std::set<std::string> bundledCategories(const ToolDevice& device) {
    std::set<std::string> names;
    for (const std::string& entry : folderEntries(device, "/Applications")) {
        if (entry.ends_with(".app") && isCategoryDirectoryName(entry.substr(0, entry.size() - 4))) {
            names.insert(entry.substr(0, entry.size() - 4));
        }
    }
    return names;
}

// Directory names of the categories with something at their preferences path.
std::set<std::string> categoriesWithPrefs(const ToolDevice& device) {
    std::set<std::string> names;
    const std::string prefix = ToolDevice::identifier("");
    for (const std::string& entry : folderEntries(device, kPrefsFolder)) {
        if (!entry.starts_with(prefix) || !entry.ends_with(".plist")) continue;
        const std::string name = entry.substr(prefix.size(), entry.size() - prefix.size() - 6);
        if (isCategoryDirectoryName(name)) names.insert(name);
    }
    return names;
}

// The platform layer reads in the device NESTORA_DEVICE_ROOT names: the
// newest one alive, which is the one the checks are about.
std::optional<plist::Value> readPlist(const ToolDevice& device, const std::string& devicePath) {
    const char* root = std::getenv("NESTORA_DEVICE_ROOT");
    EXPECT_TRUE(root != nullptr && root == device.root()) << "a check reads another device";
    return plist::readFile(devicePath);
}

// Every entry at and under a device path: its kind, permission bits and
// bytes (a link: its target). Names with a leading dot are left out when
// `skipDotNames`.
using Tree = std::map<std::string, std::string>;

void addTree(const ToolDevice& device, const std::string& devicePath, bool skipDotNames, Tree& tree) {
    struct stat st {};
    if (::lstat(device.host(devicePath).c_str(), &st) != 0) return;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    if (S_ISDIR(st.st_mode)) {
        tree[devicePath] = std::string("folder ") + mode;
        for (const std::string& name : folderEntries(device, devicePath)) {
            if (!(skipDotNames && name.starts_with("."))) addTree(device, devicePath + "/" + name, skipDotNames, tree);
        }
    } else if (S_ISLNK(st.st_mode)) {
        tree[devicePath] = "link " + fs::read_symlink(device.host(devicePath)).string();
    } else if (S_ISREG(st.st_mode)) {
        tree[devicePath] = std::string("file ") + mode + " " + device.readFile(devicePath);
    } else {
        tree[devicePath] = "special";
    }
}

// "changed: path", "appeared: path", "gone: path" for the first few
// differences.
std::vector<std::string> treeDifferences(const Tree& before, const Tree& after) {
    std::vector<std::string> differences;
    for (const auto& [path, entry] : before) {
        const auto now = after.find(path);
        if (now == after.end()) {
            differences.push_back("gone: " + path);
        } else if (now->second != entry) {
            differences.push_back("changed: " + path);
        }
    }
    for (const auto& [path, entry] : after) {
        if (!before.contains(path)) differences.push_back("appeared: " + path);
    }
    if (differences.size() > 4) differences.resize(4);
    return differences;
}

// The Info.plist paths the stand-in hide library holds hidden; none when its
// list exists but cannot be read.
std::optional<std::vector<std::string>> hiddenApps(const ToolDevice& device) {
    std::vector<std::string> paths;
    if (!device.exists(kHiddenIcons)) return paths;
    const auto list = readPlist(device, std::string(kHiddenIcons));
    if (!list || !list->array()) return std::nullopt;
    for (const plist::Value& entry : *list->array()) paths.push_back(entry.string() ? *entry.string() : "");
    return paths;
}

// The categories' bundles and preferences files and the hidden apps: what
// an operation run again must leave as an unkilled run does. What a killed
// run left under a hidden name is for --repairall to clear, and left out.
Tree deviceState(const ToolDevice& device) {
    Tree state;
    addTree(device, "/Applications", true, state);
    addTree(device, std::string(kPrefsFolder), true, state);
    std::string hidden = "hidden:";
    for (const std::string& path : hiddenApps(device).value_or(std::vector<std::string>{"(unreadable)"})) {
        hidden += " " + path;
    }
    state[std::string(kHiddenIcons)] = hidden;
    return state;
}

// What each category holds, by directory name: the items of its preferences
// file and, for a legacy bundle, the apps its list.txt names.
using HeldItems = std::map<std::string, std::set<std::string>>;

HeldItems heldItems(const ToolDevice& device) {
    HeldItems held;
    for (const std::string& name : categoriesWithPrefs(device)) {
        std::set<std::string>& items = held[name];
        const auto prefs = readPlist(device, ToolDevice::prefsFile(name));
        const plist::Value* list = prefs ? prefs->find("items") : nullptr;
        if (list == nullptr || !list->array()) continue;
        for (const plist::Value& item : *list->array()) {
            if (item.string()) items.insert(*item.string());
        }
    }
    for (const std::string& name : bundledCategories(device)) {
        std::istringstream list(device.readFile(ToolDevice::bundle(name) + "/list.txt"));
        for (std::string line; std::getline(list, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) held[name].insert(appOfLegacyEntry(line));
        }
    }
    return held;
}

// Names with a leading dot in /Applications, in category bundles and in the
// preferences folder: where a killed run leaves what it had not finished.
std::set<std::string> dotEntries(const ToolDevice& device) {
    std::set<std::string> paths;
    std::vector<std::string> folders{"/Applications", std::string(kPrefsFolder)};
    for (const std::string& name : bundledCategories(device)) folders.push_back(ToolDevice::bundle(name));
    for (const std::string& folder : folders) {
        for (const std::string& entry : folderEntries(device, folder)) {
            if (entry.starts_with(".")) paths.insert(folder + "/" + entry);
        }
    }
    return paths;
}

using Problems = std::vector<std::string>;

Tree categoriesTree(const ToolDevice& device, const std::vector<std::string>& names) {
    Tree tree;
    for (const std::string& name : names) {
        addTree(device, ToolDevice::bundle(name), false, tree);
        addTree(device, ToolDevice::prefsFile(name), false, tree);
    }
    return tree;
}

// One operation of the census and what it started from.
struct Operation {
    std::vector<std::string> arguments;
    std::vector<std::string> others;  // categories it must leave alone
    std::string deleted{};            // the category whose items it gives back, if any
    bool againEndsAsUnkilled = true;  // false for create: each run makes another category
};

// The bytes each launcher file may have in a bundle: a complete copy of a
// launcher the device has had (the one installed, or one a category holds).
using LauncherCopies = std::map<std::string, std::set<std::string>>;

LauncherCopies launcherCopies(const ToolDevice& device) {
    LauncherCopies copies;
    for (const std::string& file : kLauncherFileNames) {
        copies[file].insert(device.readFile(std::string(kLauncherFolder) + "/" + file));
        for (const std::string& name : bundledCategories(device)) {
            const std::string path = ToolDevice::bundle(name) + "/" + file;
            if (device.exists(path)) copies[file].insert(device.readFile(path));
        }
    }
    return copies;
}

struct StartState {
    Tree others;
    HeldItems held;
    std::set<std::string> dotEntries;
    LauncherCopies launcher;
};

// Promise 1.
void checkOthersUnchanged(const ToolDevice& device, const Operation& operation, const StartState& start,
                          Problems& problems) {
    for (const std::string& difference : treeDifferences(start.others, categoriesTree(device, operation.others))) {
        problems.push_back("another category's file " + difference);
    }
}

// Promise 2.
void checkHiddenAppsHeld(const ToolDevice& device, Problems& problems) {
    const auto hidden = hiddenApps(device);
    if (!hidden) {
        problems.push_back("the hide library's list cannot be read");
        return;
    }
    std::set<std::string> held;
    for (const auto& [name, items] : heldItems(device)) held.insert(items.begin(), items.end());
    for (const std::string& path : *hidden) {
        const auto app = appOfInfoPlist(path);
        if (!app || !held.contains(*app)) problems.push_back(path + " is hidden but no category holds it");
    }
}

// A whole bundle: the five launcher files, each a complete copy (the
// launcher executable 0755), and an Info.plist of eleven strings that names
// the category.
void checkBundleWhole(const ToolDevice& device, const std::string& name, const StartState& start,
                      Problems& problems) {
    const std::string bundle = ToolDevice::bundle(name);
    for (const std::string& file : kLauncherFileNames) {
        struct stat st {};
        if (::lstat(device.host(bundle + "/" + file).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            problems.push_back(bundle + " lacks " + file);
        } else if (!start.launcher.at(file).contains(device.readFile(bundle + "/" + file))) {
            problems.push_back(bundle + "/" + file + " is no complete copy of a launcher file");
        }
    }
    if (const mode_t mode = device.modeOf(bundle + "/NestoraLauncher"); mode != 0755) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
        problems.push_back(bundle + "/NestoraLauncher has mode " + octal);
    }
    const auto info = readPlist(device, bundle + "/Info.plist");
    if (!info || !info->dictionary()) {
        problems.push_back(bundle + " has no readable Info.plist");
        return;
    }
    const plist::Dictionary& keys = *info->dictionary();
    const bool allStrings =
        std::all_of(keys.begin(), keys.end(), [](const auto& key) { return key.second.isString(); });
    if (keys.size() != 11 || !allStrings) {
        problems.push_back(bundle + "/Info.plist holds " + std::to_string(keys.size()) + " keys" +
                           (allStrings ? "" : ", not all strings"));
    }
    if (info->stringForKey("CFBundleIdentifier") != ToolDevice::identifier(name)) {
        problems.push_back(bundle + "/Info.plist names another bundle");
    }
}

// Promise 3, right after a kill.
void checkNoHalfBundle(const ToolDevice& device, const StartState& start, Problems& problems) {
    for (const std::string& name : bundledCategories(device)) checkBundleWhole(device, name, start, problems);
}

Problems checkAfterKill(const ToolDevice& device, const Operation& operation, const StartState& start) {
    Problems problems;
    checkOthersUnchanged(device, operation, start, problems);
    checkHiddenAppsHeld(device, problems);
    checkNoHalfBundle(device, start, problems);
    return problems;
}

bool failed(const RunResult& run) { return run.exitStatus != 0 || run.out.find("ERROR") != std::string::npos; }

std::string outcome(const RunResult& run) {
    return "exit " + std::to_string(run.exitStatus) + ", printed \"" + run.out + "\"";
}

// One --repairall, then: every category whole or absent, nothing left under
// a hidden name that was not there before, every item still held (but the
// deleted category's), and promises 1 and 2.
Problems checkAfterRepair(const ToolDevice& device, const Operation& operation, const StartState& start) {
    Problems problems;
    const RunResult repair = device.tool({"--repairall"});
    if (failed(repair)) problems.push_back("--repairall: " + outcome(repair));
    const std::set<std::string> bundles = bundledCategories(device);
    const std::set<std::string> prefs = categoriesWithPrefs(device);
    std::set<std::string> names = bundles;
    names.insert(prefs.begin(), prefs.end());
    for (const std::string& name : names) {
        if (!bundles.contains(name)) {
            problems.push_back(name + " has preferences but no bundle");
        } else {
            if (!prefs.contains(name)) problems.push_back(name + " has a bundle but no preferences");
            checkBundleWhole(device, name, start, problems);
        }
    }
    for (const std::string& path : dotEntries(device)) {
        if (!start.dotEntries.contains(path)) problems.push_back(path + " is left over");
    }
    const HeldItems held = heldItems(device);
    for (const auto& [name, items] : start.held) {
        if (name == operation.deleted) continue;
        const auto now = held.find(name);
        for (const std::string& item : items) {
            if (now == held.end() || !now->second.contains(item)) problems.push_back(name + " lost " + item);
        }
    }
    checkOthersUnchanged(device, operation, start, problems);
    checkHiddenAppsHeld(device, problems);
    return problems;
}

std::vector<std::string> toolCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{NESTORA_TOOL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

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

std::string brokenPointsReport(const std::vector<std::pair<std::string, Problems>>& broken) {
    std::ostringstream text;
    text << broken.size() << " kill points broke a promise:\n";
    for (std::size_t i = 0; i < broken.size(); ++i) {
        const auto& [point, problems] = broken[i];
        // The first few in full, then one line each.
        const std::size_t shown = i < 3 ? problems.size() : 1;
        text << "  " << point << ": " << problems.front();
        for (std::size_t p = 1; p < shown; ++p) text << "\n      " << problems[p];
        if (shown < problems.size()) text << " (and " << problems.size() - shown << " more)";
        text << "\n";
    }
    return text.str();
}

// The census of one operation on the laid-out device (the newest device
// alive): an unkilled run first, where a run after a kill must end; then a
// kill at every point, each on a fresh copy.
void runCensus(const std::string& label, const ToolDevice& layout, const Operation& operation) {
    const auto started = std::chrono::steady_clock::now();
    const StartState start{categoriesTree(layout, operation.others), heldItems(layout), dotEntries(layout),
                           launcherCopies(layout)};
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

// A device with the launcher, the apps, the stand-in hide library and two
// categories made by the tool that every operation must leave alone:
// Category000 "Games" (two apps, an icon) and Category001 "Social" (one
// app, a setting). Each test adds the categories its operation works on.
class CensusLayout {
public:
    CensusLayout() {
        for (const SampleApp& app : kSampleApps) {
            device.makeApp(app.bundle, app.identifier, "", fs::path(app.bundle).stem().string());
        }
        device.installHideLibrary(NESTORA_HIDE_LIBRARY);
        addCategory("Games", {"com.example.tanks", "com.example.sudoku"}, true);
        addCategory("Social", {"com.example.chirp"});
    }

    // A category as the app makes one: created by the tool, its items in
    // its preferences file (and hidden), maybe an icon. Returns its
    // directory name.
    std::string addCategory(const std::string& displayName, const std::vector<std::string>& items,
                            bool withIcon = false) {
        const std::set<std::string> before = bundledCategories(device);
        EXPECT_EQ(device.tool({"--create", displayName}).out, "");
        std::string name;
        for (const std::string& made : bundledCategories(device)) {
            if (!before.contains(made)) name = made;
        }
        EXPECT_FALSE(name.empty()) << "the tool made no category";
        plist::Array list(items.begin(), items.end());
        const plist::Dictionary prefs{{"items", plist::Value(std::move(list))}, {"iconFontColor", plist::Value(3)}};
        device.writeFile(ToolDevice::prefsFile(name), plist::toBinary(plist::Value(prefs)));
        if (withIcon) device.writeFile(ToolDevice::bundle(name) + "/icon.png", pngBytes(name));
        hide(items);
        return name;
    }

    void hide(const std::vector<std::string>& items) { hidden.insert(hidden.end(), items.begin(), items.end()); }

    void removeBundle(const std::string& name) const { fs::remove_all(device.host(ToolDevice::bundle(name))); }
    void removePrefs(const std::string& name) const { fs::remove(device.host(ToolDevice::prefsFile(name))); }

    // Writes the hide library's list: every app some category holds.
    const ToolDevice& finished() const {
        plist::Array paths;
        for (const std::string& item : hidden) paths.emplace_back(sampleApp(item).bundle + "/Info.plist");
        device.writeFile(kHiddenIcons, plist::toXml(plist::Value(std::move(paths))));
        return device;
    }

    ToolDevice device;

private:
    std::vector<std::string> hidden;
};

const std::vector<std::string> kNeighbours = {"Category000", "Category001"};

class ToolCrashPoints : public ::testing::Test {
protected:
    void SetUp() override {
        if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
    }
    // Before any device: the census's many devices live in memory.
    const TemporaryFilesInMemory inMemory;
};

TEST_F(ToolCrashPoints, Create) {
    CensusLayout layout;
    layout.addCategory("Gap", {});
    layout.addCategory("Work", {"com.example.maps"});
    // Numbers 000, 001 and 003 taken: the new category fills the gap.
    layout.removeBundle("Category002");
    layout.removePrefs("Category002");
    runCensus("--create", layout.finished(),
              {.arguments = {"--create", "New one"},
               .others = {"Category000", "Category001", "Category003"},
               .againEndsAsUnkilled = false});
}

TEST_F(ToolCrashPoints, Delete) {
    CensusLayout layout;
    layout.addCategory("Doomed", {"com.example.game", "com.apple.mobilesafari", "com.apple.mobilenotes"}, true);
    runCensus("--delete", layout.finished(),
              {.arguments = {"--delete", "Category002"}, .others = kNeighbours, .deleted = "Category002"});
}

TEST_F(ToolCrashPoints, Rename) {
    CensusLayout layout;
    layout.addCategory("Old name", {"com.example.game", "com.apple.mobilesafari"});
    runCensus("--name", layout.finished(),
              {.arguments = {"--name", "New name \xe2\x98\x83", "Category002"}, .others = kNeighbours});
}

TEST_F(ToolCrashPoints, Icon) {
    CensusLayout layout;
    layout.addCategory("Pictured", {"com.example.game"}, true);
    layout.device.writeFile(kNewIcon, pngBytes("new icon"));
    runCensus("--icon", layout.finished(),
              {.arguments = {"--icon", std::string(kNewIcon), "Category002"}, .others = kNeighbours});
}

TEST_F(ToolCrashPoints, Repair) {
    CensusLayout layout;
    layout.addCategory("Lost bundle", {"com.example.game", "com.apple.mobilesafari", "com.apple.mobilenotes"});
    layout.removeBundle("Category002");
    runCensus("--repair", layout.finished(), {.arguments = {"--repair", "Category002"}, .others = kNeighbours});
}

TEST_F(ToolCrashPoints, RepairAll) {
    CensusLayout layout;
    layout.addCategory("Lost bundle", {"com.example.game", "com.apple.mobilesafari"});
    layout.addCategory("Lost prefs", {});
    layout.removeBundle("Category002");
    layout.removePrefs("Category003");
    runCensus("--repairall", layout.finished(), {.arguments = {"--repairall"}, .others = kNeighbours});
}

TEST_F(ToolCrashPoints, RestoreOfAList) {
    CensusLayout layout;
    // One category to finish (named anew, given an icon), two to make.
    layout.addCategory("Before", {"com.example.game"});
    plist::Array list;
    const auto entry = [&](const std::string& name, const std::string& displayName, bool icon) {
        plist::Dictionary value{{"DirectoryName", plist::Value(name)}, {"DisplayName", plist::Value(displayName)}};
        if (icon) {
            const std::string bytes = pngBytes(name);
            value["Icon"] = plist::Data(bytes.begin(), bytes.end());
        }
        list.emplace_back(std::move(value));
    };
    entry("Category002", "After", true);
    entry("Category003", "Made", true);
    entry("Category004", "Plain", false);
    layout.device.writeFile("/var/mobile/Media/list.plist", plist::toBinary(plist::Value(std::move(list))));
    runCensus("--restore", layout.finished(),
              {.arguments = {"--restore", "/var/mobile/Media/list.plist"}, .others = kNeighbours});
}

TEST_F(ToolCrashPoints, UpgradeOfALegacyCategory) {
    CensusLayout layout;
    // A bundle of the old format: its apps in list.txt, its settings in a
    // 110-byte record, a cache, no preferences file.
    layout.addCategory("Legacy", {});
    layout.removePrefs("Category002");
    const std::string bundle = ToolDevice::bundle("Category002");
    layout.device.writeFile(bundle + "/list.txt", "Game.app\nMobileNotes.app\n");
    std::string record(110, '\0');
    record[1] = 1;  // showIconLabels
    record[5] = 3;  // leftRightRowsPerColumn
    record.replace(13, 5, "Glass");
    layout.device.writeFile(bundle + "/Prefs.bin", record);
    layout.device.writeFile(bundle + "/cache.bin", "cache");
    layout.hide({"com.example.game", "com.apple.mobilenotes"});
    // A newer launcher to upgrade to.
    for (const std::string& name : kLauncherFileNames) {
        layout.device.writeFile(std::string(kLauncherFolder) + "/" + name, name + " v3");
    }
    runCensus("--upgrade", layout.finished(), {.arguments = {"--upgrade", "Category002"}, .others = kNeighbours});
}

}  // namespace
}  // namespace nestora::test
