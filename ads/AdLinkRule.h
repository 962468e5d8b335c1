#pragma once

// Where a request made in the own web ad may go. Pages of the maker's host
// load in the strip; every other link leaves the application, handed to
// whatever the desktop opens it with.

#include <string_view>

namespace nestora::ads {

inline constexpr std::string_view kOwnAdPath = "/nestora.php";

enum class LinkDecision {
    LoadInStrip,  // let the web view load it
    Refuse,       // do nothing at all
    OpenOutside,  // refuse it here and hand it to the desktop's URL opener
};

// Decides for a request's URL text, in this order: while the strip's own
// load of the ad is under way, and for a request without URL text, load it;
// "http://" and the maker's host (which may carry a port) load in the strip
// when the host ends there; "about..." and local files are refused; anything
// else opens outside.
LinkDecision decideAdLink(std::string_view urlText, std::string_view makerHost, bool loadAdInFrame);

}  // namespace nestora::ads
