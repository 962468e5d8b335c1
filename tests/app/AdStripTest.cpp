// The ad strip in the app: built at launch from the hosts of the bundle's
// Info.plist, and its folder handed back at the end.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ads/AltAds.h"
#include "app/BundleConfiguration.h"
#include "tests/app/AdServerScript.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/RunProgram.h"

namespace nestora::app {
namespace {

void writeBundleInfo(const test::AppDevice& device, const std::string& entries) {
    device.writeFile("/Applications/Nestora.app/Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + entries +
                         "</dict>\n</plist>\n");
}

std::string entry(std::string_view key, const std::string& value) {
    return "<key>" + std::string(key) + "</key><string>" + value + "</string>\n";
}

mode_t modeOf(const std::string& hostPath) {
    struct stat st{};
    EXPECT_EQ(::lstat(hostPath.c_str(), &st), 0) << hostPath;
    return st.st_mode & 07777;
}

TEST(AppAdStrip, LaunchShowsTheOwnWebAdFromTheBundlesAdsHost) {
    test::AdServerScript server;
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    writeBundleInfo(device, entry(kAdsHostKey, server.host()));
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    ads::AltAds* strip = nestora.altAds();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(nestora.adStrip(), strip);
    EXPECT_EQ(strip->geometry(), QRect(0, 425, 320, 55));
    EXPECT_EQ(strip->ownAdUrl(), QUrl(QString::fromStdString("http://" + server.host() + "/nestora.php")));
    ASSERT_TRUE(test::waitUntil([&] { return strip->adView() != nullptr && strip->adView()->isVisible(); }));
    // The stand-in's ad has a dark blue ground where the strip was black.
    const QImage shot = nestora.window()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 478), QColor(0x14, 0x21, 0x3d));
    test::saveScreenshot(*nestora.window(), QStringLiteral("launch-with-own-web-ad"));
}

TEST(AppAdStrip, WithoutAConfiguredHostNothingIsFetchedAndTheStripStaysBlack) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    ads::AltAds* strip = nestora.altAds();
    ASSERT_NE(strip, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return strip->adView() != nullptr; }));  // the fall-through ends there
    EXPECT_FALSE(strip->adView()->isVisible());
    EXPECT_EQ(nestora.window()->grab().toImage().pixelColor(5, 478), QColor(Qt::black));
}

TEST(AppAdStrip, TerminationClosesTheAdFoldersModes) {
    test::AppDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile("/var/mobile/Documents/mobclix.db", "db");
    ASSERT_EQ(::chmod(device.host("/var/mobile/Documents").c_str(), 0777), 0);
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    ASSERT_EQ(::chmod(device.host("/var/mobile/Documents/mobclix.db").c_str(), 0777), 0);
    nestora.terminateWithSuccess();
    EXPECT_EQ(modeOf(device.host("/var/mobile/Documents")), 0755u);
    EXPECT_EQ(modeOf(device.host("/var/mobile/Documents/admob")), 0755u);
    EXPECT_EQ(modeOf(device.host("/var/mobile/Documents/mobclix.db")), 0644u);
}

TEST(AppAdStrip, TheAdStorageCommandLineReachesChownAsOneWordWhateverTheRoot) {
    test::AppDevice device;
    const std::string root = device.root() + "/it's a \"root\" with $HOME and `id` \\ in it";
    ASSERT_EQ(::setenv("NESTORA_DEVICE_ROOT", root.c_str(), 1), 0);
    const std::string commandLine = adStorageChownCommandLine();
    ASSERT_EQ(::setenv("NESTORA_DEVICE_ROOT", device.root().c_str(), 1), 0);
    // /bin/sh is the judge: a function stands in for chown and shows its words.
    const test::RunResult result =
        test::runProgram({"/bin/sh", "-c", "chown() { printf '[%s]\\n' \"$@\"; }; " + commandLine});
    EXPECT_EQ(result.out, "[-R]\n[mobile:mobile]\n[" + root + "/var/mobile/Documents/admob]\n");
}

TEST(AppBundleConfiguration, TheInstalledInfoPlistCarriesTheBuildsValues) {
    const auto json = test::plistlibJson(NESTORA_APP_INFO_PLIST);
    ASSERT_TRUE(json) << "plistlib cannot read " << NESTORA_APP_INFO_PLIST;
    for (const std::string expected :
         {"\"NestoraHelpHost\": \"" NESTORA_HELP_HOST "\"", "\"NestoraInfoHost\": \"" NESTORA_INFO_HOST "\"",
          "\"NestoraAdsHost\": \"" NESTORA_ADS_HOST "\"",
          "\"NestoraAdMobPublisherID\": \"" NESTORA_ADMOB_PUBLISHER_ID "\"",
          "\"NestoraMobclixApplicationID\": \"" NESTORA_MOBCLIX_APPLICATION_ID "\"",
          "\"CFBundleIdentifier\": \"com.quarvek.nestora\""}) {
        EXPECT_NE(json->find(expected), std::string::npos) << expected << " in " << *json;
    }

    test::AppDevice device;
    std::ifstream installed(NESTORA_APP_INFO_PLIST, std::ios::binary);
    device.writeFile("/Applications/Nestora.app/Info.plist",
                     std::string(std::istreambuf_iterator<char>(installed), std::istreambuf_iterator<char>()));
    const BundleConfiguration read = readBundleConfiguration();
    EXPECT_EQ(read.helpHost, NESTORA_HELP_HOST);
    EXPECT_EQ(read.infoHost, NESTORA_INFO_HOST);
    EXPECT_EQ(read.ads.host, NESTORA_ADS_HOST);
    EXPECT_EQ(read.ads.adMobPublisherId, NESTORA_ADMOB_PUBLISHER_ID);
    EXPECT_EQ(read.ads.mobclixApplicationId, NESTORA_MOBCLIX_APPLICATION_ID);
    EXPECT_EQ(configuredWebHosts().helpBaseUrl, "http://" NESTORA_HELP_HOST);
}

TEST(AppBundleConfiguration, AnOperatorsHostsAreTakenAndNonHostsAreNot) {
    test::AppDevice device;
    writeBundleInfo(device, entry(kHelpHostKey, "127.0.0.1:8080") + entry(kInfoHostKey, "evil.example/path?") +
                                entry(kAdsHostKey, "[::1]:8081") +
                                "<key>NestoraAdMobPublisherID</key><integer>7</integer>\n");
    const BundleConfiguration read = readBundleConfiguration();
    EXPECT_EQ(read.helpHost, "127.0.0.1:8080");
    EXPECT_EQ(read.infoHost, "");
    EXPECT_EQ(read.ads.host, "[::1]:8081");
    EXPECT_EQ(read.ads.adMobPublisherId, "");

    test::AppDevice bare;  // no Info.plist at all
    EXPECT_EQ(readBundleConfiguration().ads.host, "");
}

TEST(AppBundleConfiguration, HostValues) {
    for (const char* host : {"www.quarvek.example", "127.0.0.1", "127.0.0.1:8080", "localhost:1", "[::1]",
                             "[::1]:65535", "a-b.example:80"}) {
        EXPECT_TRUE(isHostValue(host)) << host;
    }
    for (const char* host : {"", ":80", "host:", "host:0", "host:65536", "host:123456", "http://host", "host/path",
                             "user@host", "host name", "[::1", "[]", "[::1]x", "[::1]:", "host:80:81",
                             "hôte.example"}) {
        EXPECT_FALSE(isHostValue(host)) << host;
    }
}

}  // namespace
}  // namespace nestora::app
