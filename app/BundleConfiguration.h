#pragma once

// What the app bundle's Info.plist configures: the maker's web hosts and the
// ad networks' identifiers. cmake --install writes the build's values there;
// an operator may change them on an installed device (point the hosts at
// "127.0.0.1:8080", say) without rebuilding. Read once, at launch.

#include <string>
#include <string_view>

#include "ads/AdsConfiguration.h"

namespace nestora::app {

inline constexpr std::string_view kHelpHostKey = "NestoraHelpHost";
inline constexpr std::string_view kInfoHostKey = "NestoraInfoHost";
inline constexpr std::string_view kAdsHostKey = "NestoraAdsHost";
inline constexpr std::string_view kAdMobPublisherIdKey = "NestoraAdMobPublisherID";
inline constexpr std::string_view kMobclixApplicationIdKey = "NestoraMobclixApplicationID";

struct BundleConfiguration {
    std::string helpHost;  // the help page's host
    std::string infoHost;  // the change log's host
    ads::AdsConfiguration ads;
};

// A host as the keys hold it: a name or address, or a bracketed IPv6
// address, with an optional ":port" (1 to 65535). Nothing else: no scheme,
// path or user, so "http://" + host is always a URL of that host.
bool isHostValue(std::string_view text);

// The values in "/Applications/Nestora.app/Info.plist". A missing key, one
// that is no text, or a host that is no host leaves that value empty: the
// app then fetches nothing from it.
BundleConfiguration readBundleConfiguration();

}  // namespace nestora::app
