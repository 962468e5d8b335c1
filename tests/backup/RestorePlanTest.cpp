// Where each category of a backup goes, decided before anything changes.

#include <gtest/gtest.h>

#include <set>

#include "backup/RestorePlan.h"

namespace nestora::backup {
namespace {

BackupCategory wanted(const std::string& directoryName, std::optional<std::string> displayName,
                      std::vector<std::string> items = {}) {
    BackupCategory category;
    category.directoryName = directoryName;
    category.displayName = std::move(displayName);
    plist::Array list(items.begin(), items.end());
    category.preferences["items"] = plist::Value(std::move(list));
    return category;
}

DeviceCategory present(const std::string& directoryName, std::optional<std::string> displayName,
                       std::vector<std::string> items = {}) {
    DeviceCategory category;
    category.directoryName = directoryName;
    category.hasBundle = displayName.has_value();
    category.displayName = std::move(displayName);
    category.hasPreferencesFile = true;
    plist::Array list(items.begin(), items.end());
    category.preferences["items"] = plist::Value(std::move(list));
    return category;
}

// Free: no category and nothing else at the name (`taken` holds other entries).
auto freeUnless(std::set<std::string> taken) {
    return [taken = std::move(taken)](const std::string& name) { return !taken.contains(name); };
}

std::string describe(const std::vector<PlannedCategory>& plan) {
    std::string text;
    for (const PlannedCategory& p : plan) {
        switch (p.action) {
            case RestoreAction::LeaveAlone: text += "alone:" + p.directoryName; break;
            case RestoreAction::Make: text += (p.resumed ? "resume:" : "make:") + p.directoryName; break;
            case RestoreAction::Skip: text += "skip(" + p.reason + ")"; break;
        }
        text += " ";
    }
    return text;
}

TEST(RestorePlan, ACategoryWithABundleKeepsOnlyANumberedName) {
    // The tool makes no bundle under a name that is neither numbered nor
    // named by a preferences file; a domain without a bundle keeps its name.
    Backup backup;
    backup.categories = {wanted("Games", "Games"), wanted("Recent", std::nullopt), wanted("Category000", "Work")};
    const auto plan = planRestore(backup, {}, {}, freeUnless({}));
    EXPECT_EQ(describe(plan), "make:Category001 make:Recent make:Category000 ");
}

TEST(RestorePlan, OwnNamesFirstThenTheLowestNumberNoOneHas) {
    Backup backup;
    backup.categories = {wanted("Category001", "Taken"), wanted("Category000", "Own"), wanted("Category002", "Own too")};
    // Category001 is someone else's category; Category003 is a stray file.
    const std::vector<DeviceCategory> device = {present("Category001", "Work", {"com.apple.mobilecal"})};
    const auto plan = planRestore(backup, device, {}, freeUnless({"Category001", "Category003"}));
    EXPECT_EQ(describe(plan), "make:Category004 make:Category000 make:Category002 ");
}

TEST(RestorePlan, TheSameCategoryIsLeftAloneOnceEachPreferringItsOwnDirectory) {
    Backup backup;
    backup.categories = {wanted("Category000", "Games", {"a", "b"}), wanted("Category001", "Games", {"a", "b"}),
                         wanted("Category002", "Games", {"a", "b"}), wanted("Category003", "Games", {"b", "a"})};
    const std::vector<DeviceCategory> device = {present("Category001", "Games", {"a", "b"}),
                                                present("Category005", "Games", {"a", "b"})};
    const auto plan = planRestore(backup, device, {}, freeUnless({"Category001", "Category005"}));
    // Category001 pairs with itself; Category000 takes the other twin; the
    // third twin and the one with its items in another order are made.
    EXPECT_EQ(describe(plan), "alone:Category005 alone:Category001 make:Category002 make:Category003 ");
}

TEST(RestorePlan, ACategoryWithoutABundleIsLeftAloneOnlyForOneWithoutABundle) {
    Backup backup;
    backup.categories = {wanted("Recent", std::nullopt, {"a"}), wanted("Category000", "Recent", {"a"})};
    const std::vector<DeviceCategory> device = {present("Category009", "Recent", {"a"})};
    const auto plan = planRestore(backup, device, {}, freeUnless({"Category009"}));
    EXPECT_EQ(describe(plan), "make:Recent alone:Category009 ");
}

TEST(RestorePlan, ACategoryWithoutABundleWhoseNameIsTakenIsSkipped) {
    Backup backup;
    backup.categories = {wanted("Recent", std::nullopt, {"a"})};
    const std::vector<DeviceCategory> device = {present("Recent", std::nullopt, {"b"})};
    const auto plan = planRestore(backup, device, {}, freeUnless({"Recent"}));
    EXPECT_EQ(describe(plan), "skip(another category of that name is already on this device) ");
}

TEST(RestorePlan, WhenEveryNumberIsTakenTheRestAreSkipped) {
    Backup backup;
    backup.categories = {wanted("Category000", "New")};
    const auto plan = planRestore(backup, {}, {}, [](const std::string&) { return false; });
    EXPECT_EQ(describe(plan), "skip(no free category number is left) ");
}

TEST(RestorePlan, AJournalTargetIsTakenAgainWhileItCanBeTheSameCategoryPartMade) {
    Backup backup;
    backup.categories = {wanted("Category000", "Games", {"a"}), wanted("Category001", "Social", {"b"}),
                         wanted("Category002", "Music", {"c"}), wanted("Category003", "News", {"d"}),
                         wanted("Category004", "Books", {"e"})};
    // An interrupted restore had begun each one at Category01N.
    const std::map<std::size_t, std::string> journal = {
        {0, "Category010"}, {1, "Category011"}, {2, "Category012"}, {3, "Category013"}, {4, "Category014"}};
    const std::vector<DeviceCategory> device = {
        present("Category010", "Category010"),         // made, not yet named
        present("Category011", "Social"),              // named, items not yet written
        present("Category012", "Rock", {"c"}),         // someone else's since
        present("Category013", "News", {"x"}),         // other items: not ours
    };
    // Category014: a bundle the killed tool left without its Info.plist,
    // which no scan recognises as a category.
    const auto plan = planRestore(backup, device, journal,
                                  freeUnless({"Category010", "Category011", "Category012", "Category013", "Category014"}));
    EXPECT_EQ(describe(plan),
              "resume:Category010 resume:Category011 make:Category002 make:Category003 resume:Category014 ");
}

}  // namespace
}  // namespace nestora::backup
