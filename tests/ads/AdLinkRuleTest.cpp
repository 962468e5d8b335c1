// Where a request in the own web ad may go.

#include <gtest/gtest.h>

#include "ads/AdLinkRule.h"

namespace nestora::ads {
namespace {

constexpr std::string_view kHost = "www.quarvek.example";

TEST(AdLinkRule, TheFourKindsOfURL) {
    EXPECT_EQ(decideAdLink("http://www.quarvek.example/more.php", kHost, false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("", kHost, false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("about:blank", kHost, false), LinkDecision::Refuse);
    EXPECT_EQ(decideAdLink("http://elsewhere.example/offer", kHost, false), LinkDecision::OpenOutside);
    EXPECT_EQ(decideAdLink("mailto:sales@quarvek.example", kHost, false), LinkDecision::OpenOutside);
}

TEST(AdLinkRule, WhileTheStripLoadsItsAdEverythingLoads) {
    EXPECT_EQ(decideAdLink("http://elsewhere.example/redirected", kHost, true), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("about:blank", kHost, true), LinkDecision::LoadInStrip);
}

TEST(AdLinkRule, TheMakersHostMustEndWhereItsNameEnds) {
    EXPECT_EQ(decideAdLink("http://www.quarvek.example", kHost, false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("http://www.quarvek.example?x=1", kHost, false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("http://www.quarvek.example:8080/a", kHost, false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("http://www.quarvek.example.evil.example/", kHost, false), LinkDecision::OpenOutside);
    EXPECT_EQ(decideAdLink("http://www.quarvek.example@evil.example/", kHost, false), LinkDecision::OpenOutside);
    EXPECT_EQ(decideAdLink("https://www.quarvek.example/", kHost, false), LinkDecision::OpenOutside);
    EXPECT_EQ(decideAdLink("http://127.0.0.1:8080/x", "127.0.0.1:8080", false), LinkDecision::LoadInStrip);
    EXPECT_EQ(decideAdLink("http://127.0.0.1:80801/x", "127.0.0.1:8080", false), LinkDecision::OpenOutside);
    EXPECT_EQ(decideAdLink("http://127.0.0.1:9/x", "127.0.0.1:8080", false), LinkDecision::OpenOutside);
}

TEST(AdLinkRule, LocalFilesAreNeverHandedOut) {
    EXPECT_EQ(decideAdLink("file:///home/mobile/.profile", kHost, false), LinkDecision::Refuse);
    EXPECT_EQ(decideAdLink("FILE:///etc/passwd", kHost, false), LinkDecision::Refuse);
}

}  // namespace
}  // namespace nestora::ads
