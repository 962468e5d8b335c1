#include "model/SpringBoardExtension.h"

#include "platform/Files.h"

namespace nestora::model {

bool isNestoraSBInstalled() {
    return files::isRegularFile(kNestoraSBPath) || files::isDirectory(kNestoraSBPath);
}

}  // namespace nestora::model
