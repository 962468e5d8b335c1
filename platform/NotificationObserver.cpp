#include "platform/NotificationObserver.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/DeviceRoot.h"
#include "platform/Notifications.h"

namespace nestora::platform {

namespace {

// Anyone may post, so the log may be flooded. Past this much unread text the
// observer keeps only the newest part: the oldest posts of a flood are lost,
// the reader's memory and time stay bounded.
constexpr off_t kMaxUnread = 1024 * 1024;
constexpr off_t kKeptOfFlood = 64 * 1024;

std::string logFolder() {
    const std::string_view log = kNotificationLogPath;
    return hostPath(log.substr(0, log.rfind('/')));
}

void drain(int fd) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0 || (got < 0 && errno == EINTR)) continue;
        return;
    }
}

bool readAt(int fd, off_t offset, std::size_t length, std::string& into) {
    into.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, into.data() + done, length - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    into.resize(done);
    return done == length;
}

}  // namespace

NotificationObserver::NotificationObserver() {
    watch_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    constexpr uint32_t kEvents = IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ONLYDIR;
    if (watch_ && ::inotify_add_watch(watch_.get(), logFolder().c_str(), kEvents) < 0) {
        watch_.reset();
    }
    struct stat st {};
    if (::lstat(hostPath(kNotificationLogPath).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        device_ = st.st_dev;
        inode_ = st.st_ino;
        offset_ = st.st_size;
    }
}

std::vector<std::string> NotificationObserver::takePosts() {
    std::vector<std::string> posts;
    if (watch_) drain(watch_.get());
    // O_NONBLOCK: a FIFO planted under the log's name must not hang the reader.
    UniqueFd fd(::open(hostPath(kNotificationLogPath).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return posts;
    if (st.st_dev != device_ || st.st_ino != inode_ || st.st_size < offset_) {
        // A new log (or one cut short): everything in it is news.
        device_ = st.st_dev;
        inode_ = st.st_ino;
        offset_ = 0;
    }
    bool partialFirstLine = false;
    if (st.st_size - offset_ > kMaxUnread) {
        offset_ = st.st_size - kKeptOfFlood;
        partialFirstLine = true;
    }
    std::string text;
    readAt(fd.get(), offset_, static_cast<std::size_t>(st.st_size - offset_), text);
    std::size_t start = 0;
    if (partialFirstLine) {
        const std::size_t newline = text.find('\n');
        start = newline == std::string::npos ? text.size() : newline + 1;
    }
    // Only whole lines: a post still being appended is read next time.
    std::size_t consumed = start;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        posts.push_back(text.substr(start, end - start));
        consumed = end + 1;
    }
    offset_ += static_cast<off_t>(consumed);
    return posts;
}

}  // namespace nestora::platform
