#include "tool/InvokerCheck.h"

#include "common/CategoryNaming.h"

namespace nestora::tool {

InvokerCheck checkInvoker() {
    InvokerCheck check;
    check.preferencesFolder = privileged::openFolder(kCategoryPreferencesFolder);
    const uid_t invoker = privileged::invokingUser();
    if (invoker == 0) {
        check.served = true;
    } else if (check.preferencesFolder) {
        const auto owner = privileged::ownerOf(*check.preferencesFolder);
        check.served = owner && *owner == invoker;
    }
    return check;
}

}  // namespace nestora::tool
