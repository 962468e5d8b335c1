#include "ads/OrderFeed.h"

#include <array>

namespace nestora::ads {

namespace {

constexpr std::array<std::size_t, 3> kCodePositions = {0, 5, 10};
constexpr std::array<std::size_t, 3> kIntervalPositions = {2, 7, 12};
struct Separator {
    std::size_t position;
    char character;
};
constexpr std::array<Separator, 5> kSeparators = {{{1, ':'}, {4, ','}, {6, ':'}, {9, ','}, {11, ':'}}};

// The text sits in a zeroed buffer, so anything past its end reads as 0.
char charAt(std::string_view text, std::size_t position) {
    return position < text.size() ? text[position] : '\0';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi over the two characters at `position`: blanks, a sign, digits.
int twoCharacterInteger(std::string_view text, std::size_t position) {
    std::size_t at = position;
    const std::size_t end = position + 2;
    while (at < end && isBlank(charAt(text, at))) {
        ++at;
    }
    bool negative = false;
    if (at < end && (charAt(text, at) == '+' || charAt(text, at) == '-')) {
        negative = charAt(text, at) == '-';
        ++at;
    }
    int value = 0;
    for (; at < end && charAt(text, at) >= '0' && charAt(text, at) <= '9'; ++at) {
        value = value * 10 + (charAt(text, at) - '0');
    }
    return negative ? -value : value;
}

}  // namespace

void parseDataToAdArrays(std::string_view text, AdOrder& order) {
    for (std::size_t entry = 0; entry < kCodePositions.size(); ++entry) {
        // Characters count as unsigned, as they do on the phone's processor.
        const auto code = static_cast<unsigned char>(charAt(text, kCodePositions[entry]));
        order.codes[entry] = static_cast<std::int32_t>(code) - '0';
    }
    for (std::size_t entry = 0; entry < kIntervalPositions.size(); ++entry) {
        const auto seconds = static_cast<float>(twoCharacterInteger(text, kIntervalPositions[entry]));
        switch (sourceForCode(order.codes[entry])) {
        case AdSource::AdMob:
            order.admobInterval = seconds;
            break;
        case AdSource::Mobclix:
            order.mobclixAdInterval = seconds;
            break;
        case AdSource::OwnWebAd:
            order.otherAdInterval = seconds;
            break;
        }
    }
}

FeedReading readOrderFeed(std::string_view firstPiece) {
    std::string_view text = firstPiece.substr(0, kFeedBytesRead);
    text = text.substr(0, text.find('\0'));
    FeedReading reading;
    if (text.size() < kFeedMinimumLength) {
        return reading;
    }
    for (const Separator& separator : kSeparators) {
        if (text[separator.position] == separator.character) {
            parseDataToAdArrays(text, reading.order);
            reading.verdict = FeedVerdict::Applied;
            return reading;
        }
    }
    reading.verdict = FeedVerdict::Corrupted;
    return reading;
}

}  // namespace nestora::ads
