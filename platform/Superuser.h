#pragma once

#include <functional>

namespace nestora::platform {

// Runs `work` with user id 0 when the process may take it (it runs with root
// rights, or is set-user-id root), then switches back to the real user id it
// had before. A process that may not take it runs `work` with its own
// rights. Nothing but `work` runs as root.
void runAsSuperuser(const std::function<void()>& work);

}  // namespace nestora::platform
