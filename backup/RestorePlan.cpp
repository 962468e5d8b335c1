#include "backup/RestorePlan.h"

#include <set>

#include "common/CategoryNaming.h"
#include "tool/CategoryStore.h"

namespace nestora::backup {

namespace {

// The device's categories by directory name, with their items read once.
struct PresentIndex {
    std::map<std::string, const DeviceCategory*, std::less<>> byName;
    std::map<const DeviceCategory*, std::vector<std::string>> items;

    explicit PresentIndex(const std::vector<DeviceCategory>& present) {
        for (const DeviceCategory& category : present) {
            byName.emplace(category.directoryName, &category);
            items.emplace(&category, itemsOf(category.preferences));
        }
    }
    const DeviceCategory* find(const std::string& directoryName) const {
        auto found = byName.find(directoryName);
        return found == byName.end() ? nullptr : found->second;
    }
};

bool canBePartOf(const DeviceCategory& there, const std::vector<std::string>& thereItems,
                 const BackupCategory& wanted, const std::vector<std::string>& wantedItems) {
    if (there.hasBundle) {
        if (!wanted.displayName) return false;
        if (there.displayName != wanted.displayName && there.displayName != there.directoryName) return false;
    }
    return thereItems.empty() || thereItems == wantedItems;
}

bool isSameCategory(const DeviceCategory& there, const std::vector<std::string>& thereItems,
                    const BackupCategory& wanted, const std::vector<std::string>& wantedItems) {
    return there.hasBundle == wanted.displayName.has_value() && there.displayName == wanted.displayName &&
           thereItems == wantedItems;
}

std::string numberedName(int number) {
    return categoryDirectoryName(identifierForBundlePath(tool::categoryBundlePathForNumber(number)));
}

}  // namespace

std::vector<PlannedCategory> planRestore(const Backup& backup, const std::vector<DeviceCategory>& present,
                                         const std::map<std::size_t, std::string>& journalTargets,
                                         const std::function<bool(const std::string&)>& nameIsFree) {
    const std::size_t count = backup.categories.size();
    std::vector<PlannedCategory> plan(count);
    std::vector<bool> decided(count, false);
    std::set<std::string> claimed;
    const PresentIndex index(present);
    std::vector<std::vector<std::string>> wantedItems;
    wantedItems.reserve(count);
    for (const BackupCategory& wanted : backup.categories) wantedItems.push_back(itemsOf(wanted.preferences));

    for (const auto& [i, directoryName] : journalTargets) {
        if (i >= count || claimed.contains(directoryName)) continue;
        // Nothing there that a scan takes for a category: the name is free,
        // or holds what the killed run had begun (a bundle without its
        // Info.plist yet), which making the category again mends.
        const DeviceCategory* there = index.find(directoryName);
        if (there != nullptr && !canBePartOf(*there, index.items.at(there), backup.categories[i], wantedItems[i])) {
            continue;
        }
        plan[i] = PlannedCategory{RestoreAction::Make, directoryName, true, {}};
        decided[i] = true;
        claimed.insert(directoryName);
    }

    // Same directory name first, so a restore onto the device the backup
    // came from pairs every category with itself.
    const auto leaveAlone = [&](std::size_t i, const DeviceCategory& there) {
        plan[i] = PlannedCategory{RestoreAction::LeaveAlone, there.directoryName, false, {}};
        decided[i] = true;
        claimed.insert(there.directoryName);
    };
    for (std::size_t i = 0; i < count; ++i) {
        const DeviceCategory* there = index.find(backup.categories[i].directoryName);
        if (!decided[i] && there != nullptr && !claimed.contains(there->directoryName) &&
            isSameCategory(*there, index.items.at(there), backup.categories[i], wantedItems[i])) {
            leaveAlone(i, *there);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        for (const DeviceCategory& there : present) {
            if (decided[i]) break;
            if (!claimed.contains(there.directoryName) &&
                isSameCategory(there, index.items.at(&there), backup.categories[i], wantedItems[i])) {
                leaveAlone(i, there);
            }
        }
    }

    const auto available = [&](const std::string& name) {
        return !claimed.contains(name) && index.find(name) == nullptr && nameIsFree(name);
    };
    const auto make = [&](std::size_t i, const std::string& directoryName) {
        plan[i] = PlannedCategory{RestoreAction::Make, directoryName, false, {}};
        decided[i] = true;
        claimed.insert(directoryName);
    };
    // Own names first, so that no category is given another's free name. A
    // category with a bundle keeps its name only when it is one the tool
    // numbers its categories with: the tool makes no bundle under any other
    // name that has no preferences file yet.
    const auto keepsOwnName = [](const BackupCategory& wanted) {
        return !wanted.displayName || tool::isNumberedCategoryName(wanted.directoryName);
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (!decided[i] && keepsOwnName(backup.categories[i]) && available(backup.categories[i].directoryName)) {
            make(i, backup.categories[i].directoryName);
        }
    }
    int nextNumber = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (decided[i]) continue;
        if (!backup.categories[i].displayName) {
            plan[i].reason = "another category of that name is already on this device";
            continue;
        }
        for (; nextNumber < tool::kCategoryLimit && !decided[i]; ++nextNumber) {
            if (available(numberedName(nextNumber))) make(i, numberedName(nextNumber));
        }
        if (!decided[i]) plan[i].reason = "no free category number is left";
    }
    return plan;
}

}  // namespace nestora::backup
