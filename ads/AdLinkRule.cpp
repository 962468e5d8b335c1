#include "ads/AdLinkRule.h"

#include <algorithm>
#include <cctype>

namespace nestora::ads {

namespace {

constexpr std::string_view kHttp = "http://";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// "http://" + host, and the host must end there: "http://host.evil.example"
// or "http://host@evil.example" is someone else's page. A host configured
// without a port also matches with one.
bool isOnMakersHost(std::string_view urlText, std::string_view makerHost) {
    if (!urlText.starts_with(kHttp) || !urlText.substr(kHttp.size()).starts_with(makerHost)) {
        return false;
    }
    const std::string_view rest = urlText.substr(kHttp.size() + makerHost.size());
    if (rest.empty()) {
        return true;
    }
    const bool hostHasPort = makerHost.find(':') != std::string_view::npos && !makerHost.ends_with(']');
    return rest.front() == '/' || rest.front() == '?' || rest.front() == '#' ||
           (rest.front() == ':' && !hostHasPort);
}

}  // namespace

LinkDecision decideAdLink(std::string_view urlText, std::string_view makerHost, bool loadAdInFrame) {
    if (loadAdInFrame || urlText.empty()) {
        return LinkDecision::LoadInStrip;
    }
    if (isOnMakersHost(urlText, makerHost)) {
        return LinkDecision::LoadInStrip;
    }
    // A local file is no link out of an ad: opening it would hand a path the
    // page chose to whatever the desktop runs for it.
    if (urlText.starts_with("about") || startsWithIgnoringCase(urlText, "file:")) {
        return LinkDecision::Refuse;
    }
    return LinkDecision::OpenOutside;
}

}  // namespace nestora::ads
