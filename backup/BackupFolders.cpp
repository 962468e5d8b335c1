#include "backup/BackupFolders.h"

#include "platform/Files.h"

namespace nestora::backup {

bool makeFolderWithParents(std::string_view folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string_view prefix = folder.substr(0, slash);
        if (!files::isDirectory(prefix)) {
            if (!files::createFolder(prefix) && !files::isDirectory(prefix)) return false;
            // A folder whose making a power cut undoes takes what was put in
            // it along (the restore journal among them).
            const std::size_t parent = prefix.rfind('/');
            if (!files::syncFolder(parent == 0 ? "/" : prefix.substr(0, parent))) return false;
        }
        if (slash == std::string_view::npos) return true;
    }
}

}  // namespace nestora::backup
