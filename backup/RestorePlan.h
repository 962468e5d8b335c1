#pragma once

// Deciding, before anything is changed, what a restore does with each
// category of a backup: leave it alone (the device has it already), make it
// under a directory name, or skip it. Plain data in, plain data out.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "backup/BackupFormat.h"
#include "backup/DeviceCategories.h"

namespace nestora::backup {

enum class RestoreAction {
    LeaveAlone,  // a category with the same display name and items is here (`directoryName`)
    Make,        // make it, or finish making it, as `directoryName`
    Skip,        // no place for it on this device (`reason`)
};

struct PlannedCategory {
    RestoreAction action = RestoreAction::Skip;
    std::string directoryName;
    bool resumed = false;  // Make: an interrupted restore of this backup had begun it here
    std::string reason;
};

// `present`: the device's categories. `journalTargets`: where an interrupted
// restore of the same backup had begun each category (index -> directory
// name). `nameIsFree`: nothing at all is at the directory name's bundle path
// or preferences path (the device may hold entries that are not categories).
//
// 1. A journal target is taken again unless a category is there that cannot
//    be that one part-made: a bundle named neither as the backup says nor
//    as a fresh one (its directory name), or items other than the backup's.
//    What no scan recognises (a bundle a killed tool left without its
//    Info.plist) is the killed run's own, and is taken again too.
// 2. A category the device has with the same display name (or, for one
//    without a bundle, also none) and the same items is left alone; one
//    under the same directory name is preferred. Each device category
//    answers for one backup category at most.
// 3. The rest are made under their own directory name when it is free,
//    otherwise under the lowest free "CategoryNNN". A category without a
//    bundle (made by other software, such as "Recent") keeps its name or is
//    skipped.
std::vector<PlannedCategory> planRestore(const Backup& backup, const std::vector<DeviceCategory>& present,
                                         const std::map<std::size_t, std::string>& journalTargets,
                                         const std::function<bool(const std::string&)>& nameIsFree);

}  // namespace nestora::backup
