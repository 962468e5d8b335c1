#pragma once

// The order feed: a short text from the maker's host that sets the order of
// the ad sources and their refresh intervals. It is read by fixed positions,
// "D:NN,D:NN,D:NN": a source code at 0, 5 and 10, ":" at 1, 6 and 11, an
// interval of up to two digits at 2-3, 7-8 and 12-13, "," at 4 and 9.

#include <cstddef>
#include <string_view>

#include "ads/AdOrder.h"

namespace nestora::ads {

inline constexpr std::string_view kOrderFeedPath = "/whichad_nestoranew.php";

// Of the first piece of the response, no more than this is looked at.
inline constexpr std::size_t kFeedBytesRead = 31;
// A text shorter than this keeps the defaults without complaint.
inline constexpr std::size_t kFeedMinimumLength = 13;

enum class FeedVerdict {
    TooShort,   // fewer than 13 characters: the defaults, silently
    Corrupted,  // no separator in its place: the defaults
    Applied,    // at least one separator in place: every field read from its position
};

struct FeedReading {
    AdOrder order;  // the defaults unless the verdict is Applied
    FeedVerdict verdict = FeedVerdict::TooShort;
};

// Reads the first piece of the feed response: at most kFeedBytesRead bytes,
// taken as text up to the first zero byte.
FeedReading readOrderFeed(std::string_view firstPiece);

// Applies a text of at least kFeedMinimumLength characters to `order`. A
// code is the character's value minus "0" (a non-digit gives some other
// number, which means the own web ad); an interval is its two characters
// read as atoi reads (leading blanks and a sign allowed, stopping at the
// first non-digit, 0 without digits); the later of two entries naming the
// same source wins.
void parseDataToAdArrays(std::string_view text, AdOrder& order);

}  // namespace nestora::ads
