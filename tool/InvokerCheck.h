#pragma once

// Whom the tool serves. The categories and their items belong to one user,
// the owner of the preferences folder ("mobile" on the phone, the user the
// app runs as), and root administers them. Anybody else running the
// set-user-id program would act on that user's categories and read which
// apps they hold, so is turned away before anything is done.

#include <optional>
#include <string_view>

#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

inline constexpr std::string_view kInvokerRefusal =
    "ERROR: NestoraTool serves only root and the owner of /var/mobile/Library/Preferences\n";

struct InvokerCheck {
    bool served = false;  // the real user is root or owns the preferences folder
    // The folder whose owner was checked, open: the run works through it.
    std::optional<privileged::FileDescriptor> preferencesFolder;
};

InvokerCheck checkInvoker();

}  // namespace nestora::tool
