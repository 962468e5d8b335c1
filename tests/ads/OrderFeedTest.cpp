// The order feed read by its fixed positions: the texts the maker's host may
// send, well-formed or not.

#include <gtest/gtest.h>

#include <string>

#include "ads/OrderFeed.h"

namespace nestora::ads {
namespace {

FeedReading read(std::string_view text) {
    return readOrderFeed(text);
}

TEST(OrderFeed, SetsTheOrderAndTheIntervalOfEachNamedSource) {
    const FeedReading reading = read("2:30,0:45,1:20");
    EXPECT_EQ(reading.verdict, FeedVerdict::Applied);
    EXPECT_EQ(reading.order.codes, (std::array<std::int32_t, 3>{2, 0, 1}));
    EXPECT_EQ(reading.order.admobInterval, 45.0f);
    EXPECT_EQ(reading.order.mobclixAdInterval, 20.0f);
    EXPECT_EQ(reading.order.otherAdInterval, 30.0f);
}

TEST(OrderFeed, TheLaterEntryForASourceWinsAndAnUnnamedOneKeepsItsDefault) {
    const FeedReading reading = read("1:60,1:10,0:30");
    EXPECT_EQ(reading.order.codes, (std::array<std::int32_t, 3>{1, 1, 0}));
    EXPECT_EQ(reading.order.mobclixAdInterval, 10.0f);
    EXPECT_EQ(reading.order.admobInterval, 30.0f);
    EXPECT_EQ(reading.order.otherAdInterval, 60.0f);
}

TEST(OrderFeed, WithoutASeparatorInPlaceTheDefaultsStand) {
    const FeedReading reading = read("0-60-1-60-2-60");
    EXPECT_EQ(reading.verdict, FeedVerdict::Corrupted);
    EXPECT_EQ(reading.order, AdOrder{});
}

TEST(OrderFeed, OneSeparatorInPlaceIsEnoughToReadEveryField) {
    // Only the ":" at 11 stands; every field is still read where it sits.
    const FeedReading reading = read("1x25y0z07w2:15");
    EXPECT_EQ(reading.verdict, FeedVerdict::Applied);
    EXPECT_EQ(reading.order.codes, (std::array<std::int32_t, 3>{1, 0, 2}));
    EXPECT_EQ(reading.order.mobclixAdInterval, 25.0f);
    EXPECT_EQ(reading.order.admobInterval, 7.0f);
    EXPECT_EQ(reading.order.otherAdInterval, 15.0f);
}

TEST(OrderFeed, ShortTextsKeepTheDefaultsWithoutComplaint) {
    for (const std::string_view text : {"", "0:60", "2:30,0:45,1:"}) {
        const FeedReading reading = read(text);
        EXPECT_EQ(reading.verdict, FeedVerdict::TooShort) << text;
        EXPECT_EQ(reading.order, AdOrder{}) << text;
    }
    // A zero byte ends the text, whatever follows it.
    const std::string withZero("0:6\0,0:45,1:20", 14);
    EXPECT_EQ(read(withZero).verdict, FeedVerdict::TooShort);
}

TEST(OrderFeed, ThirteenCharactersReadTheLastIntervalsOneDigit) {
    const FeedReading reading = read("0:60,1:60,2:5");
    EXPECT_EQ(reading.verdict, FeedVerdict::Applied);
    EXPECT_EQ(reading.order.otherAdInterval, 5.0f);
}

TEST(OrderFeed, IntervalsAreReadAsAtoiReadsTwoCharacters) {
    EXPECT_EQ(read("0: 5,1:-3,2:+7").order.admobInterval, 5.0f);
    EXPECT_EQ(read("0: 5,1:-3,2:+7").order.mobclixAdInterval, -3.0f);
    EXPECT_EQ(read("0: 5,1:-3,2:+7").order.otherAdInterval, 7.0f);
    EXPECT_EQ(read("0:4x,1:xx,2:  ").order.admobInterval, 4.0f);
    EXPECT_EQ(read("0:4x,1:xx,2:  ").order.mobclixAdInterval, 0.0f);
    EXPECT_EQ(read("0:4x,1:xx,2:  ").order.otherAdInterval, 0.0f);
    // Two characters only: the third digit belongs to the separator's place.
    EXPECT_EQ(read("0:123,1:60,2:60").order.admobInterval, 12.0f);
}

TEST(OrderFeed, NonDigitCodesMeanTheOwnWebAd) {
    const FeedReading reading = read("a:11,/:22,\xff:33");
    EXPECT_EQ(reading.order.codes, (std::array<std::int32_t, 3>{'a' - '0', '/' - '0', 0xff - '0'}));
    for (std::int32_t code : reading.order.codes) {
        EXPECT_EQ(sourceForCode(code), AdSource::OwnWebAd) << code;
    }
    // All three entries name the own web ad: the last one's interval stands.
    EXPECT_EQ(reading.order.otherAdInterval, 33.0f);
    EXPECT_EQ(reading.order.admobInterval, 60.0f);
}

TEST(OrderFeed, OnlyTheFirst31BytesOfTheFirstPieceCount) {
    std::string piece = "1:20,0:45,2:30";
    piece.resize(10000, 'x');
    // Past byte 31 another feed, which must not be read.
    piece.replace(40, 14, "2:99,2:99,2:99");
    const FeedReading reading = read(piece);
    EXPECT_EQ(reading.order.codes, (std::array<std::int32_t, 3>{1, 0, 2}));
    EXPECT_EQ(reading.order.otherAdInterval, 30.0f);
}

}  // namespace
}  // namespace nestora::ads
