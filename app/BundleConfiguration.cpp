#include "app/BundleConfiguration.h"

#include <algorithm>
#include <charconv>

#include "platform/Plist.h"
#include "ui/BundleImages.h"

namespace nestora::app {

namespace {

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool isAddressCharacter(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

bool isPort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return c >= '0' && c <= '9';
        })) {
        return false;
    }
    unsigned port = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return port >= 1 && port <= 65535;
}

std::string stringFor(const plist::Dictionary& info, std::string_view key) {
    const auto found = info.find(key);
    if (found == info.end() || !found->second.isString()) {
        return {};
    }
    return *found->second.string();
}

std::string hostFor(const plist::Dictionary& info, std::string_view key) {
    std::string host = stringFor(info, key);
    return isHostValue(host) ? host : std::string();
}

}  // namespace

bool isHostValue(std::string_view text) {
    std::string_view rest;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1) {
            return false;
        }
        const std::string_view address = text.substr(1, close - 1);
        if (!std::all_of(address.begin(), address.end(), isAddressCharacter)) {
            return false;
        }
        rest = text.substr(close + 1);
    } else {
        const std::size_t colon = text.find(':');
        const std::string_view name = text.substr(0, colon);
        if (name.empty() || !std::all_of(name.begin(), name.end(), isNameCharacter)) {
            return false;
        }
        rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    }
    return rest.empty() || (rest.front() == ':' && isPort(rest.substr(1)));
}

BundleConfiguration readBundleConfiguration() {
    const std::string path = std::string(ui::kAppBundlePath) + "/Info.plist";
    const auto info = plist::readDictionaryKeys(
        path, {kHelpHostKey, kInfoHostKey, kAdsHostKey, kAdMobPublisherIdKey, kMobclixApplicationIdKey});
    if (!info) {
        return {};
    }
    BundleConfiguration configuration;
    configuration.helpHost = hostFor(*info, kHelpHostKey);
    configuration.infoHost = hostFor(*info, kInfoHostKey);
    configuration.ads.host = hostFor(*info, kAdsHostKey);
    configuration.ads.adMobPublisherId = stringFor(*info, kAdMobPublisherIdKey);
    configuration.ads.mobclixApplicationId = stringFor(*info, kMobclixApplicationIdKey);
    return configuration;
}

}  // namespace nestora::app
