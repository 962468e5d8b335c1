#include "tests/tool/CensusLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/Plist.h"

namespace nestora::test {

namespace fs = std::filesystem;

CensusLayout::CensusLayout() {
    for (const SampleApp& app : kSampleApps) {
        device.makeApp(app.bundle, app.identifier, "", fs::path(app.bundle).stem().string());
    }
    device.installHideLibrary(NESTORA_HIDE_LIBRARY);
    addCategory("Games", {"com.example.tanks", "com.example.sudoku"}, true);
    addCategory("Social", {"com.example.chirp"});
}

std::string CensusLayout::addCategory(const std::string& displayName, const std::vector<std::string>& items,
                                      bool withIcon) {
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

void CensusLayout::hide(const std::vector<std::string>& items) { hidden.insert(hidden.end(), items.begin(), items.end()); }

void CensusLayout::removeBundle(const std::string& name) const { fs::remove_all(device.host(ToolDevice::bundle(name))); }
void CensusLayout::removePrefs(const std::string& name) const { fs::remove(device.host(ToolDevice::prefsFile(name))); }

const ToolDevice& CensusLayout::finished() const {
    plist::Array paths;
    for (const std::string& item : hidden) paths.emplace_back(sampleApp(item).bundle + "/Info.plist");
    device.writeFile(kHiddenIcons, plist::toXml(plist::Value(std::move(paths))));
    return device;
}

namespace {
const std::vector<std::string> kNeighbours = {"Category000", "Category001"};
}  // namespace

std::string labelOf(CensusCase which) {
    switch (which) {
        case CensusCase::Create: return "--create";
        case CensusCase::Delete: return "--delete";
        case CensusCase::Rename: return "--name";
        case CensusCase::Icon: return "--icon";
        case CensusCase::Repair: return "--repair";
        case CensusCase::RepairAll: return "--repairall";
        case CensusCase::Upgrade: return "--upgrade";
        case CensusCase::RestoreList: return "--restore";
    }
    return "";
}

Operation layOutCensus(CensusLayout& layout, CensusCase which) {
    switch (which) {
        case CensusCase::Create:
            layout.addCategory("Gap", {});
            layout.addCategory("Work", {"com.example.maps"});
            // Numbers 000, 001 and 003 taken: the new category fills the gap.
            layout.removeBundle("Category002");
            layout.removePrefs("Category002");
            return {.arguments = {"--create", "New one"},
                    .others = {"Category000", "Category001", "Category003"},
                    .againEndsAsUnkilled = false};
        case CensusCase::Delete:
            layout.addCategory("Doomed", {"com.example.game", "com.apple.mobilesafari", "com.apple.mobilenotes"}, true);
            return {.arguments = {"--delete", "Category002"}, .others = kNeighbours, .deleted = "Category002"};
        case CensusCase::Rename:
            layout.addCategory("Old name", {"com.example.game", "com.apple.mobilesafari"});
            return {.arguments = {"--name", "New name \xe2\x98\x83", "Category002"}, .others = kNeighbours};
        case CensusCase::Icon:
            layout.addCategory("Pictured", {"com.example.game"}, true);
            layout.device.writeFile(kNewIcon, pngBytes("new icon"));
            return {.arguments = {"--icon", std::string(kNewIcon), "Category002"}, .others = kNeighbours};
        case CensusCase::Repair:
            layout.addCategory("Lost bundle", {"com.example.game", "com.apple.mobilesafari", "com.apple.mobilenotes"});
            layout.removeBundle("Category002");
            return {.arguments = {"--repair", "Category002"}, .others = kNeighbours};
        case CensusCase::RepairAll:
            layout.addCategory("Lost bundle", {"com.example.game", "com.apple.mobilesafari"});
            layout.addCategory("Lost prefs", {});
            layout.removeBundle("Category002");
            layout.removePrefs("Category003");
            return {.arguments = {"--repairall"}, .others = kNeighbours};
        case CensusCase::Upgrade: {
            // A bundle of the old format: its apps in list.txt, its settings
            // in a 110-byte record, a cache, no preferences file.
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
            return {.arguments = {"--upgrade", "Category002"}, .others = kNeighbours};
        }
        case CensusCase::RestoreList: {
            // One category to finish (named anew, given an icon), two to make.
            layout.addCategory("Before", {"com.example.game"});
            plist::Array list;
            const auto entry = [&](const std::string& name, const std::string& displayName, bool icon) {
                plist::Dictionary value{{"DirectoryName", plist::Value(name)},
                                        {"DisplayName", plist::Value(displayName)}};
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
            return {.arguments = {"--restore", "/var/mobile/Media/list.plist"}, .others = kNeighbours};
        }
    }
    return {};
}


void ToolCensus::SetUp() {
    if (!crashCensusAvailable()) GTEST_SKIP() << "strace cannot trace here";
}

void ToolCensus::runOnLayout(
    const std::function<void(const std::string& label, const ToolDevice& layout, const Operation& operation)>& census) {
    CensusLayout layout;
    const Operation operation = layOutCensus(layout, GetParam());
    census(labelOf(GetParam()), layout.finished(), operation);
}

void PrintTo(CensusCase which, std::ostream* out) { *out << labelOf(which); }

std::string censusCaseName(const ::testing::TestParamInfo<CensusCase>& info) {
    switch (info.param) {
        case CensusCase::Create: return "Create";
        case CensusCase::Delete: return "Delete";
        case CensusCase::Rename: return "Rename";
        case CensusCase::Icon: return "Icon";
        case CensusCase::Repair: return "Repair";
        case CensusCase::RepairAll: return "RepairAll";
        case CensusCase::Upgrade: return "UpgradeOfALegacyCategory";
        case CensusCase::RestoreList: return "RestoreOfAList";
    }
    return "";
}

}  // namespace nestora::test
