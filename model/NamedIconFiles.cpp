#include "model/NamedIconFiles.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/PngFile.h"

namespace nestora::model {

namespace {

constexpr std::string_view kPng = ".png";

// The value under `key`, or under its "~iphone" variant where that is there.
const plist::Value* deviceValue(const plist::Dictionary& info, std::string_view key, std::string_view iphoneKey) {
    if (const auto found = info.find(iphoneKey); found != info.end()) {
        return &found->second;
    }
    const auto found = info.find(key);
    return found != info.end() ? &found->second : nullptr;
}

// A list of names; a lone name where a list belongs counts as a list of one.
void appendNames(const plist::Value* value, std::vector<std::string>& names) {
    if (value == nullptr) {
        return;
    }
    if (const std::string* name = value->string()) {
        names.push_back(*name);
        return;
    }
    if (const plist::Array* array = value->array()) {
        for (const plist::Value& item : *array) {
            if (const std::string* name = item.string()) {
                names.push_back(*name);
            }
        }
    }
}

std::optional<int> pngSide(const std::string& path) {
    const auto start = files::readFileStart(path, png::kHeaderReadBytes);
    if (!start) {
        return std::nullopt;
    }
    const auto header = png::readHeader(*start);
    if (!header) {
        return std::nullopt;
    }
    const std::uint32_t side = std::max(header->width, header->height);
    return static_cast<int>(std::min<std::uint32_t>(side, 0x7fffffff));
}

// Whether a picture of side `a` fits the icon better than one of side `b`.
bool fitsBetter(int a, int b) {
    if (a >= kIconPixelSide) {
        return b < kIconPixelSide || a < b;
    }
    return b < kIconPixelSide && a > b;
}

std::optional<std::string> bestOf(std::string_view bundlePath, const std::vector<std::string>& names) {
    std::optional<std::string> best;
    int bestSide = 0;
    std::vector<std::string> seen;
    for (const std::string& name : names) {
        for (std::string& file : fileNamesForIconName(name)) {
            if (std::find(seen.begin(), seen.end(), file) != seen.end()) {
                continue;
            }
            std::string path = std::string(bundlePath) + "/" + file;
            seen.push_back(std::move(file));
            // Only a regular file is an icon; readFileStart refuses the rest.
            const auto side = pngSide(path);
            if (side && (!best || fitsBetter(*side, bestSide))) {
                best = std::move(path);
                bestSide = *side;
            }
        }
    }
    return best;
}

}  // namespace

NamedIcons iconNamesFromInfo(const plist::Dictionary& info) {
    NamedIcons names;
    if (const plist::Value* icons = deviceValue(info, kIconsKey, kIconsIphoneKey)) {
        if (const plist::Dictionary* iconsDictionary = icons->dictionary()) {
            const auto primary = iconsDictionary->find(kPrimaryIconKey);
            if (primary != iconsDictionary->end()) {
                if (const plist::Dictionary* primaryDictionary = primary->second.dictionary()) {
                    appendNames(deviceValue(*primaryDictionary, kIconFilesKey, kIconFilesIphoneKey),
                                names.primaryIconFiles);
                } else {
                    appendNames(&primary->second, names.primaryIconFiles);
                }
            }
        }
    }
    appendNames(deviceValue(info, kIconFilesKey, kIconFilesIphoneKey), names.iconFiles);
    return names;
}

std::vector<std::string> fileNamesForIconName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
        return {};
    }
    // The extension the name gives, or ".png" when it gives none.
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot != 0;
    const std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    const std::string_view extension = hasExtension ? name.substr(dot) : kPng;

    std::vector<std::string> files;
    const auto add = [&](std::string file) {
        if (std::find(files.begin(), files.end(), file) == files.end()) {
            files.push_back(std::move(file));
        }
    };
    add(std::string(name));
    if (!name.ends_with(kPng)) {
        add(std::string(name) + std::string(kPng));
    }
    for (std::string_view modifier : {"@2x~iphone", "@2x", "~iphone", ""}) {
        add(std::string(stem) + std::string(modifier) + std::string(extension));
    }
    return files;
}

std::optional<std::string> bestIconFile(std::string_view bundlePath, const NamedIcons& names) {
    if (auto primary = bestOf(bundlePath, names.primaryIconFiles)) {
        return primary;
    }
    return bestOf(bundlePath, names.iconFiles);
}

}  // namespace nestora::model
