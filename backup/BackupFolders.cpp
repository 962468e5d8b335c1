#include "backup/BackupFolders.h"

#include "platform/Files.h"

namespace nestora::backup {

bool makeFolderWithParents(std::string_view folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string_view prefix = folder.substr(0, slash);
        if (!files::isDirectory(prefix) && !files::createFolder(prefix) && !files::isDirectory(prefix)) return false;
        if (slash == std::string_view::npos) return true;
    }
}

}  // namespace nestora::backup
