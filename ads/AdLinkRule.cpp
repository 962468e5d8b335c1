#include "ads/AdLinkRule.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>

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

// The text before the first ":" when it is a scheme by the URL syntax (a
// letter, then letters, digits, "+", "-" or "."); none otherwise.
std::optional<std::string_view> schemeOf(std::string_view urlText) {
    const auto colon = urlText.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    const std::string_view scheme = urlText.substr(0, colon);
    if (!std::isalpha(static_cast<unsigned char>(scheme.front()))) return std::nullopt;
    for (char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return scheme;
}

bool isOpenedScheme(std::string_view scheme) {
    return std::any_of(std::begin(kOpenedSchemes), std::end(kOpenedSchemes), [&](std::string_view opened) {
        return scheme.size() == opened.size() && startsWithIgnoringCase(scheme, opened);
    });
}

}  // namespace

LinkDecision decideAdLink(std::string_view urlText, std::string_view makerHost, bool loadAdInFrame) {
    if (loadAdInFrame || urlText.empty()) {
        return LinkDecision::LoadInStrip;
    }
    if (isOnMakersHost(urlText, makerHost)) {
        return LinkDecision::LoadInStrip;
    }
    if (urlText.starts_with("about")) {
        return LinkDecision::Refuse;
    }
    // A local file, or a scheme some program registered, is no link out of
    // an ad: opening it would hand what the page chose to whatever the
    // desktop runs for it.
    const auto scheme = schemeOf(urlText);
    return scheme && isOpenedScheme(*scheme) ? LinkDecision::OpenOutside : LinkDecision::Ignore;
}

std::string ignoredLinkLogLine(std::string_view urlText) {
    const auto scheme = schemeOf(urlText);
    if (!scheme || scheme->size() > 32) return "AltAds ignored a link without a scheme it may open\n";
    return "AltAds ignored a link with the scheme " + std::string(*scheme) + "\n";
}

}  // namespace nestora::ads
