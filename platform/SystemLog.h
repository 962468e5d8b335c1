#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nestora::platform {

// The format-text logging call: one message to syslog and to standard error.
void systemLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While alive, every message is also appended to lines() (tests).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    std::vector<std::string> lines() const;
};

}  // namespace nestora::platform
