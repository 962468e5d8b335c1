#pragma once

// Where a request made in the own web ad may go. Pages of the maker's host
// load in the strip; a link of a few ordinary kinds (web pages, mail, the
// store) leaves the application, handed to whatever the desktop opens it
// with. Any other scheme is ignored: a desktop may start any program for a
// scheme it knows, and an ad page is no one to choose which.

#include <string>
#include <string_view>

namespace nestora::ads {

inline constexpr std::string_view kOwnAdPath = "/nestora.php";

enum class LinkDecision {
    LoadInStrip,  // let the web view load it
    Refuse,       // do nothing at all
    OpenOutside,  // refuse it here and hand it to the desktop's URL opener
    Ignore,       // refuse it and note in the log that a link was ignored
};

// The schemes a link may leave the application with, compared without
// regard to case.
inline constexpr std::string_view kOpenedSchemes[] = {"http", "https", "mailto", "itms", "itms-apps"};

// Decides for a request's URL text, in this order: while the strip's own
// load of the ad is under way, and for a request without URL text, load it;
// "http://" and the maker's host (which may carry a port) load in the strip
// when the host ends there; "about..." is refused; a URL with one of
// kOpenedSchemes opens outside; anything else is ignored.
LinkDecision decideAdLink(std::string_view urlText, std::string_view makerHost, bool loadAdInFrame);

// The log line for an ignored link: its scheme when it has one that can be
// printed as it stands, never the rest of the URL.
std::string ignoredLinkLogLine(std::string_view urlText);

}  // namespace nestora::ads
