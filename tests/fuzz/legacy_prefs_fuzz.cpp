// Prefs.bin bytes from an old category: reading must never crash, must give
// all ten keys with their types, and what it gives must be writable as the
// binary preferences file and read back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Plist.h"
#include "tool/LegacyFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first bytes double as a folder name, which need not be text either
    // (but, being a file name, holds no zero byte).
    std::string name(bytes.substr(0, size % 16));
    std::replace(name.begin(), name.end(), '\0', '0');
    const nestora::plist::Dictionary prefs = nestora::tool::legacyPrefsFromBytes(bytes, name);
    if (prefs.size() != 10) std::abort();
    for (const char* key : {"showCategoryName", "showIconLabels", "saveImageOnExit", "useBackgroundImage",
                            "leftRightScroll", "keepResident"}) {
        if (!prefs.at(key).isBoolean()) std::abort();
    }
    for (const char* key : {"leftRightRowsPerColumn", "iconFontColor"}) {
        const auto value = prefs.at(key).integer();
        if (!value || *value < INT32_MIN || *value > INT32_MAX) std::abort();
    }
    const std::string* theme = prefs.at("iconThemeName").string();
    if (theme == nullptr || theme->size() > 2 * 96) std::abort();
    const nestora::plist::Value value(prefs);
    const auto reread = nestora::plist::parse(nestora::plist::toBinary(value));
    if (!reread || !(*reread == value)) std::abort();
    return 0;
}
