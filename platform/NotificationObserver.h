#pragma once

// The receiving side of notify_post: a home screen that reloads on a
// notification watches the posts log with one of these. The log is only
// ever appended to, so the observer remembers how far it has read and hands
// out each later post once.

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace nestora::platform {

class NotificationObserver {
public:
    // Starts at the current end of the log: posts made before the observer
    // existed are not reported.
    NotificationObserver();

    // Readable (poll, select, a socket notifier) when the folder of the log
    // changed, so that takePosts() may have news. -1 when the folder cannot
    // be watched; the owner then calls takePosts() on a timer instead.
    int fileDescriptor() const { return watch_.get(); }

    // The names posted since the last call, oldest first; empty when none.
    // Drains the watch, so the descriptor is quiet again afterwards. A log
    // that was replaced or cut short since the last call is read from its
    // start. A line still being written is left for the next call.
    std::vector<std::string> takePosts();

private:
    UniqueFd watch_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    off_t offset_ = 0;
};

}  // namespace nestora::platform
