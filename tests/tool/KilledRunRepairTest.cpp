// What a killed run leaves, settled by repair: staging and deleting folders,
// temporary files, bundles an older version left without an Info.plist.
// (Every kill point of every operation is tried by CrashPointTest.cpp; these
// pin down what repair does with each kind of leftover.)

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/AppServices.h"
#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

constexpr const char* kStaging = "/Applications/.Category003.staging.0123456789ab";
constexpr const char* kDeleting = "/Applications/.Category005.deleting.0123456789ab";

// A whole category bundle standing under another name.
void makeBundleAt(const ToolDevice& device, const std::string& directoryName, const std::string& displayName,
                  const std::string& where) {
    device.makeCategory(directoryName, displayName, false);
    std::filesystem::rename(device.host(ToolDevice::bundle(directoryName)), device.host(where));
}

TEST(ToolKilledRunRepair, AWholeStagingFolderWhosePreferencesExistBecomesTheCategory) {
    ToolDevice device;
    makeBundleAt(device, "Category003", "Games", kStaging);
    device.writeFile(ToolDevice::prefsFile("Category003"), "");
    EXPECT_EQ(device.tool({"--repairall"}).out, "Finished creating category: /Applications/Category003.app\n");
    EXPECT_FALSE(device.exists(kStaging));
    EXPECT_NE(device.plistJson("/Applications/Category003.app/Info.plist")
                  .value_or("")
                  .find("\"CFBundleDisplayName\": \"Games\""),
              std::string::npos);
    EXPECT_EQ(device.tool({"--repairall"}).out, "");
}

TEST(ToolKilledRunRepair, NoScanTakesAStagingFolderForACategoryOrAnApp) {
    ToolDevice device;
    makeBundleAt(device, "Category003", "Games", kStaging);
    EXPECT_EQ(device.tool({"--list"}).out, "No categories found.\n");
    const platform::DeviceAppServices services;
    EXPECT_EQ(services.bundleCount(), 0u);
    EXPECT_FALSE(services.executablePathForDisplayIdentifier(ToolDevice::identifier("Category003")));
}

TEST(ToolKilledRunRepair, AnyOtherStagingFolderIsRolledBack) {
    ToolDevice device;
    // Killed before the preferences file claimed the number.
    makeBundleAt(device, "Category003", "Games", kStaging);
    // Killed while the launcher files were being copied, preferences made by
    // someone else meanwhile.
    device.makeFolder("/Applications/.Category004.staging.ba9876543210");
    device.writeFile("/Applications/.Category004.staging.ba9876543210/blank.png", "part");
    device.writePrefs("Category004", "{'items': ['com.example.game']}");
    const std::string partial = "/Applications/.Category004.staging.ba9876543210";
    EXPECT_EQ(device.tool({"--repair", "Category004"}).out, "Removed unfinished category: " + partial + "\n");
    // The preferences file (and its items) make Category004 a category whose
    // bundle repair makes again.
    EXPECT_TRUE(device.exists("/Applications/Category004.app/Info.plist"));
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category004")), "{\"items\": [\"com.example.game\"]}");
    // A repair of one category leaves the others' leftovers alone.
    EXPECT_TRUE(device.exists(kStaging));
    EXPECT_EQ(device.tool({"--repairall"}).out, "Removed unfinished category: " + std::string(kStaging) + "\n");
    EXPECT_FALSE(device.exists("/Applications/Category003.app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category003")));
}

TEST(ToolKilledRunRepair, ADeletingFolderIsRemovedAndItsDeleteFinished) {
    ToolDevice device;
    makeBundleAt(device, "Category005", "Old", kDeleting);
    device.writePrefs("Category005", "{'iconFontColor': 3}");
    // A delete whose items could not be cleared: the preferences stay, so the
    // apps they hold are not left hidden with no category to show them.
    makeBundleAt(device, "Category006", "Kept", "/Applications/.Category006.deleting.00000000000f");
    device.writePrefs("Category006", "{'items': ['com.example.game']}");
    EXPECT_EQ(device.tool({"--repairall"}).out,
              "Finished deleting category: /Applications/.Category005.deleting.0123456789ab\n"
              "Finished deleting category: /Applications/.Category006.deleting.00000000000f\n");
    EXPECT_FALSE(device.exists(kDeleting));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category005")));
    EXPECT_FALSE(device.exists("/Applications/Category005.app"));
    EXPECT_TRUE(device.exists("/Applications/Category006.app/Info.plist"));
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category006")), "{\"items\": [\"com.example.game\"]}");
}

TEST(ToolKilledRunRepair, TemporaryFilesOfReplacementsAreRemovedAndNothingElse) {
    ToolDevice device;
    device.makeCategory("Category001", "Games");
    device.makeCategory("Category002", "Work");
    // A replacement's temporary file waits beside the bundle.
    const std::string ours = "/Applications/.Category001.replacing.0123456789ab";
    const std::string others = "/Applications/.Category002.replacing.abcdefabcdef";
    device.writeFile(ours, "half");
    device.writeFile(others, "half");
    device.writeFile("/Applications/.Category001.replacing.NOTHEXNOTHEX", "not ours");
    device.makeFolder("/Applications/.Category001.replacing.00000000000f");
    const std::string prefsTemporary = std::string(kPrefsFolder) + "/.com.quarvek.nestora.Category001.plist.tmp00112233aabb";
    device.writeFile(prefsTemporary, "half");
    // The app's preferences writes leave theirs under another pattern.
    const std::string appTemporary = std::string(kPrefsFolder) + "/.com.quarvek.nestora.Category001.plist.Xy09Zq";
    device.writeFile(appTemporary, "half");
    device.writeFile(std::string(kPrefsFolder) + "/.com.example.app.plist.tmp00112233aabb", "another app's");
    // Earlier versions made theirs inside the bundle.
    const std::string bundle = ToolDevice::bundle("Category001");
    device.writeFile(bundle + "/.Info.plist.tmp0123456789ab", "half");
    device.writeFile(bundle + "/.icon.png.tmpabcdefabcdef", "half");
    device.writeFile(bundle + "/.Info.plist.Ab12Cd", "older version's");
    device.writeFile(bundle + "/.icon.png.tmpNOTHEXNOTHEX", "not ours");

    // A repair of one category leaves another's alone.
    std::vector<std::string> lines = linesOf(device.tool({"--repair", "Category001"}).out);
    std::vector<std::string> expected = {
        "Removed temporary file: " + ours,
        "Removed temporary file: " + bundle + "/.Info.plist.tmp0123456789ab",
        "Removed temporary file: " + bundle + "/.icon.png.tmpabcdefabcdef",
        "Removed temporary file: " + bundle + "/.Info.plist.Ab12Cd",
        "Removed temporary file: " + prefsTemporary,
        "Removed temporary file: " + appTemporary,
    };
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(device.exists(others));
    EXPECT_EQ(device.tool({"--repairall"}).out, "Removed temporary file: " + others + "\n");
    for (const std::string& kept :
         {bundle + "/.icon.png.tmpNOTHEXNOTHEX", std::string("/Applications/.Category001.replacing.NOTHEXNOTHEX"),
          std::string("/Applications/.Category001.replacing.00000000000f"),
          std::string(kPrefsFolder) + "/.com.example.app.plist.tmp00112233aabb"}) {
        EXPECT_TRUE(device.exists(kept)) << kept;
    }
    EXPECT_FALSE(device.exists(prefsTemporary));
    EXPECT_EQ(device.tool({"--repairall"}).out, "");
}

// A name too long to stand in a leftover's name beside the bundle (and for
// a preferences file) has its replacements' temporary files inside the
// bundle: repair-all looks there.
TEST(ToolKilledRunRepair, ABundleWhoseNameIsTooLongForAnythingBesideItIsLookedInto) {
    ToolDevice device;
    const std::string directoryName = "Category" + std::string(235, 'x');
    device.makeCategory(directoryName, "Long", false);
    const std::string bundle = ToolDevice::bundle(directoryName);
    ASSERT_EQ(device.tool({"-n", "Longer", directoryName}).out, "");
    EXPECT_NE(device.plistJson(bundle + "/Info.plist").value_or("").find("\"Longer\""), std::string::npos);
    device.writeFile(bundle + "/.Info.plist.tmp0123456789ab", "half");
    EXPECT_EQ(device.tool({"--repairall"}).out,
              "Removed temporary file: " + bundle + "/.Info.plist.tmp0123456789ab\n");
}

TEST(ToolKilledRunRepair, RepairAllCompletesABundleAnOlderVersionLeftWithoutInfoPlist) {
    ToolDevice device;
    // An older create killed after two launcher files: no Info.plist, no
    // preferences file, so no scan by identifier finds it.
    device.writeFile("/Applications/Category007.app/blank.png", "blank.png v2");
    device.writeFile("/Applications/Category007.app/NestoraLauncher", "NestoraLauncher v2");
    // An app without an Info.plist is no category, and stays as it is.
    device.writeFile("/Applications/Broken.app/Broken", "binary");
    const RunResult run = device.tool({"--repairall"});
    EXPECT_EQ(run.out,
              "Restored missing file: /Applications/Category007.app/Default.png\n"
              "Restored missing file: /Applications/Category007.app/background.png\n"
              "Restored missing file: /Applications/Category007.app/MainWindow.nib\n"
              "Rebuilt Info.plist: /Applications/Category007.app/Info.plist\n");
    EXPECT_NE(device.plistJson("/Applications/Category007.app/Info.plist")
                  .value_or("")
                  .find("\"CFBundleDisplayName\": \"Category007\""),
              std::string::npos);
    EXPECT_EQ(device.readFile("/Applications/Category007.app/blank.png"), "blank.png v2");
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category007")));
    EXPECT_FALSE(device.exists("/Applications/Broken.app/Info.plist"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Broken")));
    EXPECT_EQ(device.tool({"--repairall"}).out, "");
}

}  // namespace
}  // namespace nestora::test
