#include "tool/LegacyFormat.h"

#include <cstdint>

#include "platform/Files.h"
#include "platform/PrivilegedFiles.h"
#include "tool/PathText.h"
#include "tool/TextArguments.h"

namespace nestora::tool {

namespace {

constexpr std::string_view kCameraPath = "/Applications/Camera.app";
constexpr std::string_view kPhotosPath = "/Applications/Photos.app";
constexpr std::string_view kContainersFolder = "/var/mobile/Applications";
constexpr std::size_t kThemeNameWidth = 96;

// Reads the record field by field; a field that is not there in full leaves
// that one and every later one at its default.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

    bool take(std::size_t width, std::string_view& field) {
        if (failed_ || bytes_.size() - offset_ < width) {
            failed_ = true;
            return false;
        }
        field = bytes_.substr(offset_, width);
        offset_ += width;
        return true;
    }

    void boolean(plist::Dictionary& into, const char* key) {
        std::string_view field;
        if (take(1, field)) {
            into[key] = field[0] != 0;
        }
    }

    void int32(plist::Dictionary& into, const char* key) {
        std::string_view field;
        if (take(4, field)) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                value |= static_cast<std::uint32_t>(static_cast<unsigned char>(field[i])) << (8 * i);
            }
            into[key] = static_cast<std::int64_t>(static_cast<std::int32_t>(value));
        }
    }

    void text(plist::Dictionary& into, const char* key, std::size_t width) {
        std::string_view field;
        if (take(width, field)) {
            field = field.substr(0, field.find('\0'));
            into[key] = legacyTextAsUtf8(field);
        }
    }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
    bool failed_ = false;
};

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace

plist::Dictionary legacyPrefsFromBytes(std::string_view record, std::string_view categoryName) {
    plist::Dictionary prefs;
    prefs["showCategoryName"] = true;
    prefs["showIconLabels"] = true;
    prefs["saveImageOnExit"] = true;
    prefs["useBackgroundImage"] = false;
    prefs["leftRightScroll"] = true;
    prefs["leftRightRowsPerColumn"] = std::int64_t{4};
    prefs["iconFontColor"] = std::int64_t{0};
    prefs["iconThemeName"] = "No Theme";
    prefs["keepResident"] = false;

    RecordReader reader(record);
    reader.boolean(prefs, "showCategoryName");
    reader.boolean(prefs, "showIconLabels");
    reader.boolean(prefs, "saveImageOnExit");
    reader.boolean(prefs, "useBackgroundImage");
    reader.boolean(prefs, "leftRightScroll");
    reader.int32(prefs, "leftRightRowsPerColumn");
    reader.int32(prefs, "iconFontColor");
    reader.text(prefs, "iconThemeName", kThemeNameWidth);
    reader.boolean(prefs, "keepResident");

    prefs["categoryName"] = legacyTextAsUtf8(categoryName);
    return prefs;
}

std::optional<plist::Dictionary> readLegacyPrefs(std::string_view bundlePath) {
    auto record = privileged::readFileHead(joinPath(bundlePath, "Prefs.bin"), kLegacyPrefsRecordSize);
    if (!record) {
        return std::nullopt;
    }
    std::string_view folderName = bundlePath.substr(bundlePath.rfind('/') + 1);
    if (auto dot = folderName.rfind('.'); dot != std::string_view::npos && dot != 0) {
        folderName = folderName.substr(0, dot);
    }
    return legacyPrefsFromBytes(*record, folderName);
}

std::vector<std::string> legacyListEntries(std::string_view text) {
    std::vector<std::string> entries;
    while (!text.empty()) {
        std::size_t length = std::min(text.size(), kLegacyLineChunk);
        if (std::size_t newline = text.substr(0, length).find('\n'); newline != std::string_view::npos) {
            length = newline + 1;
        }
        std::string_view piece = text.substr(0, length);
        text.remove_prefix(length);
        piece = piece.substr(0, piece.find('\0'));  // the piece is read as a C string
        while (piece.size() > 1 && (piece.back() == '\r' || piece.back() == ' ' || piece.back() == '\n')) {
            piece.remove_suffix(1);
        }
        entries.emplace_back(piece);
    }
    return entries;
}

std::optional<std::string> LegacyItemResolver::resolveLegacyItemPath(std::string_view name) {
    if (name == "Camera.app") {
        return std::string(kCameraPath);
    }
    if (name == "Photos.app") {
        return std::string(kPhotosPath);
    }
    // An entry names one bundle folder; anything that would climb elsewhere
    // is no app of ours.
    if (!isPlainName(name)) {
        return std::nullopt;
    }
    std::string path = joinPath("/Applications", name);
    if (files::exists(path)) {
        return path;
    }
    if (!containers_) {
        containers_ = files::listFolder(kContainersFolder).value_or(std::vector<std::string>{});
    }
    for (const std::string& container : *containers_) {
        path = joinPath(joinPath(kContainersFolder, container), name);
        if (files::exists(path)) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> legacyDisplayIdentifier(std::string_view appPath) {
    if (appPath == kCameraPath) {
        return "com.apple.mobileslideshow-Camera";
    }
    if (appPath == kPhotosPath) {
        return "com.apple.mobileslideshow-Photos";
    }
    auto info = plist::readDictionaryKeys(joinPath(appPath, "Info.plist"), {"CFBundleIdentifier"});
    return info ? plist::Value(std::move(*info)).stringForKey("CFBundleIdentifier") : std::nullopt;
}

plist::Array legacyItemsFromText(std::string_view text, const LegacyResolve& resolve, const LegacyIdentify& identify) {
    plist::Array items;
    for (const std::string& entry : legacyListEntries(text)) {
        if (auto path = resolve(entry)) {
            if (auto identifier = identify(*path)) {
                items.emplace_back(std::move(*identifier));
            }
        }
    }
    return items;
}

std::optional<plist::Array> readLegacyItemList(std::string_view bundlePath) {
    auto text = privileged::readFileHead(joinPath(bundlePath, "list.txt"), kMaxLegacyListBytes);
    if (!text) {
        return std::nullopt;
    }
    // The apps named in the list are looked for in the user's containers:
    // with the user's rights, so that no link there leads root's reads.
    privileged::InvokerRights asInvoker;
    if (!asInvoker.active()) {
        return plist::Array{};
    }
    LegacyItemResolver resolver;
    return legacyItemsFromText(
        *text, [&resolver](std::string_view entry) { return resolver.resolveLegacyItemPath(entry); },
        legacyDisplayIdentifier);
}

}  // namespace nestora::tool
