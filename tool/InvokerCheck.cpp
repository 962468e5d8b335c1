#include "tool/InvokerCheck.h"

#include "common/CategoryNaming.h"
#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

bool invokerIsServed() {
    const uid_t invoker = privileged::invokingUser();
    if (invoker == 0) {
        return true;
    }
    auto folder = privileged::openFolder(kCategoryPreferencesFolder);
    if (!folder) {
        return false;
    }
    const auto owner = privileged::ownerOf(*folder);
    return owner && *owner == invoker;
}

}  // namespace nestora::tool
