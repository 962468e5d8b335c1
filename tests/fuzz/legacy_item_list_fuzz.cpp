// list.txt bytes from an old category: splitting must never crash, each
// entry is one read of at most 126 bytes with no zero byte and no trailing
// blank (unless it is a single character), and only plain names ever reach
// the file system.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "tool/LegacyFormat.h"

namespace {

bool endsBlank(const std::string& entry) {
    const char last = entry.back();
    return last == '\r' || last == ' ' || last == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& entry : nestora::tool::legacyListEntries(text)) {
        if (entry.size() > nestora::tool::kLegacyLineChunk) std::abort();
        if (entry.find('\0') != std::string::npos) std::abort();
        if (entry.size() > 1 && endsBlank(entry)) std::abort();
    }
    std::size_t resolved = 0;
    const auto items = nestora::tool::legacyItemsFromText(
        text,
        [&resolved](std::string_view entry) -> std::optional<std::string> {
            ++resolved;
            if (entry.empty()) return std::nullopt;
            return "/Applications/" + std::string(entry);
        },
        [](std::string_view path) -> std::optional<std::string> { return std::string(path); });
    if (items.size() > resolved) std::abort();
    // The real resolver, with no device files to find, must refuse every
    // name that would leave its folder before it looks at the disk.
    nestora::tool::LegacyItemResolver resolver;
    for (const std::string& entry : nestora::tool::legacyListEntries(text.substr(0, 512))) {
        if (entry.find('/') != std::string::npos || entry == "." || entry == "..") {
            if (resolver.resolveLegacyItemPath(entry)) std::abort();
        }
    }
    return 0;
}
