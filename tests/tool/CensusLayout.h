#pragma once

// The device every census of the tool starts from, and the changing
// operations each census runs on it.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/CrashCensus.h"
#include "tests/tool/CensusJudge.h"

namespace nestora::test {

// A device with the launcher, the apps, the stand-in hide library and two
// categories made by the tool that every operation must leave alone:
// Category000 "Games" (two apps, an icon) and Category001 "Social" (one
// app, a setting).
class CensusLayout {
public:
    CensusLayout();

    // A category as the app makes one: created by the tool, its items in
    // its preferences file (and hidden), maybe an icon. Returns its
    // directory name.
    std::string addCategory(const std::string& displayName, const std::vector<std::string>& items,
                            bool withIcon = false);
    void hide(const std::vector<std::string>& items);
    void removeBundle(const std::string& name) const;
    void removePrefs(const std::string& name) const;

    // Writes the hide library's list: every app some category holds.
    const ToolDevice& finished() const;

    ToolDevice device;

private:
    std::vector<std::string> hidden;
};

// The changing operations every census covers.
enum class CensusCase { Create, Delete, Rename, Icon, Repair, RepairAll, Upgrade, RestoreList };
inline constexpr CensusCase kCensusCases[] = {CensusCase::Create,    CensusCase::Delete,  CensusCase::Rename,
                                              CensusCase::Icon,      CensusCase::Repair,  CensusCase::RepairAll,
                                              CensusCase::Upgrade,   CensusCase::RestoreList};

// "--create", "--delete", ...
std::string labelOf(CensusCase which);
// Lays out the categories the operation works on and returns it.
Operation layOutCensus(CensusLayout& layout, CensusCase which);

// A census as a test of each changing operation in turn (a test suite
// instantiated with kCensusCases): skipped where strace cannot trace, its
// many devices in memory.
class ToolCensus : public ::testing::TestWithParam<CensusCase> {
protected:
    void SetUp() override;
    // Lays out the device for this test's operation and runs `census` on it.
    void runOnLayout(
        const std::function<void(const std::string& label, const ToolDevice& layout, const Operation& operation)>&
            census);
    // Before any device.
    const TemporaryFilesInMemory inMemory;
};

// How a test names its operation in gtest's output: "--create", ...
void PrintTo(CensusCase which, std::ostream* out);

// "Create", "Delete", ...: the name of a test of one operation.
std::string censusCaseName(const ::testing::TestParamInfo<CensusCase>& info);

}  // namespace nestora::test
