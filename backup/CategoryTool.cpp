#include "backup/CategoryTool.h"

#include "backup/BackupFolders.h"
#include "platform/DeviceRoot.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "platform/Process.h"
#include "tool/CategoryRestore.h"

namespace nestora::backup {

bool runCategoryTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{platform::hostPath(kToolDevicePath)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return platform::runProgram(argv, true) == 0;
}

bool makeCategoriesWithTool(const std::vector<CategoryToMake>& categories) {
    if (categories.empty()) return true;
    plist::Array list;
    list.reserve(categories.size());
    for (const CategoryToMake& category : categories) {
        plist::Dictionary entry;
        entry[std::string(tool::kListDirectoryNameKey)] = category.directoryName;
        entry[std::string(tool::kListDisplayNameKey)] = category.displayName;
        if (category.icon) entry[std::string(tool::kListIconKey)] = plist::Data(category.icon->begin(), category.icon->end());
        list.emplace_back(std::move(entry));
    }
    const std::string bytes = plist::toBinary(plist::Value(std::move(list)));
    // The list only lives for the tool's run: it is not flushed, and a
    // restore run again after a crash writes it anew.
    if (bytes.empty() || !makeFolderWithParents(kNestoraDataFolder) ||
        !files::writeFileUnflushed(kCategoryListPath, bytes, 0600)) {
        return false;
    }
    const bool ran = runCategoryTool({"--restore=" + std::string(kCategoryListPath)});
    (void)files::removeRecursively(kCategoryListPath);
    return ran;
}

bool layDeviceLockWithTool() { return runCategoryTool({"--"}); }

}  // namespace nestora::backup
