#pragma once

#include <string>

namespace nestora::ads {

// What the strip is configured with (the app bundle's Info.plist).
struct AdsConfiguration {
    std::string host;                  // the maker's host, "name" or "name:port"; empty: none
    std::string adMobPublisherId;      // 15 hexadecimal characters
    std::string mobclixApplicationId;  // a UUID's 36 characters
};

}  // namespace nestora::ads
