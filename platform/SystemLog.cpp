#include "platform/SystemLog.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace nestora::platform {

namespace {

struct Captured {
    std::mutex mutex;
    int active = 0;
    std::vector<std::string> lines;
};

Captured& captured() {
    static Captured instance;
    return instance;
}

}  // namespace

void systemLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(message.data(), message.size() + 1, format, args);
    va_end(args);

    ::syslog(LOG_NOTICE, "%s", message.c_str());
    std::fputs(message.c_str(), stderr);
    if (message.empty() || message.back() != '\n') std::fputc('\n', stderr);

    Captured& c = captured();
    std::lock_guard lock(c.mutex);
    if (c.active > 0) c.lines.push_back(std::move(message));
}

LogCapture::LogCapture() {
    Captured& c = captured();
    std::lock_guard lock(c.mutex);
    if (c.active++ == 0) c.lines.clear();
}

LogCapture::~LogCapture() {
    Captured& c = captured();
    std::lock_guard lock(c.mutex);
    --c.active;
}

std::vector<std::string> LogCapture::lines() const {
    Captured& c = captured();
    std::lock_guard lock(c.mutex);
    return c.lines;
}

}  // namespace nestora::platform
