#include "tests/tool/CensusJudge.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "hide/HiddenIconsFile.h"
#include "platform/Plist.h"

namespace nestora::test {

namespace fs = std::filesystem;

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


// Names with a leading dot are left out when `skipDotNames`; a link gives
// its target.
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
    if (!device.exists(kHiddenIcons)) return std::vector<std::string>{};
    const std::string bytes = device.readFile(kHiddenIcons);
    // Read as the home screen reads it: a line a power cut tore mid-change
    // counts as no entry. A list that is not the library's layout must be a
    // property-list array.
    if (hide::readListInLayout(bytes)) return hide::hiddenPathsOfList(bytes);
    const auto list = plist::parse(bytes);
    if (!list || !list->array()) return std::nullopt;
    std::vector<std::string> paths;
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


Tree categoriesTree(const ToolDevice& device, const std::vector<std::string>& names) {
    Tree tree;
    for (const std::string& name : names) {
        addTree(device, ToolDevice::bundle(name), false, tree);
        addTree(device, ToolDevice::prefsFile(name), false, tree);
    }
    return tree;
}


// The bytes each launcher file may have in a bundle: a complete copy of a
// launcher the device has had (the one installed, or one a category holds).

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


std::string brokenPointsReport(const std::vector<std::pair<std::string, Problems>>& broken) {
    std::ostringstream text;
    text << broken.size() << " points broke a promise:\n";
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

StartState startStateOf(const ToolDevice& layout, const Operation& operation) {
    return StartState{categoriesTree(layout, operation.others), heldItems(layout), dotEntries(layout),
                      launcherCopies(layout)};
}

}  // namespace nestora::test
